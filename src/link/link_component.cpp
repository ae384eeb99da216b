#include "link/link_component.h"

#include "link/core/link_texts.h"

namespace kdsp {

namespace {

// Device changes come in bursts (a hub, a composite device); one rebuild follows the last.
constexpr int kUsbSettleMs = 300;

}  // namespace

LinkComponent::LinkComponent(ValueTable& device_values, LinkHost& host, QObject* parent)
    : LinkComponent(device_values, host, MakeHidapiBackend(), LinkTimings{}, parent) {}

LinkComponent::LinkComponent(ValueTable& device_values, LinkHost& host,
                             std::unique_ptr<HidBackend> hid, LinkTimings timings, QObject* parent)
    : QObject(parent),
      host_(host),
      timings_(timings),
      hid_(std::move(hid), log_),
      serial_(log_),
      tcp_host_(QString::fromUtf8(kDefaultBoxHost.data(), kDefaultBoxHost.size())),
      tcp_port_text_(QString::fromUtf8(kDefaultBoxPort.data(), kDefaultBoxPort.size())),
      port_lister_(&SerialTransport::SystemPorts) {
  machine_ = std::make_unique<LinkMachine>(device_values, *this, host_);
  machine_->SetTimerListener([this] { SyncTimers(); });
  machine_->SetTickLengths(
      {timings_.search_ms, timings_.transfer_ms, timings_.transfer_tcp_ms, timings_.hold_ms});
  machine_->SetPacedAlways(timings_.paced);

  for (QTimer* t : {&search_timer_, &transfer_timer_, &hold_timer_}) {
    t->setTimerType(Qt::PreciseTimer);
  }
  connect(&search_timer_, &QTimer::timeout, this, [this] { machine_->SearchTick(); });
  connect(&transfer_timer_, &QTimer::timeout, this, [this] { machine_->TransferTick(); });
  connect(&hold_timer_, &QTimer::timeout, this, [this] { machine_->HoldTick(); });

  connect(&hid_, &HidTransport::reportArrived, this, [this](const QByteArray& data) {
    machine_->OnUsbReport(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                    static_cast<std::size_t>(data.size())));
  });
  connect(&serial_, &SerialTransport::bytesArrived, this, [this](const QByteArray& data) {
    machine_->OnSerialBytes(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                      static_cast<std::size_t>(data.size())));
  });
  connect(&serial_, &SerialTransport::portLost, this,
          [this] { machine_->OnTransportLost(LinkCom); });
  connect(&tcp_, &TcpTransport::connected, this, [this] { machine_->OnTcpConnected(); });
  connect(&tcp_, &TcpTransport::bytesArrived, this, [this](const QByteArray& data) {
    machine_->OnTcpBytes(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                   static_cast<std::size_t>(data.size())));
  });

  usb_settle_.setSingleShot(true);
  usb_settle_.setInterval(kUsbSettleMs);
  connect(&usb_settle_, &QTimer::timeout, this, &LinkComponent::RefreshUsbDevices);
  connect(&watcher_, &UsbWatcher::devicesChanged, &usb_settle_, qOverload<>(&QTimer::start));
  connect(&watcher_, &UsbWatcher::deviceRemoved, this,
          [this](const QString& path) { hid_.NoteRemoval(path.toStdString()); });
}

LinkComponent::~LinkComponent() {
  // The machine calls back into the transports; stop the timers before anything goes.
  search_timer_.stop();
  transfer_timer_.stop();
  hold_timer_.stop();
}

void LinkComponent::Start() {
  watcher_.Start();
  QTimer::singleShot(0, this, &LinkComponent::RefreshUsbDevices);
}

void LinkComponent::RefreshUsbDevices() { machine_->OnUsbListRebuilt(hid_.Rebuild()); }

void LinkComponent::FarewellOnClose() {
  machine_->FarewellOnClose();
  tcp_.Flush();
  serial_.Flush();
}

void LinkComponent::Shutdown() {
  machine_->Halt();
  tcp_.Flush();
  serial_.Flush();
}

void LinkComponent::SetTcpEndpoint(const QString& host, const QString& port_text) {
  tcp_host_ = host;
  tcp_port_text_ = port_text;
}

void LinkComponent::SetSerialPortLister(std::function<std::vector<std::string>()> lister) {
  port_lister_ = std::move(lister);
}

void LinkComponent::SendFrameBytes(LinkKind kind, std::span<const std::uint8_t> frame) {
  switch (kind) {
    case LinkUsb:
      hid_.Send(frame);
      break;
    case LinkCom:
      serial_.Send(frame);
      break;
    case LinkTcp:
      tcp_.Send(frame);
      break;
  }
}

void LinkComponent::OpenComPort(const std::string& name) {
  serial_.Open(QString::fromStdString(name));
}

void LinkComponent::ConnectTcp() {
  bool ok = false;
  const int port = tcp_port_text_.trimmed().toInt(&ok, 10);
  if (!ok || port < 0 || port > 65535) {
    // The port field holds no port number: say so, as any bad number typed in the console.
    const QByteArray text =
        QStringLiteral("'%1' is not a valid integer value").arg(tcp_port_text_).toUtf8();
    const std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
    host_.ShowMessage({view, view}, kNoCaption);
    return;
  }
  tcp_.Connect(tcp_host_.trimmed(), static_cast<quint16>(port));
}

void LinkComponent::DisconnectTcp() { tcp_.Disconnect(); }

std::vector<std::string> LinkComponent::ListSerialPorts() {
  return port_lister_ ? port_lister_() : std::vector<std::string>{};
}

void LinkComponent::Apply(QTimer& timer, bool on, int interval_ms) {
  if (!on) {
    timer.stop();
    return;
  }
  if (timer.interval() != interval_ms) timer.setInterval(interval_ms);
  if (!timer.isActive()) timer.start();
}

void LinkComponent::SyncTimers() {
  const LinkMachine& m = *machine_;
  Apply(search_timer_, m.SearchTimerOn(), timings_.search_ms);
  Apply(transfer_timer_, m.TransferTimerOn(),
        m.TransferIntervalMs() == kTransferIntervalTcpMs ? timings_.transfer_tcp_ms
                                                         : timings_.transfer_ms);
  Apply(hold_timer_, m.HoldTimerOn(), timings_.hold_ms);
}

}  // namespace kdsp
