#pragma once

// The whole console against the emulated box over loopback TCP, online when the test begins,
// with what the box receives at hand: its memory and the parameter writes in order.

#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <QTemporaryDir>

#include "boxsim/box_server_thread.h"
#include "console_rig.h"
#include "link/link_component.h"
#include "presets/codec/preset_dirs.h"
#include "system_test_fixture.h"
#include "ui/link_bridge.h"
#include "ui/status_popup.h"
#include "ui/system_link.h"

namespace kdsp::testing {

/// Search and transfers run fast; the writes are paced as in use (20 ms hold tick).
inline LinkTimings FastSearchRealPacing() {
  LinkTimings t;
  t.search_ms = 40;
  t.transfer_ms = 5;
  t.transfer_tcp_ms = 8;
  return t;
}

class BoxConsoleTest : public ::testing::Test {
 protected:
  using Writes = std::vector<std::pair<ParamAddr, int>>;

  void SetUp() override {
    boxsim::ServerOptions options;
    options.tcp = true;
    ASSERT_TRUE(server_.Start(options)) << server_.Error();
    ASSERT_TRUE(temp_.isValid());
    box().SetLog([this](std::string_view line) { NoteFrame(line); });
    window_ = std::make_unique<ui::MainWindow>(device_, view_);
    window_->SetNetworkAddress("127.0.0.1", QString::number(server_.Port()));
    bridge_ = std::make_unique<ui::LinkBridge>(*window_, popup_);
    link_ = WireConsole(*window_, *bridge_, device_, FastSearchRealPacing());
    system_link_ = std::make_unique<ui::LinkSystemAdapter>(*link_);
    window_->System().SetLink(system_link_.get());
    window_->System().SetDialogs(&dialogs_);
    window_->System().Files().SetDirs(
        ResolvePresetDirs(temp_.path().toStdString(), "", IsWritableDirectory));
    window_->show();
    link_->Start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 20000));
    Activate();
  }
  /// The window takes the keys again, as when the user comes back to it after the link's
  /// status popup.
  void Activate() {
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  void TearDown() override {
    box().SetLog({});
    link_.reset();
    window_.reset();
  }

  boxsim::BoxSim& box() { return server_.Box(); }
  EditHistory& History() { return window_->History(); }
  template <typename T = QWidget>
  T* Find(const char* name) const {
    T* w = window_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no control " << name;
    return w;
  }
  void ClickAt(const char* name) {
    QWidget* w = window_->findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  /// True once the box holds `values` at `addrs` (device addresses).
  bool BoxHolds(const std::vector<ParamAddr>& addrs, const std::vector<int>& values) {
    return QTest::qWaitFor(
        [&] {
          for (std::size_t i = 0; i < addrs.size(); ++i) {
            if (box().Param(PageOf(addrs[i]), SlotOf(addrs[i])) != values[i]) return false;
          }
          return true;
        },
        5000);
  }
  /// The transfer just started (the link left the online state at once) has ended.
  bool WaitOnlineAgain() {
    if (bridge_->IsOnline()) return false;
    return QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 20000);
  }

  /// The parameter writes (device address, value) the box received since the last call.
  Writes TakeWrites() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(writes_, {});
  }
  /// Lets the console send what it queued and the box answer: a pause well over the time the
  /// paced writes of one action take.
  static void LetTheBoxCatchUp() { QTest::qWait(400); }

  boxsim::BoxServerThread server_;
  QTemporaryDir temp_;
  ValueTable device_, view_;
  ui::StatusPopup popup_;
  FakeDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
  std::unique_ptr<ui::LinkBridge> bridge_;
  std::unique_ptr<LinkComponent> link_;
  std::unique_ptr<ui::LinkSystemAdapter> system_link_;

 private:
  /// A received write frame: lead bytes, command, page, slot, little-endian words, checksum.
  void NoteFrame(std::string_view line) {
    if (line.substr(0, 3) != "rx ") return;
    std::istringstream in{std::string(line.substr(3))};
    std::vector<int> bytes;
    for (std::string hex; in >> hex;) bytes.push_back(std::stoi(hex, nullptr, 16));
    if (bytes.size() < 9 || bytes[3] != 0xB7 || bytes[4] >= 30) return;
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = 6; i + 2 < bytes.size(); i += 2) {
      writes_.emplace_back(MakeAddr(bytes[4], bytes[5] + static_cast<int>((i - 6) / 2)),
                           bytes[i] | (bytes[i + 1] << 8));
    }
  }

  std::mutex mutex_;
  Writes writes_;
};

}  // namespace kdsp::testing
