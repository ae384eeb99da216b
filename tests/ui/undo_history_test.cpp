// Undo and redo through the real edit path: every kind of change the user makes is one step,
// undoing and redoing it reaches the tables, the controls and the link; a preset load is undone
// by a download; the keys, the title-strip buttons and their tooltips.

#include <QLineEdit>
#include <QSlider>
#include <QToolButton>
#include <QWheelEvent>

#include "edit/page_refresh.h"
#include "eq/equaliser_graph.h"
#include "history_fixture.h"

namespace kdsp::testing {
namespace {

using UndoTest = HistoryTest;

TEST_F(UndoTest, TypedArrowWheelAndSpinStepsUndoAndRedoOneByOne) {
  TypeInto("MusFreEdit3", "1000");  // a typed value
  ASSERT_EQ(device_.Get(Band(3, 1)), 204);
  Key(Qt::Key_Right);  // an arrow key
  ASSERT_EQ(device_.Get(Band(3, 1)), 205);
  SendWheel(Find<QWidget>("AdvPanel2"), 120);  // a wheel notch
  Settle();
  ASSERT_EQ(device_.Get(Band(3, 1)), 206);
  QTest::mouseClick(Find<SpinButtons>("MusQUpDownBtn3")->UpButton(), Qt::LeftButton);  // a spin
  Settle();
  ASSERT_EQ(device_.Get(Band(3, 3)), 17);
  EXPECT_EQ(History().Stack().count(), 4);
  EXPECT_TRUE(Find<QWidget>("UndoBtn")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("RedoBtn")->isEnabled());

  link_.writes.clear();
  Undo();
  EXPECT_EQ(device_.Get(Band(3, 3)), 16);
  EXPECT_EQ(view_.Get(Band(3, 3)), 16);
  EXPECT_EQ(Text("MusQEdit3"), "1.00");
  EXPECT_EQ(link_.writes, (Writes{{Band(3, 3), 16}}));
  Undo();
  EXPECT_EQ(Text("MusFreEdit3"), Freq(205));
  Undo();
  EXPECT_EQ(Text("MusFreEdit3"), Freq(204));
  Undo();
  EXPECT_EQ(device_.Get(Band(3, 1)), 62);  // the default of band 3
  EXPECT_EQ(Text("MusFreEdit3"), Freq(62));
  EXPECT_EQ(link_.writes,
            (Writes{{Band(3, 3), 16}, {Band(3, 1), 205}, {Band(3, 1), 204}, {Band(3, 1), 62}}));
  EXPECT_FALSE(History().CanUndo());
  EXPECT_FALSE(Find<QWidget>("UndoBtn")->isEnabled());
  EXPECT_TRUE(Find<QWidget>("RedoBtn")->isEnabled());
  Undo();  // nothing left: nothing happens
  EXPECT_EQ(link_.writes.size(), 4u);

  // Both redo keys and the button, in English as in Chinese.
  Find<QAbstractButton>("RzToolButton11")->click();
  ASSERT_EQ(Window().UiLanguage(), 0);
  link_.writes.clear();
  Redo();
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  ClickAt("RedoBtn");
  EXPECT_EQ(link_.writes, (Writes{{Band(3, 1), 204}, {Band(3, 1), 205}, {Band(3, 1), 206}}));
  EXPECT_EQ(Text("MusFreEdit3"), Freq(206));
  // A new change drops what was left to redo.
  TypeInto("MusGainEdit5", "3");
  EXPECT_FALSE(History().CanRedo());
  EXPECT_EQ(History().Stack().count(), 4);
}

TEST_F(UndoTest, TrackbarMoveFromPressToReleaseIsOneStep) {
  auto* bar = Find<QSlider>("MusHPFREBar");
  const int before = bar->value();
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
  for (int pos = 100; pos <= 130; ++pos) bar->setValue(pos);  // the pointer drags the thumb
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
  Settle();
  ASSERT_EQ(device_.Get(0, 8), 130);
  ASSERT_EQ(History().Stack().count(), 1);

  link_.writes.clear();
  ClickAt("UndoBtn");
  EXPECT_EQ(bar->value(), before);
  EXPECT_EQ(device_.Get(0, 8), before);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 8), before}}));
  ClickAt("RedoBtn");
  EXPECT_EQ(bar->value(), 130);
  EXPECT_EQ(Find<StatusPane>("MusHPFREPane")->text(),
            QString::fromStdString(FormatKind(Find<StatusPane>("MusHPFREPane")->Kind(), 130)));
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{MakeAddr(0, 8), 130}));
}

TEST_F(UndoTest, TypeLabelResetBypassSyncAndVolumeEachUndoToWhatTheyChanged) {
  Find<QSlider>("SysMusMaxVolBar")->setValue(84);  // room for the normal volume
  Settle();
  ClickAt("MusLSQBtn1");  // band 1 becomes a low shelf
  ASSERT_EQ(device_.Get(Band(1, 0)), 2);
  ClickAt("EQResetBtn");  // and the reset makes it peaking again
  ASSERT_EQ(device_.Get(Band(1, 0)), 1);
  ClickAt("MusEQAllpassBtn");
  ASSERT_EQ(device_.Get(0, 12), 1);
  ClickAt("FormMICATabBtn");
  device_.Set(2, 40, 77);  // microphone 2 has a setting of its own
  ClickAt("SameBtn");
  ASSERT_EQ(device_.Get(1, 13), 1);
  ASSERT_EQ(device_.Get(2, 40), device_.Get(1, 40));
  Key(Qt::Key_Q);
  const int volume = device_.Get(25, 1);
  ASSERT_EQ(History().Stack().count(), 6);  // the tab click changed no value

  link_.writes.clear();
  Undo();
  EXPECT_EQ(device_.Get(25, 1), volume - 1);
  EXPECT_EQ(Find<QSlider>("SysMusNormalVolBar")->value(), volume - 1);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(25, 1), volume - 1}}));

  link_.writes.clear();
  Undo();  // sync off again, microphone 2 as it was
  EXPECT_EQ(device_.Get(1, 13), 0);
  EXPECT_EQ(device_.Get(2, 40), 77);
  EXPECT_EQ(Ctx().channel.sync_state, 0);
  // Microphone 2 gets back its own values, its copy of the sync flag included.
  EXPECT_EQ(link_.writes,
            (Writes{{MakeAddr(1, 13), 0}, {MakeAddr(2, 13), 0}, {MakeAddr(2, 40), 77}}));

  ClickAt("FormMusTabBtn");
  link_.writes.clear();
  Undo();  // bypass off
  EXPECT_EQ(device_.Get(0, 12), 0);
  EXPECT_FALSE(Find<QWidget>("EQPassLabel")->isVisible());
  EXPECT_TRUE(Find<QWidget>("EQResetBtn")->isEnabled());
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 12), 0}}));

  link_.writes.clear();
  link_.held.clear();
  Undo();  // the reset: the band values go back to the box one by one, no reset command
  EXPECT_EQ(device_.Get(Band(1, 0)), 2);
  EXPECT_EQ(Find<ParamSelector>("MusModeBox1")->currentIndex(), 2);
  EXPECT_TRUE(Find<TypeLabel>("MusLSQBtn1")->IsChosen());
  EXPECT_EQ(link_.writes, (Writes{{Band(1, 0), 2}}));
  EXPECT_TRUE(link_.held.empty());

  Undo();  // the type label
  EXPECT_EQ(device_.Get(Band(1, 0)), 1);
  EXPECT_TRUE(Find<TypeLabel>("MusPEQBtn1")->IsChosen());
  EXPECT_EQ(History().Stack().index(), 1);  // the maximum volume set first

  // Redo all five: the box and the tables end where the user left them.
  for (int i = 0; i < 5; ++i) Redo();
  EXPECT_EQ(device_.Get(Band(1, 0)), 1);
  EXPECT_EQ(device_.Get(0, 12), 1);
  EXPECT_EQ(device_.Get(1, 13), 1);
  EXPECT_EQ(device_.Get(2, 40), device_.Get(1, 40));
  EXPECT_EQ(device_.Get(25, 1), volume);
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{MakeAddr(25, 1), volume}));
}

TEST_F(UndoTest, PhaseAndMuteSwitchesUndoTheirState) {
  ClickAt("FormEFFTabBtn");
  auto* phase = Find<PictureButton>("EchoEffPhaseBtn");
  const ParamAddr phase_addr = phase->Tag();
  const int phase_before = device_.Get(phase_addr);
  ClickAt("EchoEffPhaseBtn");
  ASSERT_NE(device_.Get(phase_addr), phase_before);
  ClickAt("FormMAINTabBtn");
  auto* mute = Find<PictureButton>("MainLmuteBtn");
  const ParamAddr mute_addr = MakeAddr(Ctx().selection.output_page, SlotOf(mute->Tag()));
  ClickAt("MainLmuteBtn");
  ASSERT_EQ(device_.Get(mute_addr), 1);

  link_.writes.clear();
  Undo();
  EXPECT_EQ(device_.Get(mute_addr), 0);
  EXPECT_EQ(mute->Hint(), "0");
  EXPECT_EQ(link_.writes, (Writes{{mute_addr, 0}}));
  Undo();  // the echo phase, undone while the output page is shown
  EXPECT_EQ(device_.Get(phase_addr), phase_before);
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{phase_addr, phase_before}));
  ClickAt("FormEFFTabBtn");
  EXPECT_EQ(phase->Hint(), QString::number(phase_before));
}

TEST_F(UndoTest, MarkerDragIsUndoneInOneStepFrequencyAndGainTogether) {
  // The window's own graph places the markers.
  Window().SetGraph(&Window().Graph());
  Window().Refresh().RefreshPage(0);
  QWidget* marker = Find<QWidget>("EP2");
  ASSERT_TRUE(marker->isVisible());
  const QPoint at = marker->pos();
  const int freq = device_.Get(Band(2, 1));
  const int gain = device_.Get(Band(2, 2));
  QTest::mousePress(marker, Qt::LeftButton, Qt::NoModifier, QPoint(7, 7));
  for (int i = 1; i <= 5; ++i) QTest::mouseMove(marker, QPoint(7 + 8, 7 - 6));
  QTest::mouseRelease(marker, Qt::LeftButton, Qt::NoModifier, QPoint(7, 7));
  Settle();
  ASSERT_NE(device_.Get(Band(2, 1)), freq);
  ASSERT_NE(device_.Get(Band(2, 2)), gain);
  const int dragged_freq = device_.Get(Band(2, 1));
  const int dragged_gain = device_.Get(Band(2, 2));
  ASSERT_EQ(History().Stack().count(), 1);

  link_.writes.clear();
  Undo();
  EXPECT_EQ(device_.Get(Band(2, 1)), freq);
  EXPECT_EQ(device_.Get(Band(2, 2)), gain);
  EXPECT_EQ(Text("MusGainEdit2"), "0.0dB");
  EXPECT_EQ(link_.writes, (Writes{{Band(2, 1), freq}, {Band(2, 2), gain}}));
  // The graph is redrawn from the restored values: the marker is back where it was.
  EXPECT_EQ(marker->pos(), at);
  Redo();
  EXPECT_EQ(device_.Get(Band(2, 1)), dragged_freq);
  EXPECT_EQ(device_.Get(Band(2, 2)), dragged_gain);
}

TEST_F(UndoTest, QDragIsOneStep) {
  Window().SetGraph(&Window().Graph());
  Window().Refresh().RefreshPage(0);
  QWidget* marker = Find<QWidget>("EP4");
  QWidget* surface = Window().Graph().Surface();
  const QPoint start = surface->mapFromGlobal(marker->mapToGlobal(QPoint(7, 7)));
  QTest::mousePress(marker, Qt::RightButton, Qt::NoModifier, QPoint(7, 7));
  for (int dx = 3; dx <= 15; dx += 3) {
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(dx, 0)),
                     QPointF(surface->mapToGlobal(start + QPoint(dx, 0))), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &move);
  }
  QTest::mouseRelease(surface, Qt::RightButton, Qt::NoModifier, start + QPoint(15, 0));
  Settle();
  ASSERT_EQ(device_.Get(Band(4, 3)), 21);
  ASSERT_EQ(History().Stack().count(), 1);
  Undo();
  EXPECT_EQ(device_.Get(Band(4, 3)), 16);
  EXPECT_EQ(Text("MusQEdit4"), "1.00");
}

TEST_F(UndoTest, PresetLoadIsOneStepUndoneByADownload) {
  TypeInto("MusGainEdit1", "6");
  Find<QLineEdit>("FileEdit")->setText("room");
  Click("RzBmpButton120");  // saved with band 1 at +6 dB
  TypeInto("MusGainEdit1", "-3");
  TypeInto("MicGainEdit2", "2");
  // Every refresh (a tab click as much as an undo) brings the stored limits of page 21 into
  // their range; the comparison below starts from refreshed tables.
  Window().Refresh().RefreshPage(PageRefresh::kAllPages);
  const ValueTable before_load = device_;
  ASSERT_EQ(History().Stack().count(), 3);

  QTest::mouseClick(Find<QWidget>("RzBmpButton119"), Qt::LeftButton);  // load "room"
  Settle();
  ASSERT_EQ(device_.Get(Band(1, 2)), 150);
  EXPECT_EQ(History().Stack().count(), 4);
  EXPECT_EQ(sys_link_.calls, std::vector<std::string>{"full-write"});

  link_.writes.clear();
  Undo();  // every value as before the load, and the pages go to the box as a load sends them
  EXPECT_EQ(FirstDifference(device_, before_load), "");
  EXPECT_EQ(Text("MusGainEdit1"), "-3.0dB");
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_EQ(sys_link_.calls, (std::vector<std::string>{"full-write", "full-write"}));
  Redo();
  EXPECT_EQ(device_.Get(Band(1, 2)), 150);
  EXPECT_EQ(sys_link_.calls.size(), 3u);

  // Offline the values are stored and wait for the next download.
  link_.online = false;
  Undo();
  EXPECT_EQ(FirstDifference(device_, before_load), "");
  EXPECT_EQ(sys_link_.calls.size(), 3u);
}

TEST_F(UndoTest, OfflineEditsAreUndoneInTheTablesOnly) {
  link_.online = false;
  TypeInto("MusFreEdit1", "50");
  ASSERT_NE(device_.Get(Band(1, 1)), 2);
  Undo();
  EXPECT_EQ(device_.Get(Band(1, 1)), 2);
  EXPECT_EQ(Text("MusFreEdit1"), Freq(2));
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(UndoTest, HistoryKeysLeaveTheSingleKeyShortcutsAndTextFieldsAlone) {
  Find<QSlider>("SysMusMaxVolBar")->setValue(84);  // room for the normal volume
  Settle();
  auto* music = Find<QSlider>("SysMusNormalVolBar");
  const int start = music->value();
  Key(Qt::Key_Q);
  ASSERT_EQ(music->value(), start + 1);
  Undo();
  EXPECT_EQ(music->value(), start);
  Key(Qt::Key_Q);  // Q still steps the volume after the history keys
  EXPECT_EQ(music->value(), start + 1);
  Key(Qt::Key_Z);  // Z alone is no history key
  EXPECT_EQ(music->value(), start + 1);

  // In a text field of its own, Ctrl+Z is the field's own text undo.
  auto* file = Find<QLineEdit>("FileEdit");
  file->setFocus();
  QTest::keyClicks(file, "xyz");
  const int steps = History().Stack().index();
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(History().Stack().index(), steps);
  EXPECT_EQ(music->value(), start + 1);
  EXPECT_EQ(file->text(), "");
}

TEST_F(UndoTest, TheLockScreenHoldsUndoRedoAndCompare) {
  TypeInto("MusFreEdit3", "1000");
  ASSERT_EQ(device_.Get(Band(3, 1)), 204);
  device_.Set(30, 4, 1);  // the box is locked: the next first refresh shows the lock screen
  link_.first_refresh = true;
  Window().Refresh().RefreshPage(100);
  ASSERT_TRUE(Find<QWidget>("FirstCheckGrop")->isVisible());
  link_.writes.clear();

  Find<QWidget>("Examplexx")->setFocus(Qt::OtherFocusReason);
  Undo();
  for (const char* name : {"UndoBtn", "CompareBBtn", "CompareABtn"}) {
    QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton);
    Settle();
  }
  EXPECT_EQ(device_.Get(Band(3, 1)), 204);
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_TRUE(History().CanUndo());

  // Unlocked, the same button undoes the edit.
  auto* password = Find<QLineEdit>("PanelPassWordEdit");
  password->clear();
  QTest::keyClicks(password, "2468");
  QTest::keyClick(password, Qt::Key_Return);
  ASSERT_FALSE(Find<QWidget>("FirstCheckGrop")->isVisible());
  QTest::mouseClick(Find<QWidget>("UndoBtn"), Qt::LeftButton);
  Settle();
  EXPECT_EQ(device_.Get(Band(3, 1)), 62);
  EXPECT_EQ(link_.writes, (Writes{{Band(3, 1), 62}}));
}

TEST_F(UndoTest, TitleStripButtonsCarryTooltipsInBothLanguages) {
  EXPECT_EQ(Find<QWidget>("UndoBtn")->toolTip(), QString::fromUtf8("撤销"));
  EXPECT_EQ(Find<QWidget>("RedoBtn")->toolTip(), QString::fromUtf8("重做"));
  EXPECT_EQ(Find<QWidget>("CompareABtn")->toolTip(), QString::fromUtf8("比较 A/B"));
  EXPECT_EQ(Find<QWidget>("CompareBBtn")->toolTip(), QString::fromUtf8("比较 A/B"));
  EXPECT_TRUE(Find<QWidget>("SysLoadModeBtn")->toolTip().contains(QString::fromUtf8("不能撤销")));
  EXPECT_FALSE(Find<QWidget>("UndoBtn")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("RedoBtn")->isEnabled());
  Window().RzToolButton11Click();
  EXPECT_EQ(Find<QWidget>("UndoBtn")->toolTip(), "Undo");
  EXPECT_EQ(Find<QWidget>("RedoBtn")->toolTip(), "Redo");
  EXPECT_EQ(Find<QWidget>("CompareBBtn")->toolTip(), "Compare A/B");
  EXPECT_TRUE(Find<QWidget>("SysFactoryBtn7")->toolTip().contains("cannot be undone"));
}

}  // namespace
}  // namespace kdsp::testing
