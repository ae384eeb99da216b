// Faults found by driving the console as a user does against the emulated box: each test acts
// through the real widgets (clicks, keys, the wheel, drags) and checks what the box received.

#include <functional>
#include <string>

#include <QAbstractItemView>
#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>

#include "box_console_fixture.h"
#include "edit/bound_widgets.h"
#include "history_fixture.h"

namespace kdsp::testing {
namespace {

/// Address of a field of a music band (band 1-based).
constexpr ParamAddr MusicBand(int band, int field) {
  return MakeAddr(0, 13 + 5 * (band - 1) + field);
}
constexpr ParamAddr kMusicBand10Freq = MusicBand(10, 1);

class WindowFaultsTest : public BoxConsoleTest {
 public:
  // The user's gestures, open to the tables of cases.
  using BoxConsoleTest::ClickAt;
  using BoxConsoleTest::Find;

 protected:
  void SetUp() override {
    BoxConsoleTest::SetUp();
    if (HasFatalFailure()) return;
    LetTheBoxCatchUp();
    TakeWrites();
  }

 public:
  /// A key as the keyboard sends it, to the control that has the focus: a held Ctrl or Shift
  /// goes down and up around it.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    auto target = [this] {
      QWidget* focus = QApplication::focusWidget();
      return focus != nullptr ? focus : static_cast<QWidget*>(window_.get());
    };
    if (mods & Qt::ControlModifier) QTest::keyPress(target(), Qt::Key_Control);
    if (mods & Qt::ShiftModifier)
      QTest::keyPress(target(), Qt::Key_Shift, mods & Qt::ControlModifier);
    QTest::keyClick(target(), static_cast<Qt::Key>(key), mods);
    if (mods & Qt::ShiftModifier) QTest::keyRelease(target(), Qt::Key_Shift, mods);
    if (mods & Qt::ControlModifier) QTest::keyRelease(target(), Qt::Key_Control, mods);
    QCoreApplication::processEvents();
  }
  /// Clicks an edit and types `text` into it, Enter only when asked.
  void Type(const char* name, const QString& text, bool enter) {
    auto* edit = Find<ParamEdit>(name);
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    if (enter) QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
  }
  /// One notch of the wheel over the graph, away from any control.
  void WheelUp() {
    SendWheel(Find<QWidget>("AdvPanel2"), 120);
    QCoreApplication::processEvents();
  }
  /// A left-button drag of a graph marker by five pointer moves.
  void DragMarker(const char* name, QPoint step) {
    QWidget* marker = Find<QWidget>(name);
    QTest::mousePress(marker, Qt::LeftButton, Qt::NoModifier, QPoint(7, 7));
    for (int i = 1; i <= 5; ++i) QTest::mouseMove(marker, QPoint(7, 7) + step);
    QTest::mouseRelease(marker, Qt::LeftButton, Qt::NoModifier, QPoint(7, 7));
    QCoreApplication::processEvents();
  }
  /// Drags a trackbar's thumb `pixels` along the bar, in three moves.
  void DragThumb(const char* name, int pixels) {
    auto* bar = Find<QSlider>(name);
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.upsideDown =
        bar->orientation() == Qt::Vertical ? !bar->invertedAppearance() : bar->invertedAppearance();
    const QPoint grip = bar->style()
                            ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, bar)
                            .center();
    const QPoint along = bar->orientation() == Qt::Horizontal ? QPoint(1, 0) : QPoint(0, -1);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, grip);
    for (int i = 1; i <= 3; ++i) QTest::mouseMove(bar, grip + along * (pixels * i / 3));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, grip + along * pixels);
    QCoreApplication::processEvents();
  }
  /// Chooses item `item` of a selector as a user does with the keyboard: the press opens the
  /// list, the arrow keys walk it and Enter takes the item.
  void ChooseWithKeys(const char* name, int item) {
    auto* box = Find<QComboBox>(name);
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([box] { return box->view()->isVisible(); }, 2000));
    const int steps = item - box->currentIndex();
    for (int i = 0; i < std::abs(steps); ++i) Key(steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    Key(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([box] { return !box->view()->isVisible(); }, 2000));
    ASSERT_EQ(box->currentIndex(), item);
  }

 protected:
  static bool Touches(const Writes& writes, ParamAddr a) {
    for (const auto& w : writes) {
      if (w.first == a) return true;
    }
    return false;
  }
  static int PageWrites(const Writes& writes, int page) {
    int n = 0;
    for (const auto& w : writes) n += PageOf(w.first) == page ? 1 : 0;
    return n;
  }
};

TEST_F(WindowFaultsTest, AfterAHistoryKeyTheWheelAndArrowsStepTheEditClicked) {
  struct Case {
    const char* what;
    std::function<void(WindowFaultsTest&)> history;
  };
  const Case cases[] = {
      {"Ctrl+Z", [](WindowFaultsTest& t) { t.Key(Qt::Key_Z, Qt::ControlModifier); }},
      {"Ctrl+Y",
       [](WindowFaultsTest& t) {
         t.ClickAt("UndoBtn");
         t.Key(Qt::Key_Y, Qt::ControlModifier);
       }},
      {"Ctrl+Shift+Z",
       [](WindowFaultsTest& t) {
         t.ClickAt("UndoBtn");
         t.Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Type("MusFreEdit3", "1000", true);
    ASSERT_TRUE(BoxHolds({MusicBand(3, 1)}, {204}));
    c.history(*this);
    LetTheBoxCatchUp();
    const int band1 = box().Param(0, SlotOf(MusicBand(1, 1)));
    const int band10 = box().Param(0, SlotOf(kMusicBand10Freq));
    TakeWrites();

    ClickAt("MusFreEdit1");
    WheelUp();
    Key(Qt::Key_Right);
    LetTheBoxCatchUp();
    EXPECT_EQ(TakeWrites(), (Writes{{MusicBand(1, 1), band1 + 1}, {MusicBand(1, 1), band1 + 2}}));
    EXPECT_EQ(box().Param(0, SlotOf(kMusicBand10Freq)), band10);
    EXPECT_EQ(Find<QSlider>("MusPanScrollBar")->value(), 0);  // the strip stays at band 1
  }
}

TEST_F(WindowFaultsTest, LockScreenHoldsTheGraphAndUnlockingGivesTheKeysBack) {
  for (const char* max : {"SysMusMaxVolBar", "SysMicMaxVolBar", "SysEffMaxVolBar"}) {
    Find<QSlider>(max)->setValue(84);  // room for the normal volumes to rise
  }
  ClickAt("MusFreEdit2");   // band 2 selected before the lock
  ClickAt("SysPanelBtn2");  // front-panel lock on; the next connection asks for the password
  ASSERT_TRUE(BoxHolds({MakeAddr(30, 4)}, {1}));
  // Off the link and on again: the new connection finds the panel locked.
  QTest::mouseClick(window_->LinkButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([this] { return !bridge_->IsOnline(); }, 5000));
  QTest::mouseClick(window_->LinkButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([this] { return Find<QWidget>("FirstCheckGrop")->isVisible(); }));
  Activate();
  LetTheBoxCatchUp();
  TakeWrites();

  // Left drag of band 1's marker, right drag on band 3's marker, the wheel, the keys.
  DragMarker("EP1", QPoint(12, -9));
  QWidget* ep3 = Find<QWidget>("EP3");
  QWidget* surface = Find<QWidget>("Image1");
  QTest::mousePress(ep3, Qt::RightButton, Qt::NoModifier, QPoint(7, 7));
  const QPoint from = surface->mapFrom(ep3->parentWidget(), ep3->pos() + QPoint(7, 7));
  for (int dx = 4; dx <= 40; dx += 4) {
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(dx, 0)),
                     surface->mapToGlobal(QPointF(from + QPoint(dx, 0))), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &move);
  }
  QTest::mouseRelease(ep3, Qt::RightButton, Qt::NoModifier, QPoint(7, 7));
  WheelUp();
  for (int key : {Qt::Key_Q, Qt::Key_W, Qt::Key_E}) Key(key);
  Key(Qt::Key_Z, Qt::ControlModifier);
  LetTheBoxCatchUp();
  EXPECT_EQ(TakeWrites(), Writes{});

  // The box's password opens it; the keys act at once, without a click first.
  auto* password = Find<QLineEdit>("PanelPassWordEdit");
  QTest::keyClicks(password, "8888");
  QTest::keyClick(password, Qt::Key_Return);
  ASSERT_FALSE(Find<QWidget>("FirstCheckGrop")->isVisible());
  const int music = box().Param(25, 1);
  const int mic = box().Param(25, 0);
  Key(Qt::Key_Q);
  Key(Qt::Key_W);
  EXPECT_TRUE(BoxHolds({MakeAddr(25, 1), MakeAddr(25, 0)}, {music + 1, mic + 1}));
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(BoxHolds({MakeAddr(25, 1), MakeAddr(25, 0)}, {music + 1, mic}));
}

TEST_F(WindowFaultsTest, AChoiceInASelectorIsAStepOfItsOwn) {
  struct Case {
    const char* what;
    std::function<void(WindowFaultsTest&)> action;
  };
  const Case cases[] = {
      {"spin click",
       [](WindowFaultsTest& t) {
         QTest::mouseClick(t.Find<SpinButtons>("MusQUpDownBtn3")->UpButton(), Qt::LeftButton);
       }},
      {"type label", [](WindowFaultsTest& t) { t.ClickAt("MusLSQBtn2"); }},
      {"EQ pass", [](WindowFaultsTest& t) { t.ClickAt("MusEQAllpassBtn"); }},
      {"key slider", [](WindowFaultsTest& t) { t.DragThumb("MusPitchBar", 30); }},
      {"marker drag", [](WindowFaultsTest& t) { t.DragMarker("EP4", QPoint(10, -8)); }},
  };
  int item = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ChooseWithKeys("MusHPTypeBox", item);
    LetTheBoxCatchUp();
    const ValueTable chosen = box().Memory().params;
    ASSERT_EQ(chosen.Get(0, 7), item);
    c.action(*this);
    QCoreApplication::processEvents();
    LetTheBoxCatchUp();
    ASSERT_NE(FirstDifference(box().Memory().params, chosen), "") << "the action changed nothing";
    Key(Qt::Key_Z, Qt::ControlModifier);
    LetTheBoxCatchUp();
    EXPECT_EQ(FirstDifference(box().Memory().params, chosen), "");
    item = item == 1 ? 2 : 1;
  }
}

TEST_F(WindowFaultsTest, ATypedValueReachesItsOwnAddressBeforeTheSharedEditsChange) {
  struct Case {
    const char* tab;  // where the value is typed
    const char* edit;
    const char* text;
    ParamAddr addr;  // device address of the typed value
    int value;
    std::function<void(WindowFaultsTest&)> then;
    int box_after;  // what the box holds at the address in the end
  };
  const auto click = [](const char* name) {
    return [name](WindowFaultsTest& t) { t.ClickAt(name); };
  };
  const Case cases[] = {
      {"FormMICATabBtn", "MicGainEdit2", "4", MakeAddr(1, 22), 140, click("FormMICBTabBtn"), 140},
      {"FormMAINTabBtn", "MainGainEdit2", "2", MakeAddr(5, 34), 130, click("FormSURTabBtn"), 130},
      {"FormMusTabBtn", "MusGainEdit2", "3", MusicBand(2, 2), 135, click("RzToolButton11"), 135},
      {"FormMusTabBtn", "MusGainEdit2", "-2", MusicBand(2, 2), 110, click("CompareBBtn"), 110},
      // Typed on B, then back to A, which holds what B began with.
      {"FormMusTabBtn", "MusGainEdit2", "1", MusicBand(2, 2), 125, click("CompareABtn"), 110},
      // Entered and undone at once: the box is back where it was.
      {"FormMusTabBtn", "MusGainEdit2", "5", MusicBand(2, 2), 145, click("UndoBtn"), 110},
      {"FormMusTabBtn", "MusGainEdit2", "6", MusicBand(2, 2), 150,
       [](WindowFaultsTest& t) { t.Key(Qt::Key_Z, Qt::ControlModifier); }, 110},
      {"FormMusTabBtn", "MusGainEdit2", "4", MusicBand(2, 2), 140, click("EQResetBtn"), 120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.edit) + " then " + c.text);
    ClickAt(c.tab);
    Type(c.edit, c.text, false);
    TakeWrites();
    c.then(*this);
    LetTheBoxCatchUp();
    const Writes writes = TakeWrites();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), (std::pair<ParamAddr, int>{c.addr, c.value}));
    EXPECT_FALSE(Touches(writes, kMusicBand10Freq));
    EXPECT_EQ(box().Param(PageOf(c.addr), SlotOf(c.addr)), c.box_after);
  }
}

TEST_F(WindowFaultsTest, UndoOnTheAuxiliaryPageRestoresWhatTheBoxHeld) {
  ClickAt("FormAUXTabBtn");
  Type("AUXMUS2GainEdit1", "5", true);      // BASS current +5 dB
  Type("AUXMUSBassMaxAddEdit", "3", true);  // Max Lift +3 dB
  ASSERT_TRUE(BoxHolds({MakeAddr(21, 3), MakeAddr(21, 31)}, {145, 135}));
  TakeWrites();
  ClickAt("AUXMUS2GainEdit1");  // a click shows what the box holds and sends nothing
  EXPECT_EQ(Find<QLineEdit>("AUXMUS2GainEdit1")->text(), "5.0dB");
  Type("AUXMUS2GainEdit1", "1", true);
  ASSERT_TRUE(BoxHolds({MakeAddr(21, 3)}, {125}));
  Key(Qt::Key_Z, Qt::ControlModifier);
  LetTheBoxCatchUp();
  EXPECT_EQ(TakeWrites(), (Writes{{MakeAddr(21, 3), 125}, {MakeAddr(21, 3), 145}}));
}

TEST_F(WindowFaultsTest, UndoAndCompareNeverWriteWhatTheBoxKeepsInStepWhileSynced) {
  ClickAt("FormMICATabBtn");
  ClickAt("SameBtn");  // sync on
  ASSERT_TRUE(BoxHolds({MakeAddr(1, 13)}, {1}));
  Type("MicGainEdit3", "2", true);  // a microphone setting both microphones share
  ClickAt("RightBtn");              // leave the sync on microphone 2
  ClickAt("FormMICBTabBtn");
  Type("MicGainEdit3", "-3", true);  // microphone 2 now has its own value
  ASSERT_TRUE(BoxHolds({MakeAddr(1, 13), MakeAddr(2, 27)}, {0, 105}));
  TakeWrites();

  // Microphone 2's own value is undone on microphone 2; then back into the sync by undo: the
  // flag only, the box brings microphone 2 in step.
  Key(Qt::Key_Z, Qt::ControlModifier);
  ASSERT_TRUE(BoxHolds({MakeAddr(2, 27)}, {130}));
  LetTheBoxCatchUp();
  TakeWrites();
  Key(Qt::Key_Z, Qt::ControlModifier);
  LetTheBoxCatchUp();
  Writes writes = TakeWrites();
  EXPECT_TRUE(Touches(writes, MakeAddr(1, 13)));
  EXPECT_EQ(PageWrites(writes, 2), 0) << ::testing::PrintToString(writes);
  EXPECT_EQ(box().Param(1, 13), 1);

  // A holds the sync; B leaves it and gives microphone 2 a value; back to A writes no page 2.
  ClickAt("CompareBBtn");
  ClickAt("RightBtn");
  ClickAt("FormMICBTabBtn");
  Type("MicGainEdit5", "4", true);
  ASSERT_TRUE(BoxHolds({MakeAddr(1, 13), MakeAddr(2, 37)}, {0, 140}));
  TakeWrites();
  ClickAt("CompareABtn");
  LetTheBoxCatchUp();
  writes = TakeWrites();
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes.front(), (std::pair<ParamAddr, int>{MakeAddr(1, 13), 1}));
  EXPECT_EQ(PageWrites(writes, 2), 0) << ::testing::PrintToString(writes);
  // The box and the window agree on both microphones (the box keeps its own copy of the flag).
  for (int page : {1, 2}) {
    for (int slot = 0; slot <= 114; ++slot) {
      if (page == 2 && slot == 13) continue;
      EXPECT_EQ(box().Param(page, slot), device_.Get(page, slot)) << page << "." << slot;
    }
  }
}

}  // namespace
}  // namespace kdsp::testing
