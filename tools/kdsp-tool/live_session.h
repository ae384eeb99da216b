#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kdsp-tool/endpoints.h"
#include "kdsp-tool/headless_host.h"
#include "link/link_component.h"
#include "model/value_table.h"
#include "presets/codec/preset_codec.h"

namespace kdsp::tool {

/// Where a session stands, for the progress display.
struct SessionProgress {
  std::string phase;  ///< "search", "read", "download", "farewell", "done"
  int done = 0;       ///< positions moved of `total`
  int total = 0;
};

/// What a session stopped on request had done to its box.
enum class StopOutcome {
  kUntouched,  ///< nothing of the file was written
  kPartial,    ///< the download began and did not end: `text` tells the pages written
  kDone,       ///< the download had ended
};

/// How a session ended. `text` is the result line after the endpoint ("ok", or the failure).
struct SessionResult {
  bool ok = false;
  std::string text;
  std::optional<StopOutcome> stopped;  ///< set when `Stop` ended the session
};

/// One box over the network, worked as the console works it: a link component of its own
/// (the console's link machine, TCP transport and timers) with a window-less host. `Start`
/// searches and reads the whole box; once the read is complete and the link idle, `on_read`
/// sees the values (it returns an error text, empty when done); a push then applies the file
/// as the console's load does and downloads; last comes the farewell. `finished` is emitted
/// once, with the result.
class LiveSession : public QObject {
  Q_OBJECT

 public:
  using ReadHandler =
      std::function<std::string(const ValueTable& device_values, const LinkMachine& machine)>;

  LiveSession(Endpoint endpoint, LinkTimings timings, QObject* parent = nullptr);
  ~LiveSession() override;

  /// After the read: call `handler`; its non-empty answer fails the session.
  void SetReadHandler(ReadHandler handler) { on_read_ = std::move(handler); }
  /// After the read: apply `entries` of a file of `kind` and download them.
  void SetPush(PresetKind kind, std::vector<PresetEntry> entries);

  /// Failure lines quote the console's message in this language (1: Chinese, 0: English).
  void SetLanguage(int ui_language) { ui_language_ = ui_language; }

  void Start();
  /// No new write starts from now on: a read is given up, a write on its way is let finish
  /// (its acknowledgement awaited as long as the link waits before repeating it, at least 1 s),
  /// then the farewell goes out and the session ends with `stopped` set. A download whose pages are
  /// all written ends as usual. Asked again while waiting, it waits no longer.
  void Stop();
  const Endpoint& endpoint() const { return endpoint_; }
  SessionProgress Progress() const;
  const std::optional<SessionResult>& Result() const { return result_; }

 signals:
  void finished();

 private:
  enum class Phase { kIdle, kReading, kDownloading, kFarewell, kDone };
  void Step();
  bool OnlineAndIdle() const;
  std::string FailureText() const;
  void Finish(bool ok, std::string text);
  void Farewell(bool ok, std::string text);
  void FarewellStopped(StopOutcome outcome, std::string text);
  bool DownloadWritten() const;
  std::string PagesWritten(bool last_acknowledged) const;

  Endpoint endpoint_;
  LinkTimings timings_;
  ValueTable device_values_;
  HeadlessHost host_;
  std::unique_ptr<LinkComponent> link_;
  QTimer step_timer_;
  Phase phase_ = Phase::kIdle;
  ReadHandler on_read_;
  std::optional<PresetKind> push_kind_;
  std::vector<PresetEntry> push_entries_;
  int ui_language_ = 0;
  bool answered_ = false;     ///< the box has answered the probe
  bool stopping_ = false;     ///< `Stop` was asked for
  bool stop_halted_ = false;  ///< the download was halted and its last write is awaited
  QTimer stop_wait_;          ///< how long that write's acknowledgement is awaited
  std::optional<SessionResult> result_;
  SessionResult pending_;  ///< the outcome waiting for the farewell to go out
  std::optional<StopOutcome> pending_stopped_;
};

}  // namespace kdsp::tool
