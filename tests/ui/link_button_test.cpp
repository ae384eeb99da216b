// The link button and the window's close request, through the real widgets, against the
// emulated box over loopback TCP and a pseudo-terminal.

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <functional>

#include "boxsim/box_server_thread.h"
#include "link/hid_backend.h"
#include "link/link_component.h"
#include "ui/link_bridge.h"
#include "ui/status_popup.h"
#include "console_rig.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

LinkTimings Fast() { return FastLinkTimings(); }
constexpr int kPollMs = 50 * 5;  // a poll every 50 hold ticks

/// Runs the event loop until `done` holds or `timeout_ms` passed. Unlike QTest::qWaitFor, which
/// sleeps 10 ms between rounds, it handles every event as it comes, so the link's fast timers
/// and the box's answers are not held back.
bool WaitUntil(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  QTimer wake;  // re-checks conditions that the box's thread changes
  wake.start(2);
  while (!done()) {
    if (clock.elapsed() >= timeout_ms) return done();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

/// Closes every message box as soon as it shows and keeps its text, as a user clicking OK.
class MessageCloser {
 public:
  MessageCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = OpenMessageBox()) {
        texts.push_back(box->text());
        box->done(QMessageBox::Ok);
      }
    });
    timer_.start(5);
  }
  QStringList texts;

 private:
  QTimer timer_;
};

/// The window, the bridge and the real link component wired as the program wires them; no
/// USB device and, unless a test lists one, no serial port.
class LinkButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A free port to start the box on later: nobody listens there until then.
    ASSERT_TRUE(server_.Start()) << server_.Error();
    port_ = server_.Port();
    server_.Stop();
    window_ = std::make_unique<ui::MainWindow>(device_, view_);
    window_->SetNetworkAddress("127.0.0.1", QString::number(port_));
    bridge_ = std::make_unique<ui::LinkBridge>(*window_, popup_);
    link_ = WireConsole(*window_, *bridge_, device_, Fast(), [this] { return ports_; });
    window_->show();
  }
  void TearDown() override {
    link_.reset();
    window_.reset();
  }
  void ServeTcp() {
    boxsim::ServerOptions options;
    options.tcp_port = port_;
    options.send_gap_ms = 0;  // the console cuts the stream into frames itself
    ASSERT_TRUE(server_.Start(options)) << server_.Error();
  }
  void ClickLink() { QTest::mouseClick(window_->LinkButton(), Qt::LeftButton); }
  bool WaitOnline() { return WaitUntil([this] { return bridge_->IsOnline(); }, 20000); }
  QString LinkText() { return window_->findChild<QLabel*>("LinkLabel")->text(); }
  boxsim::BoxSim& box() { return server_.Box(); }

  boxsim::BoxServerThread server_;
  int port_ = 0;
  std::vector<std::string> ports_;
  ValueTable device_, view_;
  ui::StatusPopup popup_;
  std::unique_ptr<ui::MainWindow> window_;
  std::unique_ptr<ui::LinkBridge> bridge_;
  std::unique_ptr<LinkComponent> link_;
};

TEST_F(LinkButtonTest, UnlinksWithAFarewellAndLinksAgainReadingEverything) {
  MessageCloser closer;
  ServeTcp();
  link_->Start();
  ASSERT_TRUE(WaitOnline());
  ASSERT_EQ(window_->LinkButton()->text(), QString::fromUtf8("断开"));

  // Unlink: the farewell reaches the box, the polls stop, the button offers to link.
  ClickLink();
  EXPECT_FALSE(bridge_->IsOnline());
  EXPECT_TRUE(WaitUntil([this] { return box().Counters().byes == 1; }, 5000));
  EXPECT_EQ(window_->LinkButton()->text(), QString::fromUtf8("联机"));
  EXPECT_EQ(LinkText(), QString::fromUtf8("设备未连接"));
  const auto heard = box().Counters().frames_received;
  QTest::qWait(3 * kPollMs);
  EXPECT_EQ(box().Counters().frames_received, heard) << "the console still polls";

  // Link again: a new search, the handshake and a full read bring the box's values in.
  box().SetParam(0, 15, 120);
  const auto hellos = box().Counters().hellos;
  ClickLink();
  ASSERT_TRUE(WaitOnline());
  EXPECT_GT(box().Counters().hellos, hellos);
  EXPECT_EQ(window_->findChild<QSlider*>("MusEQGainBar1")->value(), 120);
  EXPECT_EQ(LinkText(), QString::fromUtf8("设备已连接"));
  EXPECT_EQ(window_->LinkButton()->text(), QString::fromUtf8("断开"));
  // ... and the polls go on again.
  const auto after = box().Counters().frames_received;
  EXPECT_TRUE(WaitUntil([&] { return box().Counters().frames_received > after; }, 5000));
  EXPECT_TRUE(closer.texts.isEmpty()) << closer.texts.join(", ").toStdString();
}

TEST_F(LinkButtonTest, ABoxSwitchedOnAfterAFailedSearchIsFoundByTheNextClick) {
  MessageCloser closer;
  link_->Start();
  ASSERT_TRUE(WaitUntil([&] { return !closer.texts.isEmpty(); }, 10000));
  EXPECT_EQ(closer.texts, QStringList{QString::fromUtf8("连接失败!")});
  EXPECT_EQ(window_->LinkButton()->text(), QString::fromUtf8("联机"));
  EXPECT_FALSE(popup_.isVisible());

  ServeTcp();
  ClickLink();
  ASSERT_TRUE(WaitOnline());
  EXPECT_GE(box().Counters().hellos, 1);
  EXPECT_EQ(closer.texts.size(), 1);
}

// The status popup is a window of its own. Closing the main window while it shows (here during
// a search that finds nobody) still ends the program, stops the search, and the window does
// not come back when a box appears.
TEST_F(LinkButtonTest, ClosingDuringASearchEndsTheProgram) {
  link_->Start();
  ASSERT_TRUE(WaitUntil([this] { return popup_.isVisible(); }, 5000));
  QTimer::singleShot(0, window_.get(), [this] {
    QTest::mouseClick(window_->findChild<QWidget*>("RzBmpButton3"), Qt::LeftButton);
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  watchdog.start(3000);
  EXPECT_EQ(QApplication::exec(), 0) << "the program went on after its window closed";
  watchdog.stop();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(popup_.isVisible());
  EXPECT_FALSE(link_->machine().SearchTimerOn());

  ServeTcp();
  QTest::qWait(10 * Fast().search_ms);
  EXPECT_EQ(box().Counters().hellos, 0);
  EXPECT_FALSE(window_->isVisible());
}

// Closing while online: the farewell is pushed out before the program ends, even when the
// port or the socket goes right after the close without another turn of the event loop.
TEST_F(LinkButtonTest, ClosingSaysFarewellBeforeTheEndOverTheSerialPortAndTheNetwork) {
  MessageCloser closer;  // none is expected; one would only stop the test from failing
  for (const LinkKind kind : {LinkCom, LinkTcp}) {
    if (kind == LinkTcp) {
      ServeTcp();
      ports_.clear();
      link_ = std::make_unique<LinkComponent>(device_, *bridge_, std::make_unique<NoUsb>(),
                                              Fast());
      bridge_->Attach(link_.get());
      link_->SetTcpEndpoint("127.0.0.1", QString::number(port_));
      window_->show();
    } else {
      boxsim::ServerOptions options;
      options.tcp = false;
      options.pty = true;
      ASSERT_TRUE(server_.Start(options)) << server_.Error();
      ports_ = {server_.PtyPath()};
    }
    link_->Start();
    ASSERT_TRUE(WaitOnline());
    ASSERT_EQ(link_->machine().kind(), kind);
    ASSERT_TRUE(WaitUntil([this] { return link_->machine().state().ReadyToSend; }, 5000));

    const auto byes = box().Counters().byes;
    QTest::mouseClick(window_->findChild<QWidget*>("RzBmpButton3"), Qt::LeftButton);
    link_.reset();  // the program ends: the port or socket closes with the component
    EXPECT_TRUE(WaitUntil([&] { return box().Counters().byes == byes + 1; }, 3000))
        << int(kind);
    EXPECT_FALSE(window_->isVisible());
    server_.Stop();
  }
  EXPECT_TRUE(closer.texts.isEmpty()) << closer.texts.join(", ").toStdString();
}

}  // namespace
}  // namespace kdsp::testing
