// kdsp-boxsim: the emulated karaoke DSP box, reachable over TCP and a pseudo-terminal.

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/box_sim.h"
#include "boxsim/fault.h"
#include "boxsim/poll_client.h"
#include "boxsim/pty_box_port.h"
#include "boxsim/tcp_box_server.h"

namespace {

using kdsp::boxsim::BoxSim;
using kdsp::boxsim::PollClient;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

struct Options {
  bool tcp = true;
  int tcp_port = 8899;
  std::string bind_address = "127.0.0.1";
  bool pty = false;
  int key_every_s = 0;
  int split_gap_ms = -1;
  bool verbose = false;
  std::vector<kdsp::boxsim::ScheduledFault> faults;
};

void PrintHelp() {
  std::cout
      << "Usage: kdsp-boxsim [options]\n"
         "An emulated karaoke DSP box for the tuning console: it answers probes, page and item\n"
         "reads, the status poll and every write, keeps named modes, and can misbehave on demand.\n"
         "\n"
         "Options:\n"
         "  --tcp PORT        listen for the console on TCP PORT (default 8899; 0 = any free "
         "port)\n"
         "  --bind ADDR       listen on ADDR (default 127.0.0.1)\n"
         "  --no-tcp          do not listen on TCP\n"
         "  --pty             create a pseudo-terminal serial port (raw, 115200 8N1); its path is\n"
         "                    the first line of standard output\n"
         "  --key-every SEC   turn the music key one step every SEC seconds, as at the front "
         "panel\n"
         "  --split-gap MS    pause between the two halves of a split frame (default 60)\n"
         "  --verbose         log every frame received and answered on standard error\n"
         "  --help            show this text\n"
         "\n"
         "Faults (may be repeated; @K = once K frames have been received, default at once):\n"
      << kdsp::boxsim::FaultHelp()
      << "  Given as options, e.g. --drop 3@40, --corrupt, --silent 5000@100, --key 9@20.\n"
         "\n"
         "While running, the same words typed on standard input, one per line (\"drop 2\",\n"
         "\"corrupt\", \"split\", \"merge\", \"silent\", \"back\", \"delay 300\", \"key 9\"), "
         "take\n"
         "effect at once; \"quit\" ends the program.\n"
         "\n"
         "Standard output: the pty path (with --pty), then \"tcp ADDR:PORT\" (with TCP).\n";
}

bool ParseInt(const std::string& s, int& out) {
  try {
    std::size_t used = 0;
    out = std::stoi(s, &used);
    return used == s.size();
  } catch (...) {
    return false;
  }
}

// Returns nothing when the program should stop with `exit_code`.
std::optional<Options> ParseArgs(int argc, char** argv, int& exit_code) {
  Options o;
  exit_code = 2;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool has_value = false;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      has_value = true;
    }
    auto take = [&]() -> bool {
      if (has_value) return true;
      if (i + 1 < argc) {
        value = argv[++i];
        return true;
      }
      return false;
    };
    auto bad = [&]() {
      std::cerr << "kdsp-boxsim: bad or missing value for " << arg << " (see --help)\n";
      return std::nullopt;
    };
    if (arg == "--help" || arg == "-h") {
      PrintHelp();
      exit_code = 0;
      return std::nullopt;
    } else if (arg == "--tcp") {
      if (!take() || !ParseInt(value, o.tcp_port) || o.tcp_port < 0 || o.tcp_port > 65535) {
        return bad();
      }
      o.tcp = true;
    } else if (arg == "--bind") {
      if (!take()) return bad();
      o.bind_address = value;
    } else if (arg == "--no-tcp") {
      o.tcp = false;
    } else if (arg == "--pty") {
      o.pty = true;
    } else if (arg == "--key-every") {
      if (!take() || !ParseInt(value, o.key_every_s) || o.key_every_s < 1) return bad();
    } else if (arg == "--split-gap") {
      if (!take() || !ParseInt(value, o.split_gap_ms) || o.split_gap_ms < 0) return bad();
    } else if (arg == "--verbose") {
      o.verbose = true;
    } else if (arg.starts_with("--")) {
      // A fault: its value is optional, so only a following word that is not an option counts.
      if (!has_value && i + 1 < argc && !std::string_view(argv[i + 1]).starts_with("--")) {
        value = argv[++i];
      }
      const auto fault = kdsp::boxsim::ParseFault(arg, value);
      if (!fault) {
        std::cerr << "kdsp-boxsim: unknown option or bad fault " << arg << " " << value
                  << " (see --help)\n";
        return std::nullopt;
      }
      o.faults.push_back(*fault);
    } else {
      std::cerr << "kdsp-boxsim: unexpected argument " << arg << " (see --help)\n";
      return std::nullopt;
    }
  }
  if (!o.tcp && !o.pty) {
    std::cerr << "kdsp-boxsim: nothing to serve: give --pty or leave TCP on\n";
    return std::nullopt;
  }
  return o;
}

// Fault words typed on standard input while the box runs.
class CommandInput : public PollClient {
 public:
  explicit CommandInput(BoxSim& box) : box_(box) {}
  void AddPollFds(std::vector<pollfd>& fds) override {
    if (open_) fds.push_back({STDIN_FILENO, POLLIN, 0});
  }
  void Service(std::span<const pollfd> fds) override {
    if (!open_ || !(kdsp::boxsim::EventsOf(fds, STDIN_FILENO) & (POLLIN | POLLHUP))) return;
    char buf[256];
    const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      open_ = false;  // no more commands; the box runs on
      return;
    }
    line_.append(buf, static_cast<std::size_t>(n));
    for (std::size_t nl; (nl = line_.find('\n')) != std::string::npos; line_.erase(0, nl + 1)) {
      Execute(std::string_view(line_).substr(0, nl));
    }
  }
  int TimeoutMs() override { return -1; }

 private:
  void Execute(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty()) return;
    if (line == "quit" || line == "exit") {
      g_stop = 1;
      return;
    }
    if (const auto fault = kdsp::boxsim::ParseFaultLine(line)) {
      box_.Schedule({fault->fault, fault->after_frames});
      std::cerr << "ok: " << line << "\n";
    } else {
      std::cerr << "unknown command: " << line << "\n" << kdsp::boxsim::FaultHelp();
    }
  }

  BoxSim& box_;
  bool open_ = true;
  std::string line_;
};

// Turns the music key one step at a time, as a user at the front panel would.
class KeyTurner : public PollClient {
 public:
  KeyTurner(BoxSim& box, int every_s) : box_(box), every_ms_(every_s * 1000) {
    next_ms_ = box_.NowMs() + every_ms_;
  }
  void AddPollFds(std::vector<pollfd>&) override {}
  void Service(std::span<const pollfd>) override {
    if (box_.NowMs() < next_ms_) return;
    next_ms_ += every_ms_;
    box_.TurnMusicKey((box_.Param(0, 6) + 1) % 15);
  }
  int TimeoutMs() override {
    return static_cast<int>(std::max<std::int64_t>(0, next_ms_ - box_.NowMs()));
  }

 private:
  BoxSim& box_;
  std::int64_t every_ms_;
  std::int64_t next_ms_;
};

}  // namespace

int main(int argc, char** argv) {
  int exit_code = 0;
  const auto options = ParseArgs(argc, argv, exit_code);
  if (!options) return exit_code;

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  BoxSim box;
  if (options->split_gap_ms >= 0) box.SetSplitGapMs(options->split_gap_ms);
  if (options->verbose) box.SetLog([](std::string_view line) { std::cerr << line << "\n"; });
  for (const auto& f : options->faults) box.Schedule(f);

  std::vector<PollClient*> clients;
  kdsp::boxsim::PtyBoxPort pty(box);
  kdsp::boxsim::TcpBoxServer tcp(box);
  std::string error;
  if (options->pty) {
    if (!pty.Open(&error)) {
      std::cerr << "kdsp-boxsim: " << error << "\n";
      return 1;
    }
    std::cout << pty.SlavePath() << std::endl;
    clients.push_back(&pty);
  }
  if (options->tcp) {
    if (!tcp.Listen(options->bind_address, options->tcp_port, &error)) {
      std::cerr << "kdsp-boxsim: " << error << "\n";
      return 1;
    }
    std::cout << "tcp " << options->bind_address << ":" << tcp.Port() << std::endl;
    clients.push_back(&tcp);
  }
  CommandInput commands(box);
  clients.push_back(&commands);
  std::optional<KeyTurner> key_turner;
  if (options->key_every_s > 0) {
    key_turner.emplace(box, options->key_every_s);
    clients.push_back(&*key_turner);
  }

  while (!g_stop) kdsp::boxsim::PollOnce(clients, -1);
  return 0;
}
