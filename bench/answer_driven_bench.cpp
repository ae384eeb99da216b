// The link against the emulated box over loopback TCP with no pause between its sends, each
// case answer-driven (arg 0) and paced (arg 1): start with a named host to online, the full read
// alone, a push (read, then download) to one box and to 100 boxes at once, a pull (read) from
// 100 boxes at once against one, and an A/B switch of 60 scattered values.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "boxsim/box_server_thread.h"
#include "link/link_component.h"
#include "model/page_layout.h"

namespace kdsp {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "kdsp_answer_driven_bench";
  static char* argv[] = {name, nullptr};
  static auto* app = new QCoreApplication(argc, argv);
  return *app;
}

bool RunUntil(const std::function<bool()>& done, int timeout_ms) {
  if (done()) return true;
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  check.start(1);
  QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
  loop.exec();
  return done();
}

/// A window that notes when the read starts and when the link is online.
class Host : public LinkHost {
 public:
  void ShowLinkText(const BilingualText& text) override {
    const std::string en(text.en);
    if (en == "Linking...") read_started.start();
    if (en == "Online" && read_started.isValid() && read_ms < 0) {
      read_ms = static_cast<double>(read_started.nsecsElapsed()) / 1e6;
    }
  }
  void SetLinkColour(Rgb) override {}
  void SetLinkLook(bool) override {}
  void SetPopupTransport(std::string_view) override {}
  void UpdatePopup(int, bool) override {}
  void ShowMessage(const BilingualText&, const BilingualText&) override { ++messages; }
  void SetSceneMode(int) override {}
  void RefreshAllPages() override {}
  void ShowMainWindow() override {}
  void ShowMusicKey(int) override {}
  void ShowDeviceId(std::string_view) override {}
  void RefillModeList(ModeList, const std::array<std::string, 16>&) override {}
  void WriteParam(ParamAddr addr, int value) override {
    device_values->Set(addr, value);
    if (machine != nullptr && machine->state().LinkOnline) machine->SendParam(addr, value);
  }
  bool SendSuppressed() const override { return false; }
  void SetSendSuppressed(bool) override {}

  LinkMachine* machine = nullptr;
  ValueTable* device_values = nullptr;
  QElapsedTimer read_started;
  double read_ms = -1;
  int messages = 0;
};

class NoHid : public HidBackend {
 public:
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t) override { return {}; }
  std::unique_ptr<HidHandle> Open(const std::string&) override { return nullptr; }
};

/// One console link to the box, at the box's own timer pace, started as with --host.
struct Console {
  Console(int port, bool paced) {
    LinkTimings t;
    t.paced = paced;
    host.device_values = &device_values;
    link = std::make_unique<LinkComponent>(device_values, host, std::make_unique<NoHid>(), t);
    host.machine = &link->machine();
    link->SetSerialPortLister([] { return std::vector<std::string>{}; });
    link->SetTcpEndpoint(QStringLiteral("127.0.0.1"), QString::number(port));
  }
  void Start() {
    link->machine().SetNextSearchFromNetwork(true);
    link->machine().LinkBtnClick(LinkButton::LinkBtn);
  }
  bool Online() const { return link->machine().state().LinkOnline; }
  bool Drained() const {
    return Online() && link->machine().queue().Empty() && link->machine().state().ReadyToSend;
  }

  ValueTable device_values;
  Host host;
  std::unique_ptr<LinkComponent> link;
};

struct Box {
  Box() {
    App();
    boxsim::ServerOptions options;
    options.tcp = true;
    options.tcp_port = 0;
    options.send_gap_ms = 0;
    ok = server.Start(options);
  }
  boxsim::BoxServerThread server;
  bool ok = false;
};

constexpr int kLimitMs = 120000;

// Start to online, and the full read alone within it.
void BM_StartToOnline(benchmark::State& state) {
  for (auto _ : state) {
    Box box;
    Console c(box.server.Port(), state.range(0) != 0);
    QElapsedTimer clock;
    clock.start();
    c.Start();
    if (!box.ok || !RunUntil([&] { return c.Online(); }, kLimitMs)) {
      state.SkipWithError("the link did not come online");
      return;
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1000);
    state.counters["online_ms"] = ms;
    state.counters["read_ms"] = c.host.read_ms;
  }
}

// Pull (the full read) from `boxes` boxes at once, and for a push then the download of a
// mode's pages to each.
void ReadAll(benchmark::State& state, int boxes, bool paced, bool push) {
  for (auto _ : state) {
    Box box;
    std::vector<std::unique_ptr<Console>> consoles;
    for (int i = 0; i < boxes; ++i) {
      consoles.push_back(std::make_unique<Console>(box.server.Port(), paced));
    }
    auto all = [&](bool (Console::*done)() const) {
      return [&consoles, done] {
        for (auto& c : consoles) {
          if (!((*c).*done)()) return false;
        }
        return true;
      };
    };
    QElapsedTimer clock;
    clock.start();
    for (auto& c : consoles) c->Start();
    if (!RunUntil(all(&Console::Online), kLimitMs)) {
      state.SkipWithError("not every link came online");
      return;
    }
    if (push) {
      for (auto& c : consoles) {
        for (int s = 0; s < PageLength(10); ++s) c->device_values.Set(10, s, 1000 + s);
        c->link->machine().EnterLinkState(LinkEntry::StartFullWrite);
      }
      if (!RunUntil(all(&Console::Drained), kLimitMs) || box.server.Box().Param(10, 5) != 1005) {
        state.SkipWithError("the download did not end");
        return;
      }
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1000);
    state.counters[push ? "push_ms" : "pull_ms"] = ms;
  }
}

void BM_PushOne(benchmark::State& state) { ReadAll(state, 1, state.range(0) != 0, true); }
void BM_PushHundred(benchmark::State& state) { ReadAll(state, 100, state.range(0) != 0, true); }
void BM_PullOne(benchmark::State& state) { ReadAll(state, 1, state.range(0) != 0, false); }
void BM_PullHundred(benchmark::State& state) { ReadAll(state, 100, state.range(0) != 0, false); }

// An A/B switch: 60 values scattered over the pages written through the edit path, until the
// box has acknowledged the last.
void BM_SwitchSixtyValues(benchmark::State& state) {
  for (auto _ : state) {
    Box box;
    Console c(box.server.Port(), state.range(0) != 0);
    c.Start();
    if (!RunUntil([&] { return c.Drained(); }, kLimitMs)) {
      state.SkipWithError("the link did not come online");
      return;
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 60; ++i) {
      const int page = (i * 7) % 25;
      const int slot = (i * 13) % PageLength(page);
      c.host.WriteParam(MakeAddr(page, slot), 100 + i);
    }
    if (!RunUntil([&] { return c.Drained(); }, kLimitMs) ||
        box.server.Box().Param((59 * 7) % 25, (59 * 13) % PageLength((59 * 7) % 25)) != 159) {
      state.SkipWithError("the writes did not all arrive");
      return;
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1000);
    state.counters["switch_ms"] = ms;
  }
}

#define KDSP_PACES(bm)                                                                   \
  BENCHMARK(bm)->ArgName("paced")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit( \
      benchmark::kMillisecond)

KDSP_PACES(BM_StartToOnline);
KDSP_PACES(BM_PushOne);
KDSP_PACES(BM_PushHundred);
KDSP_PACES(BM_PullOne);
KDSP_PACES(BM_PullHundred);
KDSP_PACES(BM_SwitchSixtyValues);

}  // namespace
}  // namespace kdsp
