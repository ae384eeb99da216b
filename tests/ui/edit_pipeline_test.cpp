// The edit path on the Music page: typed entries, arrow keys, the wheel, spin buttons,
// trackbars, type labels, and what is stored and handed to the link.

#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QWheelEvent>

#include "edit/bound_widgets.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

using Writes = std::vector<std::pair<int, int>>;

// Music band b (1-based) field f: view page 0, slot 13 + 5 (b - 1) + f.
constexpr ParamAddr Band(int b, int f) { return MakeAddr(0, 13 + 5 * (b - 1) + f); }

class EditPathTest : public WindowTest {};

bool IsSubsequence(const Writes& wanted, const Writes& got) {
  size_t i = 0;
  for (const auto& w : got) {
    if (i < wanted.size() && w == wanted[i]) ++i;
  }
  return i == wanted.size();
}

TEST_F(EditPathTest, TypedFrequencyIsStoredAndSentOncePerEntry) {
  TypeInto("MusFreEdit3", "1000");
  EXPECT_EQ(Find<ParamEdit>("MusFreEdit3")->text(), "1000Hz");
  EXPECT_EQ(view_.Get(Band(3, 1)), 204);
  EXPECT_EQ(device_.Get(Band(3, 1)), 204);
  EXPECT_EQ(link_.writes, (Writes{{Band(3, 1), 204}}));

  // The same value typed again goes out again.
  TypeInto("MusFreEdit3", "1000");
  EXPECT_EQ(link_.writes, (Writes{{Band(3, 1), 204}, {Band(3, 1), 204}}));

  // Units and spaces are dropped; the nearest step wins, a tie going to the lower one.
  TypeInto("MusFreEdit3", "1010 Hz");
  EXPECT_EQ(view_.Get(Band(3, 1)), 204);
  TypeInto("MusFreEdit3", "25000");
  EXPECT_EQ(Find<ParamEdit>("MusFreEdit3")->text(), "20200Hz");
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{Band(3, 1), 360}));
}

TEST_F(EditPathTest, RejectedEntriesRestoreTheTextAndSendNothing) {
  auto* gain = Find<ParamEdit>("MusGainEdit2");
  TypeInto("MusGainEdit2", "3");
  ASSERT_EQ(gain->text(), "3.0dB");
  link_.writes.clear();

  TypeInto("MusGainEdit2", "1.2.3");
  EXPECT_EQ(gain->text(), "3.0dB");
  TypeInto("MusGainEdit2", "-");
  EXPECT_EQ(gain->text(), "3.0dB");
  // Letters never reach the edit; an empty edit gets its text back when left.
  QTest::mouseClick(gain, Qt::LeftButton);
  gain->selectAll();
  QTest::keyClick(gain, Qt::Key_Backspace);
  QTest::keyClicks(gain, "ab");
  EXPECT_EQ(gain->text(), "");
  QTest::keyClick(gain, Qt::Key_Return);
  EXPECT_EQ(gain->text(), "3.0dB");
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_EQ(view_.Get(Band(2, 2)), 135);

  // Out of range is clamped, stored and sent as clamped.
  TypeInto("MusGainEdit2", "-30");
  EXPECT_EQ(gain->text(), "-24.0dB");
  EXPECT_EQ(link_.writes, (Writes{{Band(2, 2), 0}}));
}

TEST_F(EditPathTest, ArrowKeysMoveGainVerticallyAndFrequencyHorizontally) {
  TypeInto("MusFreEdit1", "1000");
  link_.writes.clear();
  auto* freq = Find<ParamEdit>("MusFreEdit1");
  auto* gain = Find<ParamEdit>("MusGainEdit1");

  QTest::keyClick(freq, Qt::Key_Up);
  EXPECT_EQ(gain->text(), "0.2dB");
  EXPECT_EQ(freq->text(), "1000Hz");
  EXPECT_EQ(QApplication::focusWidget(), gain);
  EXPECT_EQ(view_.Get(Band(1, 2)), 121);
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{Band(1, 2), 121}));

  // On the gain edit Left moves the frequency one step down and takes the focus there.
  QTest::keyClick(gain, Qt::Key_Left);
  EXPECT_EQ(freq->text(), "981.0Hz");
  EXPECT_EQ(gain->text(), "0.2dB");
  EXPECT_EQ(QApplication::focusWidget(), freq);
  QTest::keyClick(freq, Qt::Key_Right);
  EXPECT_EQ(freq->text(), "1000Hz");
  QTest::keyClick(freq, Qt::Key_Down);
  EXPECT_EQ(gain->text(), "0.0dB");
  EXPECT_EQ(view_.Get(Band(1, 1)), 204);
  EXPECT_EQ(view_.Get(Band(1, 2)), 120);
  // Leaving an edit after a key commits whatever is current, so the same value may go out
  // twice; the steps themselves go out in order.
  EXPECT_TRUE(IsSubsequence(
      Writes{{Band(1, 2), 121}, {Band(1, 1), 203}, {Band(1, 1), 204}, {Band(1, 2), 120}},
      link_.writes));
  for (const auto& [addr, value] : link_.writes) {
    EXPECT_TRUE(addr == Band(1, 1) || addr == Band(1, 2));
  }
}

TEST_F(EditPathTest, KeysDoNothingWhileNoEditIsCurrent) {
  // A trackbar move leaves no current edit behind.
  Find<QSlider>("MusPitchBar")->setValue(9);
  link_.writes.clear();
  auto* gain = Find<ParamEdit>("MusGainEdit5");
  gain->setFocus();
  QTest::keyClick(gain, Qt::Key_Up);
  QTest::keyClick(gain, Qt::Key_Right);
  EXPECT_EQ(gain->text(), "0.0dB");
  EXPECT_EQ(view_.Get(Band(5, 2)), 120);
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(EditPathTest, WheelStepsTheClickedEditOnly) {
  auto* q = Find<ParamEdit>("MusQEdit2");
  auto wheel_over = [](QWidget* target, int delta) { return SendWheel(target, delta); };
  auto wheel = [&](int delta) { return wheel_over(Find<QWidget>("AdvPanel2"), delta); };
  // Before any click the wheel is not the edits' business, and it turns no bar or selector.
  wheel(-120);
  EXPECT_EQ(q->text(), "1.00");
  wheel_over(Find<QWidget>("MusEQGainBar2"), 120);
  wheel_over(Find<QWidget>("MusHPTypeBox"), -120);
  EXPECT_EQ(Find<QSlider>("MusEQGainBar2")->value(), 120);
  EXPECT_EQ(Find<ParamSelector>("MusHPTypeBox")->currentIndex(), 0);
  EXPECT_TRUE(link_.writes.empty());

  QTest::mouseClick(q, Qt::LeftButton);
  EXPECT_TRUE(wheel(-120));
  EXPECT_EQ(q->text(), "0.94");
  wheel(-120);
  EXPECT_EQ(q->text(), "0.89");
  wheel(120);
  wheel(120);
  EXPECT_EQ(q->text(), "1.00");
  EXPECT_EQ(link_.writes,
            (Writes{{Band(2, 3), 15}, {Band(2, 3), 14}, {Band(2, 3), 15}, {Band(2, 3), 16}}));

  // Choosing a tab ends the wheel's hold on the edit.
  QTest::mouseClick(Find<QWidget>("FormMusTabBtn"), Qt::LeftButton);
  link_.writes.clear();
  wheel(-120);
  EXPECT_EQ(q->text(), "1.00");
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(EditPathTest, QSpinButtonsRespectTheShelfSlopeLimit) {
  QTest::mouseClick(Find<QWidget>("MusHSQBtn4"), Qt::LeftButton);
  TypeInto("MusQEdit4", "1.6");
  auto* q = Find<ParamEdit>("MusQEdit4");
  auto* spin = Find<SpinButtons>("MusQUpDownBtn4");
  ASSERT_EQ(q->text(), "1.60");
  ASSERT_EQ(view_.Get(Band(4, 4)), 24);

  spin->UpButton()->click();
  EXPECT_EQ(q->text(), "1.60");
  EXPECT_EQ(view_.Get(Band(4, 4)), 24);
  spin->DownButton()->click();
  EXPECT_EQ(q->text(), "1.50");
  EXPECT_EQ(view_.Get(Band(4, 4)), 23);
  // The peaking Q of the same band was never touched.
  EXPECT_EQ(view_.Get(Band(4, 3)), 16);

  // A peaking band goes on up.
  auto* spin1 = Find<SpinButtons>("MusQUpDownBtn1");
  spin1->UpButton()->click();
  EXPECT_EQ(Find<ParamEdit>("MusQEdit1")->text(), "1.06");
  EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("MusQEdit1"));
}

TEST_F(EditPathTest, GainTrackbarDragShowsStoresAndSendsOnce) {
  auto* bar = Find<ParamTrackBar>("MusEQGainBar3");
  QSignalSpy moved(bar, &QSlider::valueChanged);
  bar->setValue(150);
  EXPECT_EQ(moved.count(), 1);  // the update does not move it again
  EXPECT_EQ(bar->value(), 150);
  EXPECT_EQ(Find<ParamEdit>("MusGainEdit3")->text(), "6.0dB");
  EXPECT_EQ(view_.Get(Band(3, 2)), 150);
  EXPECT_EQ(device_.Get(MakeAddr(0, 25)), 150);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 25), 150}}));

  // Typing into the gain edit moves the trackbar without a second write.
  link_.writes.clear();
  TypeInto("MusGainEdit3", "-12");
  EXPECT_EQ(bar->value(), 60);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 25), 60}}));
}

TEST_F(EditPathTest, TypeLabelsSwitchTheBandAndShowTheRightQField) {
  device_.Set(Band(2, 4), 20);  // slope 1.26, stored but not shown while peaking
  view_.Set(Band(2, 4), 20);
  auto* q = Find<ParamEdit>("MusQEdit2");
  ASSERT_EQ(q->text(), "1.00");

  QTest::mouseClick(Find<QWidget>("MusHSQBtn2"), Qt::LeftButton);
  EXPECT_EQ(q->text(), "1.26");
  EXPECT_EQ(Find<ParamSelector>("MusModeBox2")->currentIndex(), 3);
  EXPECT_EQ(view_.Get(Band(2, 0)), 3);
  EXPECT_EQ(link_.writes, (Writes{{Band(2, 0), 3}}));  // the slope is shown, not sent
  EXPECT_TRUE(Find<TypeLabel>("MusHSQBtn2")->IsChosen());
  EXPECT_FALSE(Find<TypeLabel>("MusPEQBtn2")->IsChosen());
  EXPECT_EQ(Ctx().edit.last_edit, (LastEditRecord{Band(2, 0), 3}));

  // Back to peaking: the same edit shows field 3 again.
  QTest::mouseClick(Find<QWidget>("MusPEQBtn2"), Qt::LeftButton);
  EXPECT_EQ(q->text(), "1.00");
  TypeInto("MusQEdit2", "2");
  EXPECT_EQ(view_.Get(Band(2, 3)), 28);
  EXPECT_EQ(view_.Get(Band(2, 4)), 20);
}

TEST_F(EditPathTest, FilterSelectorsAndPaneTrackbarsWrite) {
  auto* hp = Find<ParamSelector>("MusHPTypeBox");
  graph_.draws.clear();
  hp->setCurrentIndex(2);
  emit hp->activated(2);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 7), 2}}));
  EXPECT_EQ(graph_.draws, (std::vector<std::pair<int, int>>{{10, 0}}));
  emit Find<ParamSelector>("MusLPTypeBox")->activated(1);
  EXPECT_EQ(graph_.draws.back(), (std::pair<int, int>{11, 0}));

  link_.writes.clear();
  Find<QSlider>("MusHPFREBar")->setValue(204);
  EXPECT_EQ(Find<StatusPane>("MusHPFREPane")->text(), "1000Hz");
  Find<QSlider>("MusPitchBar")->setValue(9);
  EXPECT_EQ(Find<StatusPane>("MusPitchPane")->text(), "2");
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 8), 204}, {MakeAddr(0, 6), 9}}));
  // The key is not a curve parameter: the last edit stays the filter frequency.
  EXPECT_EQ(Ctx().edit.last_edit, (LastEditRecord{MakeAddr(0, 8), 204}));
}

TEST_F(EditPathTest, OfflineEditsAreStoredButNotSent) {
  link_.online = false;
  TypeInto("MusGainEdit1", "6");
  EXPECT_EQ(view_.Get(Band(1, 2)), 150);
  EXPECT_EQ(device_.Get(Band(1, 2)), 150);
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(EditPathTest, InputSourceBringsItsOwnGainAndCaption) {
  device_.Set(0, 2, 30);  // Bluetooth input gain +5.0 dB
  auto* box = Find<ParamSelector>("SysInputBox");
  box->setCurrentIndex(3);
  emit box->activated(3);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 65), 3}}));
  EXPECT_EQ(Find<ParamEdit>("MusGain1Edit")->text(), "5.0dB");
  EXPECT_EQ(Find<QLabel>("InputLabel")->text(), QString::fromUtf8("蓝牙音量"));
  EXPECT_EQ(view_.Get(0, 0), 30);

  // The gain now edits slot 2; the automatic source disables the edit.
  link_.writes.clear();
  TypeInto("MusGain1Edit", "0.25");
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 2), 20}}));
  box->setCurrentIndex(0);
  emit box->activated(0);
  EXPECT_FALSE(Find<QWidget>("MusGain1Edit")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("MusGain1UpDown")->isEnabled());
}

TEST_F(EditPathTest, BandHighlightFollowsTheEditAndScrollsTheStrip) {
  auto* scroll = Find<QSlider>("MusPanScrollBar");
  ASSERT_EQ(scroll->maximum(), 1);
  QTest::mouseClick(Find<QWidget>("MusGainEdit9"), Qt::LeftButton);
  EXPECT_TRUE(Find<QLabel>("MusEQPointLabel9")->property("opaque").toBool());
  EXPECT_EQ(scroll->value(), 0);
  // Band 10 lies beyond the nine columns shown: the strip moves one column.
  Ctx().edit.current_edit = Find<ParamEdit>("MusQEdit10");
  Window().Pipeline().CommitEdit(0);
  EXPECT_EQ(scroll->value(), 1);
  EXPECT_EQ(Find<QWidget>("MusFreEdit10")->parentWidget()->parentWidget()->x(), -65);
  EXPECT_TRUE(Find<QLabel>("MusEQPointLabel10")->property("opaque").toBool());
  EXPECT_FALSE(Find<QLabel>("MusEQPointLabel9")->property("opaque").toBool());
  EXPECT_EQ(Ctx().edit.selected_band[0], 9);
  QTest::mouseClick(Find<QWidget>("MusFreEdit1"), Qt::LeftButton);
  EXPECT_EQ(scroll->value(), 0);
  EXPECT_EQ(Ctx().edit.selected_band[0], 0);
}

TEST_F(EditPathTest, GraphTimerRedrawsTheLastEditedBandOnce) {
  TypeInto("MusGainEdit6", "3");
  graph_.draws.clear();
  Window().Pipeline().BandChangeCheck();
  Window().Pipeline().BandChangeCheck();
  EXPECT_EQ(graph_.draws, (std::vector<std::pair<int, int>>{{5, 0}}));
  // The high-pass frequency redraws the high-pass row; the key is no curve parameter.
  Find<QSlider>("MusHPFREBar")->setValue(100);
  Window().Pipeline().BandChangeCheck();
  Find<QSlider>("MusPitchBar")->setValue(3);
  Window().Pipeline().BandChangeCheck();
  EXPECT_EQ(graph_.draws, (std::vector<std::pair<int, int>>{{5, 0}, {10, 0}}));
}

}  // namespace
}  // namespace kdsp::testing
