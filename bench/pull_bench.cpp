// kdsp-tool pull at the console's own pace: one box, and 32 boxes at once, each an emulated
// box on its own loopback address. Wall time from the start to the last file saved and the
// farewell sent, against the paced minimum of one box.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "boxsim/box_server_thread.h"
#include "kdsp-tool/live_commands.h"
#include "link/core/link_machine.h"

namespace kdsp {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "kdsp_pull_bench";
  static char* argv[] = {name, nullptr};
  static auto* app = new QCoreApplication(argc, argv);
  return *app;
}

// Search ticks before a network read starts: connect (the probe of that tick finds the socket
// still connecting), the answered probe, LinkOpen, and the tick that starts the read.
constexpr int kHandshakeTicks = 4;
// Frames of a pull that are no read request: the answered probe, LinkOpen at the handshake,
// LinkOpen written on arrival, the farewell.
constexpr int kOtherFrames = 4;

void BM_Pull(benchmark::State& state) {
  App();
  const int boxes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<std::unique_ptr<boxsim::BoxServerThread>> servers;
    std::vector<tool::Endpoint> endpoints;
    std::vector<std::string> paths;
    const auto dir = std::filesystem::temp_directory_path() / "kdsp-pull-bench";
    std::filesystem::create_directories(dir);
    for (int i = 0; i < boxes; ++i) {
      auto server = std::make_unique<boxsim::BoxServerThread>();
      boxsim::ServerOptions options;  // the network module's own send pacing
      options.bind_address = "127.0.0." + std::to_string(2 + i);
      if (!server->Start(options)) {
        state.SkipWithError(server->Error().c_str());
        return;
      }
      endpoints.push_back({options.bind_address, server->Port()});
      paths.push_back((dir / ("box" + std::to_string(i) + ".Nddt")).string());
      servers.push_back(std::move(server));
    }
    tool::LiveOptions options;  // the console's pacing: no divisor
    std::ostringstream lines;
    QElapsedTimer wall;
    wall.start();
    const bool ok = tool::PullBoxes(endpoints, paths, options, lines);
    const double wall_ms = static_cast<double>(wall.nsecsElapsed()) / 1e6;
    if (!ok) {
      state.SkipWithError(lines.str().c_str());
      return;
    }
    // The read requests of one box, as the box counted them.
    const auto counters = servers[0]->Box().Counters();
    const double requests = static_cast<double>(counters.frames_received - kOtherFrames);
    const double paced = kHandshakeTicks * kSearchIntervalMs + requests * kTransferIntervalTcpMs;
    state.SetIterationTime(wall_ms / 1000.0);
    state.counters["boxes"] = boxes;
    state.counters["wall_ms"] = wall_ms;
    state.counters["paced_min_ms"] = paced;
    state.counters["wall_over_paced"] = wall_ms / paced;
    state.counters["read_requests"] = requests;
    std::filesystem::remove_all(dir);
  }
}

BENCHMARK(BM_Pull)->Arg(1)->Arg(32)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kdsp
