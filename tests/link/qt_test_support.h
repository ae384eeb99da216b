#pragma once

// Support for the tests of the link component: the application object, waiting on the event
// loop, HID backends (none, scripted devices, the emulated box's USB endpoint) and a rig that
// runs a LinkComponent with a fake window.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "boxsim/box_sim.h"
#include "boxsim/hid_endpoint.h"
#include "core_test_fakes.h"
#include "link/hid_backend.h"
#include "link/link_component.h"
#include "model/page_layout.h"

namespace kdsp::testing {

inline QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "kdsp_link_qt_tests";
  static char* argv[] = {name, nullptr};
  static auto* app = new QCoreApplication(argc, argv);
  return *app;
}

/// Work to do after every round of events while a test waits (see QtLinkRig::StepEagerly).
inline std::vector<std::function<void()>*>& AfterEvents() {
  static std::vector<std::function<void()>*> callbacks;
  return callbacks;
}

/// Runs the event loop until `done` holds or `timeout_ms` passed; returns `done()`. Unlike
/// QTest::qWaitFor, which sleeps 10 ms between rounds of events, this one handles every event
/// as it comes, so the link's timers and the box's answers are not held back. A short wake-up
/// timer re-checks conditions that other threads change (the box's counters).
inline bool WaitFor(const std::function<bool()>& done, int timeout_ms = 15000) {
  QElapsedTimer clock;
  clock.start();
  QTimer wake;
  wake.start(2);
  while (!done()) {
    if (clock.elapsed() >= timeout_ms) return done();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (std::function<void()>* after : std::vector(AfterEvents())) (*after)();
  }
  return true;
}

/// A device handle that reads nothing and records what is written to it.
class SilentHandle : public HidHandle {
 public:
  explicit SilentHandle(std::shared_ptr<std::atomic<int>> writes, bool fail_writes = false)
      : writes_(std::move(writes)), fail_writes_(fail_writes) {}
  bool Write(std::span<const std::uint8_t>) override {
    ++*writes_;
    return !fail_writes_;
  }
  int Read(std::span<std::uint8_t>, int timeout_ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeout_ms, 20)));
    return 0;
  }
  int OutputReportLength() const override { return 65; }
  std::string ErrorText() override { return "Broken pipe"; }
  unsigned ErrorCode() override { return 32; }

 private:
  std::shared_ptr<std::atomic<int>> writes_;
  bool fail_writes_;
};

/// The emulated box's USB endpoint behind a device handle. Its input reports carry the report
/// identifier first, which hidraw does not deliver for a device without numbered reports; the
/// handle drops it.
class EndpointHandle : public HidHandle {
 public:
  explicit EndpointHandle(boxsim::HidEndpoint& endpoint) : endpoint_(endpoint) {}
  bool Write(std::span<const std::uint8_t> report) override {
    last_report_size = static_cast<int>(report.size());
    return endpoint_.WriteOutputReport(report);
  }
  int Read(std::span<std::uint8_t> buffer, int timeout_ms) override {
    const auto report = endpoint_.ReadInputReport(timeout_ms);
    if (!report || report->size() < 2) return 0;
    const std::size_t n = std::min(buffer.size(), report->size() - 1);
    std::copy_n(report->begin() + 1, n, buffer.begin());
    return static_cast<int>(n);
  }
  int OutputReportLength() const override { return boxsim::HidEndpoint::kOutputReportLength; }
  std::string ErrorText() override { return ""; }
  unsigned ErrorCode() override { return 0; }
  std::atomic<int> last_report_size{0};

 private:
  boxsim::HidEndpoint& endpoint_;
};

/// A HID backend whose device list the test sets; devices are opened by a factory per path.
class ScriptedHid : public HidBackend {
 public:
  struct Shared {
    std::mutex mutex;
    std::vector<HidDeviceInfo> devices;
    std::map<std::string, std::function<std::unique_ptr<HidHandle>()>> openers;
    int enumerations = 0;
    int opens = 0;
  };
  explicit ScriptedHid(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendor_id) override {
    std::lock_guard lock(shared_->mutex);
    ++shared_->enumerations;
    std::vector<HidDeviceInfo> out;
    for (const auto& d : shared_->devices) {
      if (vendor_id == 0 || d.vendor_id == vendor_id) out.push_back(d);
    }
    return out;
  }
  std::unique_ptr<HidHandle> Open(const std::string& path) override {
    std::lock_guard lock(shared_->mutex);
    ++shared_->opens;
    auto it = shared_->openers.find(path);
    return it == shared_->openers.end() ? nullptr : it->second();
  }

 private:
  std::shared_ptr<Shared> shared_;
};

/// Faster timers for the tests; the tick counts of the link stay those of the box's pace, so
/// a transfer repeats a request after 31 ticks (310 ms here), an idle link polls every 50 hold
/// ticks (200 ms) and is lost after five of those, and a probe has one search tick (120 ms) to
/// be answered. The emulated box answers within a millisecond on loopback; the margins are for
/// a busy machine, where its thread may wait a while for a core. While a test waits, the rig
/// also ticks at once whenever the box has just answered (QtLinkRig::StepEagerly), so the
/// exchanges run at the box's pace and only the time-outs take timer time.
inline LinkTimings FastTimings() {
  LinkTimings t;
  t.search_ms = 120;
  t.transfer_ms = 10;
  t.transfer_tcp_ms = 10;
  t.hold_ms = 4;
  return t;
}

/// The box's own record of a conversation (its log): every frame it heard and what it did
/// with its answers, in order. Filled from the box's server thread.
class BoxTrace {
 public:
  struct Event {
    std::string what;  ///< "rx", "tx", "corrupted", "dropped", "unheard", "rejected", "fault"
    Bytes bytes;
  };
  explicit BoxTrace(boxsim::BoxSim& box) : box_(box) {
    box_.SetLog([this](std::string_view line) { Add(line); });
  }
  ~BoxTrace() { box_.SetLog({}); }
  BoxTrace(const BoxTrace&) = delete;
  BoxTrace& operator=(const BoxTrace&) = delete;

  std::vector<Event> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  /// Frames the box heard (and answered or not), oldest first.
  std::vector<Bytes> Heard() const {
    std::vector<Bytes> out;
    for (const Event& e : Events()) {
      if (e.what == "rx" || e.what == "unheard") out.push_back(e.bytes);
    }
    return out;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
  }

 private:
  void Add(std::string_view line) {
    Event e;
    const std::size_t space = line.find(' ');
    e.what = std::string(line.substr(0, space));
    if (e.what != "fault" && space != std::string_view::npos) {
      for (std::size_t i = space + 1; i + 1 < line.size(); i += 3) {
        e.bytes.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(line.substr(i, 2)), nullptr, 16)));
      }
    }
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(e));
  }

  boxsim::BoxSim& box_;
  mutable std::mutex mutex_;
  std::vector<Event> events_;
};

/// A LinkComponent with a fake window, on the test's event loop.
struct QtLinkRig {
  explicit QtLinkRig(std::shared_ptr<ScriptedHid::Shared> hid = nullptr,
                     LinkTimings timings = FastTimings())
      : hid_shared(hid ? std::move(hid) : std::make_shared<ScriptedHid::Shared>()),
        host((App(), device_values)),
        link(device_values, host, std::make_unique<ScriptedHid>(hid_shared), timings) {
    host.Attach(&link.machine());
    link.SetSerialPortLister([this] { return ports; });
    AfterEvents().push_back(&step_eagerly_);
  }
  ~QtLinkRig() { std::erase(AfterEvents(), &step_eagerly_); }
  QtLinkRig(const QtLinkRig&) = delete;
  QtLinkRig& operator=(const QtLinkRig&) = delete;

  /// A tick of a running timer as soon as the box's answer is in, instead of at the timer's
  /// next turn: the transfer moves on after a reply, the hold timer sends the next queued
  /// write (or takes the pending action) after an acknowledgement, and the search writes
  /// `LinkOpen` after the probe's acknowledgement. A timer may fire at any moment after the
  /// answer, so the link sees nothing it could not see from its own timers; ticks that count
  /// towards a time-out (no answer yet) are left to the timers.
  void StepEagerly() {
    if (!step_eagerly) return;
    LinkMachine& m = link.machine();
    const LinkState& st = m.state();
    if (m.SearchTimerOn() && st.BoxAnswered && !st.LinkOpenSent) m.SearchTick();
    if (m.TransferTimerOn() &&
        (st.XferState == kXferData || (st.XferState == kXferAcked && st.XferDir == kXferWrite))) {
      m.TransferTick();
    }
    if (m.HoldTimerOn() && st.ReadyToSend && (!m.queue().Empty() || st.PendingAction)) {
      m.HoldTick();
    }
  }

  bool WaitOnline(int timeout_ms = 20000) {
    return WaitFor([this] { return link.machine().state().LinkOnline; }, timeout_ms);
  }
  /// Waits until every write has gone out and been acknowledged.
  bool WaitDrained(int timeout_ms = 10000) {
    return WaitFor(
        [this] { return link.machine().queue().Empty() && link.machine().state().ReadyToSend; },
        timeout_ms);
  }
  /// First cell of pages first..last where the console's mirror differs from the box.
  std::string FirstDifference(const ValueTable& box, int first = 0, int last = 25) const {
    for (int p = first; p <= last; ++p) {
      for (int s = 0; s < PageLength(p); ++s) {
        if (device_values.Get(p, s) != box.Get(p, s)) {
          return std::to_string(p) + "." + std::to_string(s) + ": console " +
                 std::to_string(device_values.Get(p, s)) + ", box " + std::to_string(box.Get(p, s));
        }
      }
    }
    return "";
  }

  std::shared_ptr<ScriptedHid::Shared> hid_shared;
  ValueTable device_values;
  FakeHost host;
  LinkComponent link;
  std::vector<std::string> ports;
  /// Off: the link runs on its own timers and the box's answers alone.
  bool step_eagerly = true;

 private:
  std::function<void()> step_eagerly_ = [this] { StepEagerly(); };
};

}  // namespace kdsp::testing
