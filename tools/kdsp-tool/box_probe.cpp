#include "kdsp-tool/box_probe.h"

#include "link/core/frame.h"
#include "link/core/receive_dispatcher.h"
#include "model/param_addr.h"

namespace kdsp::tool {

namespace {

// Where a frame's parts sit: F5 2C LEN cmd page slot payload... checksum.
constexpr std::size_t kLenAt = 2;
constexpr std::size_t kPageAt = 4;
constexpr std::size_t kSlotAt = 5;
constexpr std::size_t kPayloadAt = 6;
// Read positions of the current mode and of a mode name in the full read's item sequence.
constexpr int kModeNamePos = 30;
constexpr int kCurrentModePos = 32;

}  // namespace

BoxProbe::BoxProbe(Endpoint endpoint, int timeout_ms, QObject* parent)
    : QObject(parent), endpoint_(std::move(endpoint)), timeout_ms_(timeout_ms), socket_(this) {
  limit_.setSingleShot(true);
  connect(&limit_, &QTimer::timeout, this, [this] {
    // Past the probe, a box that stays silent is still a box; it just tells less.
    if (step_ == Step::kOpen) {
      open_acked_ = true;
      id_given_up_ = true;
      Advance();
    } else {
      Done();
    }
  });
  connect(&socket_, &QTcpSocket::connected, this, [this] {
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    step_ = Step::kProbe;
    Send(BuildValueFrame(CmdWrite, LinkControl, HelloCode));
    limit_.start(timeout_ms_);
  });
  connect(&socket_, &QTcpSocket::readyRead, this, &BoxProbe::OnBytes);
  connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
    if (step_ != Step::kDone) Done();
  });
}

void BoxProbe::Start() {
  limit_.start(timeout_ms_);
  socket_.connectToHost(QString::fromStdString(endpoint_.host),
                        static_cast<quint16>(endpoint_.port));
}

void BoxProbe::Send(const Bytes& frame) {
  socket_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
}

void BoxProbe::OnBytes() {
  const QByteArray data = socket_.readAll();
  const auto units = rx_.Feed(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                        static_cast<std::size_t>(data.size())));
  for (const RxUnit& unit : units) {
    if (step_ == Step::kDone) return;
    OnUnit(unit);
  }
}

void BoxProbe::OnUnit(const RxUnit& unit) {
  const Bytes& b = unit.bytes;
  if (unit.is_ack || IsAck(b)) {
    if (step_ == Step::kProbe) {
      result_.box = true;
      step_ = Step::kOpen;
      Send(BuildValueFrame(CmdWrite, LinkOpen, 1));
      limit_.start(timeout_ms_);
    } else if (step_ == Step::kOpen) {
      open_acked_ = true;
      Advance();
    }
    return;
  }
  if (b.size() <= kPayloadAt || FrameChecksum(b, b.size()) != b.back()) return;
  const int page = b[kPageAt];
  const int slot = b[kSlotAt];
  if (page != kControlPage || b[kLenAt] < 4) return;
  const std::span<const std::uint8_t> payload(b.data() + kPayloadAt, b.size() - kPayloadAt - 1);
  if (slot == SlotOf(DeviceId)) {
    result_.device_id = DeviceIdText(payload);
    Advance();
  } else if (slot == SlotOf(RecallMode) && step_ == Step::kMode && payload.size() >= 2) {
    result_.mode = payload[0] + 256 * payload[1];
    Advance();
  } else if (slot == SlotOf(ModeName) && step_ == Step::kName) {
    result_.mode_name = FilterName(payload);
    Done();
  }
}

void BoxProbe::Advance() {
  if (step_ == Step::kOpen) {
    // The identification code comes unasked after the acknowledgement; wait for both.
    if (!open_acked_ || (result_.device_id.empty() && !id_given_up_)) return;
    step_ = Step::kMode;
    Send(BuildItemRead(kCurrentModePos, 0));
    limit_.start(timeout_ms_);
  } else if (step_ == Step::kMode) {
    if (result_.mode < 0 || result_.mode > 15) {
      Done();
      return;
    }
    step_ = Step::kName;
    Send(BuildItemRead(kModeNamePos, result_.mode));
    limit_.start(timeout_ms_);
  } else if (step_ == Step::kName) {
    Done();
  }
}

void BoxProbe::Done() {
  if (step_ == Step::kDone) return;
  const bool answered = result_.box;
  step_ = Step::kDone;
  limit_.stop();
  if (answered && socket_.state() == QAbstractSocket::ConnectedState) {
    Send(BuildValueFrame(CmdWrite, LinkControl, ByeCode));
    socket_.flush();
    socket_.disconnectFromHost();
  } else {
    socket_.abort();
  }
  emit finished();
}

}  // namespace kdsp::tool
