// Every text of every control fits inside it, in both languages, on every tab, sub-tab and
// settings sheet: captions of labels, buttons, switches, group frames and selectors, and for
// each value edit and value pane the widest text its display kind can show.

#include <map>
#include <set>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTabWidget>

#include "model/display_kind.h"
#include "ui/switch_button.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

// Room left free on either side of a text, so that it never touches a border.
constexpr int kClear = 2;
// Border and padding of a picture button on each side.
constexpr int kButtonInset = 5;
// Drop-down arrow and padding of a selector.
constexpr int kSelectorChrome = 16 + 2 * 6 + 2;

/// The widest text a display kind can show, with the font of `w`.
int WidestValue(const QWidget* w, int kind) {
  static std::map<std::pair<int, QString>, int> cache;
  const QFontMetrics fm = w->fontMetrics();
  const auto key = std::make_pair(kind, w->font().key());
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  int widest = 0;
  const KindRange r = RangeOf(kind);
  for (int v = r.min; v <= r.max; ++v) {
    widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(FormatKind(kind, v))));
  }
  cache[key] = widest;
  return widest;
}

/// Width a line edit leaves for its text (frame, padding and the edit's own margin removed).
int EditTextWidth(const QLineEdit* edit) {
  QStyleOptionFrame opt;
  opt.initFrom(edit);
  opt.rect = edit->rect();
  opt.lineWidth =
      edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
  QRect r = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
  r = r.marginsRemoved(edit->textMargins());
  return r.width() - 2 * 2;  // the line edit keeps two pixels on either side
}

/// Width a push button leaves for its caption (its border and padding removed).
int ButtonTextWidth(const QPushButton* button) {
  QStyleOptionButton opt;
  opt.initFrom(button);
  opt.rect = button->rect();
  opt.text = button->text();
  return button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button).width();
}

/// The widest line of a multi-line text.
int WidestLine(const QFontMetrics& fm, const QString& text) {
  int widest = 0;
  for (const QString& line : text.split('\n'))
    widest = std::max(widest, fm.horizontalAdvance(line));
  return widest;
}

class TextsFitTest : public WindowTest {
 protected:
  /// Texts of the controls shown now that do not fit, as "name: text (needs n, has m)".
  void CollectMisfits(const QString& where) {
    for (QWidget* w : Window().findChildren<QWidget*>()) {
      if (!w->isVisible() || w->objectName() == "Examplexx") continue;
      const auto report = [&](const QString& text, int needs, int has) {
        if (needs <= has) return;
        misfits_.insert(where + " " + w->objectName() + " [" + w->metaObject()->className() +
                        "]: \"" + text + "\" needs " + QString::number(needs) + ", has " +
                        QString::number(has));
      };
      const QFontMetrics fm = w->fontMetrics();
      if (auto* pane = qobject_cast<StatusPane*>(w)) {
        const int kind = pane->Kind();
        const int needs =
            KindHasText(kind) ? WidestValue(pane, kind) : fm.horizontalAdvance(pane->text());
        report(pane->text(), needs + 2 * kClear, pane->contentsRect().width());
      } else if (auto* edit = qobject_cast<ParamEdit*>(w)) {
        const int kind = edit->Kind();
        const int needs =
            KindHasText(kind) ? WidestValue(edit, kind) : fm.horizontalAdvance(edit->text());
        report(edit->text(), needs + kClear, EditTextWidth(edit));
      } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        if (line->echoMode() == QLineEdit::Normal) {
          report(line->text(), fm.horizontalAdvance(line->text()) + kClear, EditTextWidth(line));
        }
      } else if (auto* sw = qobject_cast<ui::SwitchButton*>(w)) {
        if (sw->text().isEmpty()) continue;
        const int glyph = std::min(13, sw->height() * 55 / 100) + 3;
        report(sw->text(), glyph + fm.horizontalAdvance(sw->text()) + 2 * (kButtonInset + kClear),
               sw->width());
      } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text().isEmpty()) continue;
        report(button->text(), WidestLine(fm, button->text()) + 2 * kClear,
               ButtonTextWidth(button));
      } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty() || label->wordWrap()) continue;
        QFont font = label->font();
        report(label->text(), WidestLine(QFontMetrics(font), label->text()),
               label->contentsRect().width());
      } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        if (group->title().isEmpty()) continue;
        QFont bold = group->font();
        bold.setBold(true);
        // The title starts 8 pixels in and is padded by 3 on either side.
        report(group->title(), 8 + 3 + QFontMetrics(bold).horizontalAdvance(group->title()) + 3,
               group->width() - 8);
      } else if (auto* box = qobject_cast<QComboBox*>(w)) {
        int widest = 0;
        for (int i = 0; i < box->count(); ++i) {
          widest = std::max(widest, fm.horizontalAdvance(box->itemText(i)));
        }
        report(box->currentText(), widest + kSelectorChrome, box->width());
      }
    }
  }

  /// Every tab, sub-tab, hidden page and settings sheet, in the language shown.
  void CollectEverywhere() {
    const QString lang = Window().UiLanguage() == 1 ? "zh" : "en";
    auto* settings = Find<QTabWidget>("AdvPageControl1");
    for (int sheet = 0; sheet < settings->count(); ++sheet) {
      settings->setCurrentIndex(sheet);
      for (int tab : {0, 2, 3, 5, 6, 7, 10, 11, 12, 13}) {
        Window().Channels().FormMusTabBtnClick(tab);
        CollectMisfits(QString("%1 tab %2 sheet %3").arg(lang).arg(tab).arg(sheet));
      }
      Window().Channels().FormMusTabBtnClick(4);
      for (int sub : {0, 2}) {
        Window().Channels().EchoAToolButtonClick(sub);
        CollectMisfits(QString("%1 effect %2 sheet %3").arg(lang).arg(sub).arg(sheet));
      }
      Window().Channels().FormMusTabBtnClick(9);
      for (int sub = 0; sub <= 3; ++sub) {
        Window().Channels().HintMusBtnClick(sub);
        CollectMisfits(QString("%1 hidden %2 sheet %3").arg(lang).arg(sub).arg(sheet));
      }
    }
    settings->setCurrentIndex(0);
    // The bypass caption over the graph.
    Window().Channels().FormMusTabBtnClick(0);
    Window().Channels().MusEQAllpassBtnClick();
    CollectMisfits(QString("%1 bypass").arg(lang));
    Window().Channels().MusEQAllpassBtnClick();
    // The input gain's caption names each source in turn.
    Window().Channels().FormMusTabBtnClick(0);
    auto* sources = Find<QComboBox>("SysInputBox");
    for (int i = 0; i < sources->count(); ++i) {
      Window().Handlers().ShowInputLabel(i);
      CollectMisfits(QString("%1 source %2").arg(lang).arg(i));
    }
  }

  std::set<QString> misfits_;
};

TEST_F(TextsFitTest, EveryTextOfEveryControlFitsInBothLanguages) {
  link_.online = false;
  CollectEverywhere();
  Window().RzToolButton11Click();
  ASSERT_EQ(Window().UiLanguage(), 0);
  CollectEverywhere();
  for (const QString& m : misfits_) ADD_FAILURE() << m.toStdString();
}

/// The window as a user with an English desktop first sees it.
class TextsFitEnglishStartTest : public TextsFitTest {
 protected:
  void BeforeShow() override { window_->ApplyLanguage(0); }
};

TEST_F(TextsFitEnglishStartTest, EveryTextOfEveryControlFitsWhenStartedInEnglish) {
  link_.online = false;
  ASSERT_EQ(Window().UiLanguage(), 0);
  CollectEverywhere();
  for (const QString& m : misfits_) ADD_FAILURE() << m.toStdString();
}

TEST_F(TextsFitTest, TheMeasureCatchesTextsThatDoNotFit) {
  // The same measure on controls made too narrow: it must find them.
  Window().Channels().FormMusTabBtnClick(0);
  auto* q = Find<ParamEdit>("MusQEdit1");
  q->resize(36, q->height());
  auto* pane = Find<QWidget>("MusLPFREPane");
  pane->resize(40, pane->height());
  auto* reset = Find<QWidget>("EQResetBtn");
  reset->resize(40, reset->height());
  auto* title = Find<QLabel>("InputLabel");
  title->resize(20, title->height());
  CollectMisfits("narrow");
  std::set<QString> names;
  for (const QString& m : misfits_) names.insert(m.section(' ', 1, 1));
  EXPECT_EQ(names, (std::set<QString>{"MusQEdit1", "MusLPFREPane", "EQResetBtn", "InputLabel"}));
}

}  // namespace
}  // namespace kdsp::testing
