#include "kdsp-tool/live_session.h"

#include <QAbstractSocket>
#include <algorithm>

#include "link/core/link_texts.h"

namespace kdsp::tool {

namespace {

// How often a session looks at its link; short against the link's own ticks.
constexpr int kStepMs = 5;
// Time given to the farewell to leave before the connection is dropped.
constexpr int kFarewellMs = 20;
// Positions of a full read and pages of a full download, for the texts.
constexpr int kReadEnd = 42;
// The last page a download writes; past it only the closing read and values remain.
constexpr int kLastWrittenPage = 25;
// Ticks a request waits before the link repeats it, and the least time a stopped download
// awaits the acknowledgement of its last page (however fast the link's timers run).
constexpr int kRepeatTicks = 31;
constexpr int kLeastStopWaitMs = 1000;

/// No USB box on the command line: the network is the only transport.
class NoHid : public HidBackend {
 public:
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t) override { return {}; }
  std::unique_ptr<HidHandle> Open(const std::string&) override { return nullptr; }
};

}  // namespace

LiveSession::LiveSession(Endpoint endpoint, LinkTimings timings, QObject* parent)
    : QObject(parent), endpoint_(std::move(endpoint)), timings_(timings), host_(device_values_) {
  step_timer_.setInterval(kStepMs);
  connect(&step_timer_, &QTimer::timeout, this, &LiveSession::Step);
  stop_wait_.setSingleShot(true);
  stop_wait_.setInterval(std::max(kLeastStopWaitMs, kRepeatTicks * timings_.transfer_tcp_ms));
  connect(&stop_wait_, &QTimer::timeout, this, &LiveSession::Step);
}

LiveSession::~LiveSession() = default;

void LiveSession::SetPush(PresetKind kind, std::vector<PresetEntry> entries) {
  push_kind_ = kind;
  push_entries_ = std::move(entries);
}

void LiveSession::Start() {
  link_ =
      std::make_unique<LinkComponent>(device_values_, host_, std::make_unique<NoHid>(), timings_);
  host_.Attach(&link_->machine());
  link_->SetSerialPortLister([] { return std::vector<std::string>{}; });
  link_->SetTcpEndpoint(QString::fromStdString(endpoint_.host), QString::number(endpoint_.port));
  phase_ = Phase::kReading;
  // No USB box and no serial port: the search goes straight to the network, as the console's
  // does on such a machine.
  link_->machine().LinkBtnClick(LinkButton::LinkBtn);
  step_timer_.start();
}

SessionProgress LiveSession::Progress() const {
  SessionProgress p;
  switch (phase_) {
    case Phase::kIdle:
      p.phase = "waiting";
      return p;
    case Phase::kFarewell:
      p.phase = "farewell";
      return p;
    case Phase::kDone:
      p.phase = "done";
      return p;
    case Phase::kReading:
    case Phase::kDownloading:
      break;
  }
  const LinkState& st = link_->machine().state();
  if (phase_ == Phase::kReading && !answered_) {
    p.phase = "search";
    return p;
  }
  p.phase = phase_ == Phase::kReading ? "read" : "download";
  p.total = st.XferEnd;
  p.done = std::clamp(st.XferPos, 0, st.XferEnd);
  if (st.LinkOnline) p.done = p.total;
  return p;
}

bool LiveSession::OnlineAndIdle() const {
  const LinkMachine& m = link_->machine();
  const LinkState& st = m.state();
  return st.LinkOnline && !m.TransferTimerOn() && m.queue().Empty() && st.ReadyToSend &&
         !st.PendingAction;
}

std::string LiveSession::FailureText() const {
  const LinkState& st = link_->machine().state();
  const QAbstractSocket::SocketError error = link_->TcpLastError();
  std::string where;
  if (phase_ == Phase::kDownloading) {
    where = " during the download at page " + std::to_string(st.XferPos) + " of " +
            std::to_string(st.XferEnd) + "; the box holds a partial download";
  } else if (answered_) {
    where = " during the read at position " + std::to_string(st.XferPos) + " of " +
            std::to_string(kReadEnd);
  }
  // What the console's message box would have said, in the chosen language.
  const BilingualText message = error == QAbstractSocket::RemoteHostClosedError
                                    ? kMsgLinkLost
                                    : host_.EndMessage().value_or(kMsgLinkFailed);
  const std::string console = " [" + std::string(ui_language_ == 1 ? message.zh : message.en) + "]";
  std::string reason;
  if (error == QAbstractSocket::RemoteHostClosedError) {
    reason = "lost link: the box closed the connection" + where;
  } else if (!answered_ && error == QAbstractSocket::ConnectionRefusedError) {
    reason = "refused: the connection was refused";
  } else if (!answered_ && error == QAbstractSocket::HostNotFoundError) {
    reason = "refused: host not found";
  } else if (!answered_ && (error == QAbstractSocket::NetworkError ||
                            error == QAbstractSocket::SocketTimeoutError)) {
    reason = "time-out: the network did not reach the host";
  } else if (!answered_) {
    reason = "time-out: no box answered the probe";
  } else if (message == kMsgLinkLost) {
    reason = "lost link: the box stopped answering" + where;
  } else {
    reason = "time-out: the box stopped answering" + where;
    if (!host_.OtherMessages().empty()) reason += " (" + host_.OtherMessages() + ")";
  }
  return reason + console;
}

void LiveSession::Stop() {
  if (phase_ != Phase::kReading && phase_ != Phase::kDownloading) return;
  if (stopping_) {
    // Asked again: the write on its way is no longer awaited.
    if (stop_halted_) FarewellStopped(StopOutcome::kPartial, PagesWritten(false));
    return;
  }
  stopping_ = true;
  if (link_->machine().state().BoxAnswered) answered_ = true;
  if (phase_ == Phase::kReading) {
    FarewellStopped(StopOutcome::kUntouched, "untouched");
    return;
  }
  if (DownloadWritten()) return;  // only the closing exchange is left: let it end
  // The timers stop, so no further page goes out; the page on its way is awaited.
  link_->machine().Halt();
  stop_halted_ = true;
  stop_wait_.start();
  Step();
}

bool LiveSession::DownloadWritten() const {
  const LinkState& st = link_->machine().state();
  return st.XferPos >= st.XferEnd || st.XferPos > kLastWrittenPage;
}

std::string LiveSession::PagesWritten(bool last_acknowledged) const {
  const LinkState& st = link_->machine().state();
  const int first = *push_kind_ == PresetKind::kMode ? 0 : 22;
  const int last = std::min(st.XferEnd - 1, kLastWrittenPage);
  const int written = last_acknowledged ? st.XferPos : st.XferPos - 1;
  const std::string of = " of " + std::to_string(first) + " to " + std::to_string(last);
  std::string text = written < first ? "no page written" + of
                                     : "pages " + std::to_string(first) + " to " +
                                           std::to_string(written) + " written" + of;
  if (!last_acknowledged) {
    text += " (page " + std::to_string(st.XferPos) + " sent, not acknowledged)";
  }
  return text;
}

void LiveSession::Step() {
  if (phase_ != Phase::kReading && phase_ != Phase::kDownloading) return;
  LinkMachine& m = link_->machine();
  if (m.state().BoxAnswered) answered_ = true;
  if (host_.EndMessage() || link_->TcpLastError() == QAbstractSocket::RemoteHostClosedError) {
    Finish(false, FailureText());
    return;
  }
  if (stop_halted_) {
    // The page on its way is written once the box acknowledges it.
    if (m.state().XferState == kXferAcked) {
      FarewellStopped(StopOutcome::kPartial, PagesWritten(true));
    } else if (!stop_wait_.isActive()) {
      FarewellStopped(StopOutcome::kPartial, PagesWritten(false));
    }
    return;
  }
  if (!OnlineAndIdle()) return;
  if (phase_ == Phase::kDownloading) {
    if (stopping_) {
      FarewellStopped(StopOutcome::kDone, "done");
    } else {
      Farewell(true, "ok");
    }
    return;
  }
  // The read is complete and nothing is on its way: the values are the box's.
  if (on_read_) {
    std::string error = on_read_(device_values_, m);
    if (!error.empty()) {
      Farewell(false, std::move(error));
      return;
    }
  }
  if (!push_kind_) {
    Farewell(true, "ok");
    return;
  }
  // As the console's load: the file's values over those just read, then the download.
  ApplyPresetEntries(*push_kind_, push_entries_, device_values_);
  phase_ = Phase::kDownloading;
  m.EnterLinkState(*push_kind_ == PresetKind::kMode ? LinkEntry::StartFullWrite
                                                    : LinkEntry::StartHintWrite);
}

void LiveSession::Farewell(bool ok, std::string text) {
  phase_ = Phase::kFarewell;
  step_timer_.stop();
  link_->FarewellOnClose();
  pending_ = {ok, std::move(text), std::nullopt};
  QTimer::singleShot(kFarewellMs, this, [this] { Finish(pending_.ok, pending_.text); });
}

void LiveSession::FarewellStopped(StopOutcome outcome, std::string text) {
  const bool online = link_->machine().state().LinkOnline;
  stop_wait_.stop();
  stop_halted_ = false;
  if (!online && answered_) {
    // Mid-transfer the link is not online, so the farewell is sent by hand.
    link_->machine().Halt();
    link_->machine().SendControl(ControlMessage::Farewell);
  }
  Farewell(false, std::move(text));
  pending_stopped_ = outcome;
}

void LiveSession::Finish(bool ok, std::string text) {
  if (phase_ == Phase::kDone) return;
  phase_ = Phase::kDone;
  step_timer_.stop();
  host_.Attach(nullptr);
  link_.reset();
  result_ = SessionResult{ok, std::move(text), pending_stopped_};
  emit finished();
}

}  // namespace kdsp::tool
