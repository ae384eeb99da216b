// Link timing: a full read against the emulated box over loopback TCP and a pseudo-terminal,
// as wall time against the paced minimum (transfer steps x transfer interval), and the CPU time
// an online, idle link spends per second.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <string>

#include "boxsim/box_server_thread.h"
#include "link/link_component.h"

namespace kdsp {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "kdsp_link_bench";
  static char* argv[] = {name, nullptr};
  static auto* app = new QCoreApplication(argc, argv);
  return *app;
}

// Runs the event loop until `done` holds, looking every few milliseconds.
bool RunUntil(const std::function<bool()>& done, int timeout_ms) {
  if (done()) return true;
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  check.start(2);
  QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
  loop.exec();
  return done();
}

// Runs the event loop for `ms` without any timer of its own.
void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

/// A window that only notes when the link text changes.
class BenchHost : public LinkHost {
 public:
  // "Linking..." shows before the read's first request goes out, "Online" before the first
  // write after it: the box's frame count between them is the read's requests.
  void ShowLinkText(const BilingualText& text) override {
    text_ = std::string(text.en);
    if (text_ == "Linking...") {
      read_started_.start();
      frames_at_start_ = box_->Counters().frames_received;
    }
    if (text_ == "Online" && read_started_.isValid() && read_ms_ < 0) {
      read_ms_ = static_cast<double>(read_started_.nsecsElapsed()) / 1e6;
      // The last reply has come back, so every request has reached the box.
      read_requests_ = box_->Counters().frames_received - frames_at_start_;
    }
  }
  void SetLinkColour(Rgb) override {}
  void SetLinkLook(bool) override {}
  void SetPopupTransport(std::string_view) override {}
  void UpdatePopup(int, bool) override {}
  void ShowMessage(const BilingualText& text, const BilingualText&) override {
    message_ = std::string(text.en);
  }
  void SetSceneMode(int) override {}
  void RefreshAllPages() override {}
  void ShowMainWindow() override {}
  void ShowMusicKey(int) override {}
  void ShowDeviceId(std::string_view) override {}
  void RefillModeList(ModeList, const std::array<std::string, 16>&) override {}
  void WriteParam(ParamAddr addr, int value) override {
    if (link_ != nullptr && link_->state().LinkOnline) link_->SendParam(addr, value);
  }
  bool SendSuppressed() const override { return false; }
  void SetSendSuppressed(bool) override {}

  LinkMachine* link_ = nullptr;
  boxsim::BoxSim* box_ = nullptr;
  std::int64_t frames_at_start_ = 0;
  std::int64_t read_requests_ = 0;
  std::string text_;
  std::string message_;
  QElapsedTimer read_started_;
  double read_ms_ = -1;
};

class NoHid : public HidBackend {
 public:
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t) override { return {}; }
  std::unique_ptr<HidHandle> Open(const std::string&) override { return nullptr; }
};

/// The box's pace for transfers and the hold timer; only the search (not measured) is faster.
LinkTimings BoxPace() {
  LinkTimings t;
  t.search_ms = 200;
  return t;
}

struct Session {
  explicit Session(bool tcp) {
    App();
    boxsim::ServerOptions options;
    options.tcp = tcp;
    options.pty = !tcp;
    ok = server.Start(options);
    link =
        std::make_unique<LinkComponent>(device_values, host, std::make_unique<NoHid>(), BoxPace());
    host.link_ = &link->machine();
    host.box_ = &server.Box();
    link->SetTcpEndpoint(QStringLiteral("127.0.0.1"), QString::number(tcp ? server.Port() : 9));
    const std::string pty = server.PtyPath();
    link->SetSerialPortLister(
        [pty] { return pty.empty() ? std::vector<std::string>{} : std::vector<std::string>{pty}; });
  }
  bool Connect() {
    link->machine().LinkBtnClick(LinkButton::LinkBtn);
    return RunUntil([this] { return link->machine().state().LinkOnline; }, 60000);
  }

  boxsim::BoxServerThread server;
  ValueTable device_values;
  BenchHost host;
  std::unique_ptr<LinkComponent> link;
  bool ok = false;
};

void FullRead(benchmark::State& state, bool tcp) {
  for (auto _ : state) {
    Session s(tcp);
    if (!s.ok) {
      state.SkipWithError("the emulated box did not start");
      return;
    }
    if (!s.Connect() || s.host.read_ms_ < 0) {
      state.SkipWithError("the link did not come online");
      return;
    }
    // One transfer tick per request at best: the paced minimum.
    const double steps = static_cast<double>(s.host.read_requests_);
    const double interval = tcp ? kTransferIntervalTcpMs : kTransferIntervalMs;
    const double paced = steps * interval;
    state.SetIterationTime(s.host.read_ms_ / 1000.0);
    state.counters["wall_ms"] = s.host.read_ms_;
    state.counters["paced_min_ms"] = paced;
    state.counters["wall_over_paced"] = s.host.read_ms_ / paced;
    state.counters["steps"] = steps;
  }
}

void BM_FullReadTcp(benchmark::State& state) { FullRead(state, true); }
void BM_FullReadPty(benchmark::State& state) { FullRead(state, false); }

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// CPU time of the window thread (timers, polls, receive) while online and idle; the emulated
// box runs on a thread of its own and is not counted.
void BM_IdleOnlineCpu(benchmark::State& state) {
  for (auto _ : state) {
    Session s(/*tcp=*/false);
    if (!s.ok || !s.Connect()) {
      state.SkipWithError("the link did not come online");
      return;
    }
    RunFor(500);  // let the arrival writes settle
    const double cpu0 = ThreadCpuMs();
    QElapsedTimer wall;
    wall.start();
    RunFor(static_cast<int>(state.range(0)));
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpu_ms = ThreadCpuMs() - cpu0;
    state.SetIterationTime(seconds);
    state.counters["cpu_ms_per_s"] = cpu_ms / seconds;
    state.counters["cpu_percent"] = cpu_ms / seconds / 10.0;
    state.counters["still_online"] = s.link->machine().state().LinkOnline ? 1 : 0;
  }
}

BENCHMARK(BM_FullReadTcp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullReadPty)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleOnlineCpu)
    ->Arg(5000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kdsp
