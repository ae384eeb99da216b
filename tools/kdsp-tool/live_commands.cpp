#include "kdsp-tool/live_commands.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <sstream>

#include "kdsp-tool/box_probe.h"
#include "kdsp-tool/entry_diff.h"
#include "kdsp-tool/live_session.h"
#include "kdsp-tool/preset_source.h"
#include "kdsp-tool/push_backup.h"
#include "kdsp-tool/stop_signals.h"
#include "kdsp-tool/tool_commands.h"
#include "kdsp-tool/tool_options.h"
#include "model/page_layout.h"
#include "presets/codec/preset_store.h"
#include "presets/codec/preset_texts.h"

namespace kdsp::tool {

namespace {

// How often the progress display is redrawn.
constexpr int kRedrawMs = 200;

/// The application object the network needs; made once, kept for the rest of the run.
void EnsureApp() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "kdsp-tool";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  (void)app;
}

std::vector<Endpoint> Endpoints(const LiveOptions& o) {
  if (o.hosts.empty()) throw UsageError("no host given");
  std::vector<Endpoint> list;
  for (const std::string& text : o.hosts) {
    const auto e = ParseEndpoint(text);
    if (!e) throw UsageError(EndpointError(text));
    list.push_back(*e);
  }
  return list;
}

LinkTimings Timings(const LiveOptions& o) {
  const int d = std::max(1, o.timer_divisor);
  LinkTimings t;
  t.search_ms = std::max(1, t.search_ms / d);
  t.transfer_ms = std::max(1, t.transfer_ms / d);
  t.transfer_tcp_ms = std::max(1, t.transfer_tcp_ms / d);
  t.hold_ms = std::max(1, t.hold_ms / d);
  t.paced = o.paced;
  return t;
}

std::string ProgressLine(const LiveSession& s) {
  const SessionProgress p = s.Progress();
  std::string line = s.endpoint().Label() + " " + p.phase;
  if (p.total > 0) {
    const int width = 30;
    const int filled = width * p.done / p.total;
    line += " [" + std::string(static_cast<std::size_t>(filled), '#') +
            std::string(static_cast<std::size_t>(width - filled), '.') + "] " +
            std::to_string(p.done) + "/" + std::to_string(p.total);
  }
  return line;
}

/// Progress lines redrawn in place on a terminal.
class ProgressDisplay {
 public:
  ProgressDisplay(std::ostream& out, bool on) : out_(out), on_(on) {}
  void Draw(const std::vector<std::string>& lines) {
    if (!on_) return;
    if (drawn_ > 0) out_ << "\x1b[" << drawn_ << "A";
    for (const std::string& l : lines) out_ << "\r\x1b[2K" << l << "\n";
    drawn_ = static_cast<int>(lines.size());
    out_.flush();
  }
  /// Removes the display, so the results take its place.
  void Clear() {
    if (!on_ || drawn_ == 0) return;
    out_ << "\x1b[" << drawn_ << "A";
    for (int i = 0; i < drawn_; ++i) out_ << "\r\x1b[2K\n";
    out_ << "\x1b[" << drawn_ << "A";
    drawn_ = 0;
    out_.flush();
  }

 private:
  std::ostream& out_;
  bool on_;
  int drawn_ = 0;
};

/// What a push adds to the run of its sessions.
struct PushHooks {
  /// Per session: where its backup went (empty: none kept).
  std::vector<std::string> backups;
  /// The progress display while the sessions run, for lines printed meanwhile.
  ProgressDisplay* display = nullptr;
  int stopped_by = 0;  ///< the signal that stopped the push, 0 when none did
};

std::string ShellWord(const std::string& text) {
  if (text.find_first_of(" '\"$\\`!*?&;|<>()") == std::string::npos) return text;
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

/// The result line of a session, after its endpoint.
std::string ResultText(const LiveSession& s, const std::string& backup, bool stopped) {
  const SessionResult& r = *s.Result();
  const std::string restore = backup.empty() ? std::string()
                                             : "restore with: kdsp-tool push " + ShellWord(backup) +
                                                   " " + s.endpoint().Label();
  if (r.stopped) {
    switch (*r.stopped) {
      case StopOutcome::kUntouched:
        return "untouched";
      case StopOutcome::kDone:
        return "done";
      case StopOutcome::kPartial:
        return "partial: " + r.text + (restore.empty() ? " (no backup kept)" : "; " + restore);
    }
  }
  if (r.ok) return stopped ? "done" : r.text;
  std::string text = "failed: " + r.text;
  if (!restore.empty() && r.text.find("partial download") != std::string::npos) {
    text += "; " + restore;
  }
  return text;
}

/// Runs every session at once until all have ended, then prints one result line each in the
/// order the hosts were given (only the failures without `print_ok`). Returns true when all
/// succeeded. With `push`, SIGINT, SIGTERM and SIGHUP stop every session (`LiveSession::Stop`)
/// and the lines tell what each box holds.
bool RunAll(std::vector<std::unique_ptr<LiveSession>>& sessions, const LiveOptions& o,
            std::ostream& out, bool print_ok = true, PushHooks* push = nullptr) {
  QEventLoop loop;
  std::size_t running = sessions.size();
  ProgressDisplay display(out, o.progress);
  if (push != nullptr) push->display = &display;
  auto redraw = [&] {
    std::vector<std::string> lines;
    for (const auto& s : sessions) lines.push_back(ProgressLine(*s));
    display.Draw(lines);
  };
  for (auto& s : sessions) {
    QObject::connect(s.get(), &LiveSession::finished, &loop, [&] {
      if (--running == 0) loop.quit();
    });
  }
  std::unique_ptr<StopSignals> stop_signals;
  if (push != nullptr) {
    stop_signals = std::make_unique<StopSignals>();
    QObject::connect(stop_signals.get(), &StopSignals::stopRequested, &loop, [&] {
      for (auto& s : sessions) s->Stop();
    });
  }
  QTimer redraw_timer;
  QObject::connect(&redraw_timer, &QTimer::timeout, &loop, redraw);
  if (o.progress) redraw_timer.start(kRedrawMs);
  for (auto& s : sessions) s->Start();
  if (running > 0) loop.exec();
  redraw_timer.stop();
  display.Clear();
  const int stopped_by = stop_signals ? stop_signals->First() : 0;
  stop_signals.reset();
  bool all_ok = stopped_by == 0;
  for (std::size_t i = 0; i < sessions.size(); ++i) {
    const LiveSession& s = *sessions[i];
    const SessionResult& r = *s.Result();
    all_ok = all_ok && r.ok;
    if (r.ok && !print_ok) continue;
    const std::string backup = push != nullptr ? push->backups[i] : std::string();
    out << s.endpoint().Label() << " " << ResultText(s, backup, stopped_by != 0) << "\n";
  }
  out.flush();
  if (push != nullptr) {
    push->display = nullptr;
    push->stopped_by = stopped_by;
  }
  return all_ok;
}

/// Why `path` cannot take the file pull writes, or nothing when it can: checked before the
/// read, so that a long read is not spent on a file that cannot be written.
std::string OutputPathError(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path target(path);
  if (fs::is_directory(target, ec)) return "is a folder";
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  if (!fs::exists(dir, ec)) return "no such folder";
  if (!fs::is_directory(dir, ec)) return "not in a folder";
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    return "the folder cannot be written (" + std::string(std::strerror(errno)) + ")";
  }
  return {};
}

/// True for the addresses a load of a file of `kind` writes into a box over the network: those
/// the load applies, of the slots a page write moves (every slot but each page's last), and
/// the two routing values written once the download has ended.
bool WrittenByLoad(PresetKind kind, int page, int slot) {
  if (!IsAppliedOnLoad(kind, page, slot)) return false;
  return page == 30 || slot < PageLength(page);
}

/// Reads and checks the whole file before any box is touched.
LoadedPreset CheckedFile(const LiveOptions& o, std::ostream& err, bool& ok) {
  LoadedPreset p = LoadAnyPreset(o.file);
  ok = p.status == PresetStatus::kOk;
  if (!ok) {
    err << "kdsp-tool: " << o.file
        << ": damaged file: " << PresetStatusText(p.status, o.ui_language) << " (no box touched)\n";
  }
  return p;
}

}  // namespace

bool PullBoxes(const std::vector<Endpoint>& endpoints, const std::vector<std::string>& paths,
               const LiveOptions& o, std::ostream& out) {
  EnsureApp();
  std::vector<std::unique_ptr<LiveSession>> sessions;
  for (std::size_t i = 0; i < endpoints.size() && i < paths.size(); ++i) {
    sessions.push_back(std::make_unique<LiveSession>(endpoints[i], Timings(o)));
    sessions.back()->SetLanguage(o.ui_language);
    const std::string path = paths[i];
    sessions.back()->SetReadHandler([path](const ValueTable& values, const LinkMachine&) {
      // Only a read that went to its end gets here; the file is written as the console's save
      // writes it, through a temporary file renamed over the target.
      const SaveResult r = WriteFileReplacing(path, EncodePresetFile(PresetKind::kMode, values));
      return r.status == PresetStatus::kOk ? std::string() : "cannot write " + r.error;
    });
  }
  return RunAll(sessions, o, out);
}

int RunPull(const LiveOptions& o, std::ostream& out, std::ostream& err) {
  const std::vector<Endpoint> endpoints = Endpoints(o);
  if (endpoints.size() != 1) throw UsageError("pull reads one box; give one HOST[:PORT]");
  if (o.output.empty()) throw UsageError("-o FILE is required");
  if (const std::string why = OutputPathError(o.output); !why.empty()) {
    err << "kdsp-tool: " << o.output << ": cannot write: " << why << " (the box was not read)\n";
    return kExitFileError;
  }
  return PullBoxes(endpoints, {o.output}, o, out) ? kExitOk : kExitFileError;
}

int RunPush(const LiveOptions& o, std::ostream& out, std::ostream& err) {
  const std::vector<Endpoint> endpoints = Endpoints(o);
  bool file_ok = false;
  const LoadedPreset file = CheckedFile(o, err, file_ok);
  if (!file_ok) {
    const std::string_view text = PresetStatusText(file.status, o.ui_language);
    for (const Endpoint& e : endpoints) {
      out << e.Label() << " failed: damaged file: " << text << " (the box was not touched)\n";
    }
    return kExitFileError;
  }
  EnsureApp();
  std::string backup_dir;
  if (!o.no_backup) {
    backup_dir = o.backup_dir.empty() ? DefaultBackupDir() : o.backup_dir;
    if (const std::string why = PrepareBackupDir(backup_dir); !why.empty()) {
      err << "kdsp-tool: " << why << " (no box touched; --no-backup pushes without one)\n";
      return kExitFileError;
    }
  }
  const std::string stamp = BackupStamp();
  PushHooks hooks;
  hooks.backups.resize(endpoints.size());
  std::vector<std::unique_ptr<LiveSession>> sessions;
  for (std::size_t i = 0; i < endpoints.size(); ++i) {
    const Endpoint e = endpoints[i];
    sessions.push_back(std::make_unique<LiveSession>(e, Timings(o)));
    sessions.back()->SetLanguage(o.ui_language);
    sessions.back()->SetPush(file.kind, file.entries);
    if (o.no_backup) continue;
    // What the box held, kept before anything is written; a box whose backup cannot be
    // written is not touched.
    sessions.back()->SetReadHandler([&, e, i](const ValueTable& values, const LinkMachine&) {
      const BackupResult b = SaveBackup(backup_dir, e, stamp, file.kind, values);
      if (!b.error.empty()) return b.error + " (the box was not touched)";
      hooks.backups[i] = b.path;
      if (hooks.display != nullptr) hooks.display->Clear();
      err << "kdsp-tool: " << e.Label() << ": backup " << b.path << "\n";
      err.flush();
      return std::string();
    });
  }
  const bool ok = RunAll(sessions, o, out, true, &hooks);
  if (hooks.stopped_by != 0) {
    err << "kdsp-tool: stopped by " << StopSignals::Name(hooks.stopped_by)
        << ": no further write was started\n";
  }
  return ok ? kExitOk : kExitFileError;
}

int RunDiffLive(const LiveOptions& o, std::ostream& out, std::ostream& err) {
  const std::vector<Endpoint> endpoints = Endpoints(o);
  if (endpoints.size() != 1) throw UsageError("diff-live compares one box; give one HOST[:PORT]");
  bool file_ok = false;
  const LoadedPreset file = CheckedFile(o, err, file_ok);
  if (!file_ok) return kExitFileError;
  EnsureApp();
  std::vector<std::unique_ptr<LiveSession>> sessions;
  sessions.push_back(std::make_unique<LiveSession>(endpoints[0], Timings(o)));
  sessions.back()->SetLanguage(o.ui_language);
  std::ostringstream diff;
  int differences = -1;
  sessions[0]->SetReadHandler([&](const ValueTable& values, const LinkMachine&) {
    // The box's value at every address the file holds.
    // What a load of the file writes into the box, or with --all every address it holds.
    std::vector<PresetEntry> wanted;
    for (const PresetEntry& e : file.entries) {
      if (o.all || WrittenByLoad(file.kind, e.page, e.slot)) wanted.push_back(e);
    }
    std::vector<PresetEntry> box = wanted;
    for (PresetEntry& e : box) e.value = values.Get(e.page, e.slot);
    differences = PrintDifferences(wanted, box, o.ui_language, diff);
    return std::string();
  });
  // A complete read prints the differences alone; a failed one its result line.
  const bool ok = RunAll(sessions, o, out, false);
  if (!ok) return kExitFileError;
  out << diff.str();
  return differences == 0 ? kExitOk : kExitFileError;
}

int RunScan(const LiveOptions& o, std::ostream& out, std::ostream& err) {
  if (o.hosts.empty()) throw UsageError("no target given");
  if (o.concurrency < 1) throw UsageError("--concurrency takes a number of at least 1");
  if (o.timeout_ms < 1) throw UsageError("--timeout takes milliseconds, at least 1");
  std::vector<Endpoint> targets;
  for (const std::string& t : o.hosts) {
    const ScanTargets expanded = ExpandScanTarget(t);
    if (!expanded.error.empty()) throw UsageError(expanded.error);
    for (const std::string& h : expanded.hosts)
      targets.push_back({h, expanded.port.value_or(o.port)});
  }
  EnsureApp();
  // Probes are made as they start and go when they end, so a wide range stays light.
  std::vector<ProbeResult> results(targets.size());
  QEventLoop loop;
  std::size_t next = 0;
  std::size_t running = 0;
  std::size_t done = 0;
  int found = 0;
  ProgressDisplay display(out, o.progress);
  std::function<void()> launch = [&] {
    while (running < static_cast<std::size_t>(o.concurrency) && next < targets.size()) {
      const std::size_t index = next++;
      auto* p = new BoxProbe(targets[index], o.timeout_ms, &loop);
      ++running;
      QObject::connect(p, &BoxProbe::finished, &loop, [&, p, index] {
        results[index] = p->Result();
        p->deleteLater();
        --running;
        ++done;
        if (results[index].box) ++found;
        if (done == targets.size()) {
          loop.quit();
        } else {
          // Started from the loop, not from inside the probe that just ended.
          QTimer::singleShot(0, &loop, launch);
        }
      });
      p->Start();
    }
  };
  QTimer redraw;
  QObject::connect(&redraw, &QTimer::timeout, &loop, [&] {
    display.Draw({"probed " + std::to_string(done) + " of " + std::to_string(targets.size()) +
                  ", " + std::to_string(found) + " found"});
  });
  if (o.progress) redraw.start(kRedrawMs);
  launch();
  if (!targets.empty()) loop.exec();
  // The probes that ended last are deleted here, before the loop goes.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  redraw.stop();
  display.Clear();
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const ProbeResult& r = results[i];
    if (!r.box) continue;
    out << targets[i].Label() << " " << (r.device_id.empty() ? "?" : r.device_id) << " ";
    if (r.mode >= 0) {
      out << (r.mode + 1) << "-" << r.mode_name << "\n";
    } else {
      out << "?\n";
    }
  }
  out.flush();
  err << "kdsp-tool: " << found << (found == 1 ? " box" : " boxes") << " found among "
      << targets.size() << (targets.size() == 1 ? " address\n" : " addresses\n");
  return found > 0 ? kExitOk : kExitFileError;
}

}  // namespace kdsp::tool
