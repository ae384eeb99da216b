// The spectrum's input list in the window shows each input's name whole, against a private
// PulseAudio server with a second source named as a user would see it.

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>

#include "widget_window_support.h"

namespace kdsp::test {
namespace {

TEST(SpectrumWithSoundServer, InputListShowsEveryNameWhole) {
  KDSP_RUN_AGAINST_PRIVATE_SOUND_SERVER(
      {"module-sine-source source_name=sine200 frequency=200 rate=48000 "
       "source_properties=device.description=Sine200Hz"});
  ShownWindow w;
  auto* box = w.window.findChild<QComboBox*>("SpectrumInputBox");
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(box->isVisible());
  QStringList names;
  for (int i = 0; i < box->count(); ++i) names << box->itemText(i);
  ASSERT_TRUE(names.contains(QStringLiteral("Sine200Hz"))) << names.join(", ").toStdString();

  for (const int lang : {1, 0}) {  // Chinese, English: the default mark differs by language
    w.window.ApplyLanguage(lang);
    for (int i = 0; i < box->count(); ++i) {
      box->setCurrentIndex(i);
      // The closed box: the chosen name fits the text field beside the arrow.
      QStyleOptionComboBox opt;
      opt.initFrom(box);
      opt.currentText = box->currentText();
      const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                       QStyle::SC_ComboBoxEditField, box);
      EXPECT_GE(field.width(), box->fontMetrics().horizontalAdvance(box->currentText()))
          << box->currentText().toStdString() << " in a box of " << box->width() << " px";
    }
    // The opened list: every name fits its row.
    box->showPopup();
    ASSERT_TRUE(WaitFor([box] { return box->view()->isVisible(); }, 2000));
    QAbstractItemView* list = box->view();
    for (int i = 0; i < box->count(); ++i) {
      const QRect row = list->visualRect(list->model()->index(i, 0));
      EXPECT_GE(row.width(), list->fontMetrics().horizontalAdvance(box->itemText(i)))
          << box->itemText(i).toStdString() << " in a list of " << row.width() << " px";
    }
    box->hidePopup();
  }
  // The strip after the box still ends before the EQ buttons at the right.
  const QWidget* modes = w.window.findChild<QWidget*>("SingleDiscoGrop");
  const QWidget* pass = w.window.findChild<QWidget*>("EQPassGrop");
  ASSERT_NE(modes, nullptr);
  ASSERT_NE(pass, nullptr);
  EXPECT_LT(modes->geometry().right(), pass->geometry().left());
}

}  // namespace
}  // namespace kdsp::test
