// The whole console against the emulated box over loopback TCP: the window, the link bridge and
// the real link component, with the link's timers running fast.

#include <QLineEdit>
#include <QSlider>

#include "boxsim/box_server_thread.h"
#include "link/hid_backend.h"
#include "link/link_component.h"
#include "model/display_kind.h"
#include "ui/link_bridge.h"
#include "ui/status_popup.h"
#include "console_rig.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

class OnlineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxsim::ServerOptions options;
    options.tcp = true;
    ASSERT_TRUE(server_.Start(options)) << server_.Error();
    box().SetParam(0, 15, 150);  // music band 1 at +6 dB
    box().SetParam(0, 6, 10);    // key +3
    window_ = std::make_unique<ui::MainWindow>(device_, view_);
    window_->SetNetworkAddress("127.0.0.1", QString::number(server_.Port()));
    bridge_ = std::make_unique<ui::LinkBridge>(*window_, popup_);
    link_ = WireConsole(*window_, *bridge_, device_, FastLinkTimings());
    window_->SetLanguageListener([this](int lang) { bridge_->OnLanguageChanged(lang); });
    window_->show();
  }
  /// Start-up without a box on USB or a serial port: the search goes to the network.
  void Connect() {
    link_->Start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 20000));
  }
  void TearDown() override {
    link_.reset();
    window_.reset();
  }

  boxsim::BoxSim& box() { return server_.Box(); }
  template <typename T = QWidget>
  T* Find(const char* name) {
    T* w = window_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  bool WaitBox(int page, int slot, int value) {
    return QTest::qWaitFor([&] { return box().Param(page, slot) == value; }, 5000);
  }

  boxsim::BoxServerThread server_;
  ValueTable device_, view_;
  ui::StatusPopup popup_;
  std::unique_ptr<ui::MainWindow> window_;
  std::unique_ptr<ui::LinkBridge> bridge_;
  std::unique_ptr<LinkComponent> link_;
};

TEST_F(OnlineTest, TheWindowMirrorsTheBoxAndEditsReachIt) {
  Connect();
  // Arrival: the pages show what the box holds, the link says so in the current language.
  EXPECT_EQ(Find<ParamEdit>("MusGainEdit1")->text(), "6.0dB");
  EXPECT_EQ(Find<QSlider>("MusEQGainBar1")->value(), 150);
  EXPECT_EQ(Find<StatusPane>("MusPitchPane")->text(), "3");
  EXPECT_EQ(Find<ParamEdit>("MusFreEdit4")->text(),
            QString::fromStdString(FormatKind(kKindFrequency, box().Param(0, 29))));
  EXPECT_EQ(Find<QLabel>("LinkLabel")->text(), QString::fromUtf8("设备已连接"));
  EXPECT_EQ(Find<QAbstractButton>("LinkBtn")->text(), QString::fromUtf8("断开"));
  EXPECT_FALSE(popup_.isVisible());
  EXPECT_EQ(box().Param(30, 3), 1);

  // A typed frequency and a dragged gain go out and land in the box.
  auto* freq = Find<ParamEdit>("MusFreEdit3");
  QTest::mouseClick(freq, Qt::LeftButton);
  freq->selectAll();
  QTest::keyClicks(freq, "1000");
  QTest::keyClick(freq, Qt::Key_Return);
  EXPECT_TRUE(WaitBox(0, 24, 204));
  Find<QSlider>("MusEQGainBar3")->setValue(150);
  EXPECT_TRUE(WaitBox(0, 25, 150));
  for (int pos = 100; pos <= 130; ++pos) Find<QSlider>("MusHPFREBar")->setValue(pos);
  EXPECT_TRUE(WaitBox(0, 8, 130));
  EXPECT_EQ(box().Counters().frames_rejected, 0);

  // The language switch keeps the link's meaning and carries the popup along.
  Find<QAbstractButton>("RzToolButton11")->click();
  EXPECT_EQ(Find<QLabel>("LinkLabel")->text(), "Online");
  EXPECT_EQ(Find<QAbstractButton>("LinkBtn")->text(), "Unlink");
  EXPECT_EQ(popup_.windowTitle(), "Device Staus");
  EXPECT_TRUE(bridge_->IsOnline());
}

TEST_F(OnlineTest, KeyTurnedAtTheBoxIsShownByThePoll) {
  Connect();
  box().TurnMusicKey(12);
  EXPECT_TRUE(
      QTest::qWaitFor([this] { return Find<StatusPane>("MusPitchPane")->text() == "5"; }, 5000));
  EXPECT_EQ(Find<QSlider>("MusPitchBar")->value(), 12);
  EXPECT_EQ(device_.Get(0, 6), 12);
  EXPECT_EQ(box().Counters().frames_rejected, 0);
}

TEST_F(OnlineTest, ArrivalInTheDanceSceneShowsTheDancePageOfTheOpenOutput) {
  box().SetParam(0, 64, 1);
  box().SetParam(5, 0, 20);
  box().SetParam(6, 0, 150);
  QTest::mouseClick(Find<QWidget>("FormMAINTabBtn"), Qt::LeftButton);
  ASSERT_EQ(window_->Context().selection.output_page, 5);
  Connect();
  EXPECT_EQ(window_->Context().selection.scene_mode, 1);
  EXPECT_EQ(window_->Context().selection.output_page, 6);
  EXPECT_EQ(view_.Get(5, 0), 150);
  EXPECT_EQ(Find<PictureButton>("DiscoModeBtn")->CurrentLook(), PictureButton::Look::kPressed);
}

TEST_F(OnlineTest, LockedFrontPanelLocksTheWindowOnArrivalOnly) {
  box().SetParam(30, 4, 1);
  auto* lock = new QWidget(window_.get());
  lock->setObjectName("FirstCheckGrop");
  lock->hide();
  // Tabs chosen before the box is found do not use up the check.
  QTest::mouseClick(Find<QWidget>("FormMICATabBtn"), Qt::LeftButton);
  EXPECT_FALSE(lock->isVisible());
  Connect();
  EXPECT_TRUE(lock->isVisible());
  EXPECT_EQ(window_->Context().channel.current_tab, 0);
  EXPECT_FALSE(Find<QWidget>("FormPageItem")->isEnabled());
  // Later refreshes of the same connection leave the window alone.
  lock->hide();
  QTest::mouseClick(Find<QWidget>("FormMICATabBtn"), Qt::LeftButton);
  QTest::mouseClick(Find<QWidget>("FormMusTabBtn"), Qt::LeftButton);
  EXPECT_FALSE(lock->isVisible());
}

TEST_F(OnlineTest, ClosingWhileOnlineSaysFarewellOnce) {
  Connect();
  ASSERT_EQ(box().Counters().byes, 0);
  QTest::mouseClick(Find<QWidget>("RzBmpButton3"), Qt::LeftButton);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([this] { return box().Counters().byes == 1; }, 5000));
  EXPECT_FALSE(bridge_->IsOnline());
}

}  // namespace
}  // namespace kdsp::testing
