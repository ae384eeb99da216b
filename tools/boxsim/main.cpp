// kdsp-boxsim: the emulated karaoke DSP box, reachable over TCP and a pseudo-terminal.

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

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
  int send_gap_ms = kdsp::boxsim::kTcpSendGapMs;
  bool verbose = false;
  std::vector<kdsp::boxsim::ScheduledFault> faults;
};

constexpr const char* kVersionText = "kdsp-boxsim " KDSP_VERSION;

constexpr const char* kFooter =
    "Faults (options, may be repeated; @K = once K frames have been received, default at once):\n"
    "%FAULTS%"
    "  e.g. --drop 3@40, --corrupt, --silent 5000@100, --key 9@20.\n"
    "\n"
    "While running, the same words typed on standard input, one per line (\"drop 2\",\n"
    "\"corrupt\", \"split\", \"merge\", \"silent\", \"back\", \"delay 300\", \"key 9\"), take\n"
    "effect at once; \"quit\" ends the program.\n"
    "\n"
    "Standard output: the pty path (with --pty), then \"tcp ADDR:PORT\" (with TCP).\n"
    "Exit status: 0 stopped by quit or a signal, 1 a port could not be opened, 2 a wrong\n"
    "command line.";

constexpr kdsp::boxsim::FaultKind kFaultKinds[] = {
    kdsp::boxsim::FaultKind::kDrop,   kdsp::boxsim::FaultKind::kCorrupt,
    kdsp::boxsim::FaultKind::kSplit,  kdsp::boxsim::FaultKind::kMerge,
    kdsp::boxsim::FaultKind::kSilent, kdsp::boxsim::FaultKind::kResume,
    kdsp::boxsim::FaultKind::kDelay,  kdsp::boxsim::FaultKind::kKey,
    kdsp::boxsim::FaultKind::kSlow,
};

// Returns nothing when the program should stop with `exit_code`.
std::optional<Options> ParseArgs(int argc, char** argv, int& exit_code) {
  Options o;
  CLI::App app(
      "An emulated karaoke DSP box for the tuning console: it answers probes, page and item\n"
      "reads, the status poll and every write, keeps named modes, and can misbehave on demand.",
      "kdsp-boxsim");
  std::string footer = kFooter;
  footer.replace(footer.find("%FAULTS%"), 8, kdsp::boxsim::FaultHelp());
  app.footer(footer);
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return "kdsp-boxsim: " + std::string(e.what()) + "\nRun with --help for the options.\n";
  });
  app.set_version_flag("--version", kVersionText, "show the version and exit");
  // An option given twice takes its later value.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--tcp", o.tcp_port,
                 "listen for the console on TCP PORT (default 8899; 0 = any free port)")
      ->type_name("PORT")
      ->check(CLI::Range(0, 65535).description(""))
      ->each([&o](const std::string&) { o.tcp = true; })
      ->trigger_on_parse();
  app.add_option("--bind", o.bind_address, "listen on ADDR (default 127.0.0.1)")->type_name("ADDR");
  // The later of --tcp and --no-tcp wins.
  app.add_flag_callback(
         "--no-tcp", [&o] { o.tcp = false; }, "do not listen on TCP")
      ->trigger_on_parse();
  app.add_flag("--pty", o.pty,
               "create a pseudo-terminal serial port (raw, 115200 8N1); its path is the first "
               "line of standard output");
  app.add_option("--key-every", o.key_every_s,
                 "turn the music key one step every SEC seconds, as at the front panel")
      ->type_name("SEC")
      ->check(CLI::Range(1, std::numeric_limits<int>::max()).description(""));
  app.add_option("--split-gap", o.split_gap_ms,
                 "pause between the two halves of a split frame (default 60)")
      ->type_name("MS")
      ->check(CLI::Range(0, std::numeric_limits<int>::max()).description(""));
  app.add_option("--send-gap", o.send_gap_ms,
                 "least pause between two sends to one TCP console (default 20; 0 = none); "
                 "--delay sets how late every answer is")
      ->type_name("MS")
      ->check(CLI::Range(0, std::numeric_limits<int>::max()).description(""));
  app.add_flag("--verbose", o.verbose, "log every frame received and answered on standard error");
  // Faults keep the order in which they were given: each is scheduled as it is read.
  for (const kdsp::boxsim::FaultKind kind : kFaultKinds) {
    const std::string name(kdsp::boxsim::FaultName(kind));
    app.add_option(
           "--" + name,
           [&o, name](const CLI::results_t& values) {
             const std::string value = values.empty() ? std::string() : values.front();
             const auto fault = kdsp::boxsim::ParseFault(name, value);
             if (!fault) throw CLI::ValidationError("--" + name, "bad fault value '" + value + "'");
             o.faults.push_back(*fault);
             return true;
           },
           "inject the fault (see below)")
        ->expected(0, 1)
        ->trigger_on_parse()
        ->type_name("[V][@K]");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    exit_code = status == 0 ? 0 : 2;
    return std::nullopt;
  }
  if (!o.tcp && !o.pty) {
    std::cerr << "kdsp-boxsim: nothing to serve: give --pty or leave TCP on\n";
    exit_code = 2;
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
  kdsp::boxsim::TcpBoxServer tcp(box, options->send_gap_ms);
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
