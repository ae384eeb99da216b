// How an edit becomes the current one: by a click, by the keyboard, or by a source change that
// happens while it holds a pending entry; a rejected entry never brings back another edit's
// text, and no pending entry lands on an address the user did not edit.

#include <QAbstractItemView>
#include <QApplication>
#include <QToolButton>
#include <QWheelEvent>

#include "edit/bound_widgets.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

using Writes = std::vector<std::pair<int, int>>;

class EditFocusTest : public WindowTest {
 protected:
  /// Selects item `item` of a selector as a user does: opens its list, goes to the item, Enter.
  void ChooseItem(ParamSelector* box, int item) {
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* view = box->view();
    ASSERT_TRUE(view->isVisible());
    view->setCurrentIndex(view->model()->index(item, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_FALSE(view->isVisible());
    ASSERT_EQ(box->currentIndex(), item);
    // The list was a window of its own: the main window becomes active again, as on a desktop.
    QApplication::setActiveWindow(&Window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  }
  /// Replaces the text of the focused edit by `keys` and presses Enter, without clicking it.
  static void RetypeFocused(ParamEdit* edit, const QString& keys) {
    edit->selectAll();
    QTest::keyClicks(edit, keys);
    QTest::keyClick(edit, Qt::Key_Return);
  }
};

TEST_F(EditFocusTest, AnEditReachedByKeyboardRestoresItsOwnText) {
  TypeInto("MusFreEdit1", "1000");
  auto* q = Find<ParamEdit>("MusQEdit1");
  const QString q_text = q->text();
  const ParamAddr q_addr = MakeAddr(0, 13 + 3);  // band 1, field Q
  const int q_value = view_.Get(q_addr);
  link_.writes.clear();

  for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason,
                                 Qt::ShortcutFocusReason, Qt::OtherFocusReason}) {
    SCOPED_TRACE(reason);
    Find<ParamEdit>("MusFreEdit1")->setFocus(Qt::MouseFocusReason);
    q->setFocus(reason);
    ASSERT_EQ(QApplication::focusWidget(), q);
    // A rejected entry brings back the Q's own text, never the frequency's "1000Hz".
    RetypeFocused(q, "-");
    EXPECT_EQ(q->text(), q_text);
    // Enter again sends at most the Q it shows.
    QTest::keyClick(q, Qt::Key_Return);
    EXPECT_EQ(q->text(), q_text);
    EXPECT_EQ(view_.Get(q_addr), q_value);

    // Emptied with Delete, then left: the Q's own text comes back.
    Find<ParamEdit>("MusFreEdit1")->setFocus(Qt::MouseFocusReason);
    q->setFocus(reason);
    q->selectAll();
    QTest::keyClick(q, Qt::Key_Delete);
    ASSERT_EQ(q->text(), "");
    QTest::keyClick(q, Qt::Key_Return);
    EXPECT_EQ(q->text(), q_text);
  }
  for (const auto& [addr, value] : link_.writes) {
    EXPECT_TRUE(addr == q_addr && value == q_value) << addr << " = " << value;
  }
}

TEST_F(EditFocusTest, EveryWayOfBecomingCurrentTakesThatEditsText) {
  TypeInto("MusGainEdit4", "6");
  // A gain trackbar makes its edit current; a rejected entry there restores its own text.
  auto* bar = Find<QSlider>("MusEQGainBar2");
  bar->setValue(150);
  auto* gain2 = Find<ParamEdit>("MusGainEdit2");
  ASSERT_EQ(gain2->text(), "6.0dB");
  gain2->setFocus(Qt::OtherFocusReason);
  RetypeFocused(gain2, ".");
  EXPECT_EQ(gain2->text(), "6.0dB");

  // A spin button makes the Q current.
  TypeInto("MusFreEdit3", "250");
  auto* spin = Find<SpinButtons>("MusQUpDownBtn3");
  QTest::mouseClick(spin->UpButton(), Qt::LeftButton);
  auto* q3 = Find<ParamEdit>("MusQEdit3");
  const QString q3_text = q3->text();
  RetypeFocused(q3, "-");
  EXPECT_EQ(q3->text(), q3_text);

  // A shelf chosen by its type label shows its slope in the Q edit; a rejected entry there
  // restores the slope, not the Q shown before.
  auto* q5 = Find<ParamEdit>("MusQEdit5");
  view_.Set(0, 13 + 5 * 4 + 4, 30);
  TypeInto("MusFreEdit5", "500");
  QTest::mouseClick(Find<QWidget>("MusLSQBtn5"), Qt::LeftButton);
  const QString slope_text = q5->text();
  q5->setFocus(Qt::TabFocusReason);
  RetypeFocused(q5, "-");
  EXPECT_EQ(q5->text(), slope_text);
}

TEST_F(EditFocusTest, SourceChangeSettlesThePendingGainEntryOnTheOldSource) {
  device_.Set(0, 65, 4);  // the optical input
  device_.Set(0, 3, 30);  // its gain, +5.0 dB
  device_.Set(0, 0, 24);  // the first analogue input, +2.0 dB
  Window().Refresh().RefreshPage(0);
  auto* gain = Find<ParamEdit>("MusGain1Edit");
  ASSERT_EQ(gain->text(), "5.0dB");
  link_.writes.clear();

  // A typed but not yet confirmed entry, then the automatic source chosen from the list.
  QTest::mouseClick(gain, Qt::LeftButton);
  gain->selectAll();
  QTest::keyClicks(gain, "-5");
  ChooseItem(Find<ParamSelector>("SysInputBox"), 0);

  // The entry went to the optical gain it was typed for; the first analogue gain is untouched.
  EXPECT_EQ(device_.Get(0, 3), 10);
  EXPECT_EQ(device_.Get(0, 0), 24);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 3), 10}, {MakeAddr(0, 65), 0}}));
  EXPECT_EQ(gain->text(), "2.0dB");
  EXPECT_FALSE(gain->isEnabled());

  // The arrow keys leave the edit marked as edited: choosing the source again must not write
  // the shown gain to the new source's slot.
  link_.writes.clear();
  ChooseItem(Find<ParamSelector>("SysInputBox"), 4);
  ASSERT_EQ(gain->text(), "-5.0dB");
  QTest::mouseClick(gain, Qt::LeftButton);
  QTest::keyClick(gain, Qt::Key_Down);
  ASSERT_EQ(gain->text(), "-5.5dB");
  ChooseItem(Find<ParamSelector>("SysInputBox"), 0);
  EXPECT_EQ(device_.Get(0, 3), 9);
  EXPECT_EQ(device_.Get(0, 0), 24);
  ASSERT_FALSE(link_.writes.empty());
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{MakeAddr(0, 65), 0}));
  for (const auto& [addr, value] : link_.writes) {
    EXPECT_TRUE(addr == MakeAddr(0, 65) || (addr == MakeAddr(0, 3) && value == 9))
        << addr << " = " << value;
  }
  EXPECT_EQ(gain->text(), "2.0dB");
  // Nor does anything done afterwards: leaving for another edit, the wheel, arrow keys.
  link_.writes.clear();
  QTest::mouseClick(Find<QWidget>("MusFreEdit2"), Qt::LeftButton);
  SendWheel(Find<QWidget>("MusQEdit2"), 120);
  QTest::keyClick(Find<QWidget>("MusFreEdit2"), Qt::Key_Right);
  for (const auto& [addr, value] : link_.writes) EXPECT_NE(addr, MakeAddr(0, 0)) << value;
  EXPECT_EQ(device_.Get(0, 0), 24);

  // Without a pending entry the source change writes only the source.
  TypeInto("MusFreEdit2", "250");
  link_.writes.clear();
  ChooseItem(Find<ParamSelector>("SysInputBox"), 3);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 65), 3}}));
  EXPECT_EQ(device_.Get(0, 0), 24);
}

}  // namespace
}  // namespace kdsp::testing
