#pragma once

// The link button's fixture: the window, the bridge and the real link component wired as the
// program wires them, against the emulated box over loopback TCP and a pseudo-terminal.

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <functional>

#include "boxsim/box_server_thread.h"
#include "console_rig.h"
#include "link/hid_backend.h"
#include "link/link_component.h"
#include "ui/link_bridge.h"
#include "ui/status_popup.h"
#include "ui_fixture.h"

namespace kdsp::testing {

inline LinkTimings Fast() { return FastLinkTimings(); }
inline constexpr int kPollMs = 50 * 5;  // a poll every 50 hold ticks

/// Runs the event loop until `done` holds or `timeout_ms` passed. Unlike QTest::qWaitFor, which
/// sleeps 10 ms between rounds, it handles every event as it comes, so the link's fast timers
/// and the box's answers are not held back.
inline bool WaitUntil(const std::function<bool()>& done, int timeout_ms) {
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
  bool WaitOnline() {
    return WaitUntil([this] { return bridge_->IsOnline(); }, 20000);
  }
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

}  // namespace kdsp::testing
