#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/core/link_host.h"
#include "link/core/link_machine.h"
#include "link/core/link_transport.h"
#include "link/hid_backend.h"
#include "link/hid_transport.h"
#include "link/link_log.h"
#include "link/serial_transport.h"
#include "link/tcp_transport.h"
#include "link/usb_watcher.h"
#include "model/value_table.h"

namespace kdsp {

/// Timer intervals of the link. The defaults are the box's pace; tests run faster.
struct LinkTimings {
  int search_ms = kSearchIntervalMs;
  int transfer_ms = kTransferIntervalMs;
  int transfer_tcp_ms = kTransferIntervalTcpMs;
  int hold_ms = kHoldIntervalMs;
  /// Keep the paced rhythm for every connection (boxes that cannot take requests as fast as
  /// they answer them).
  bool paced = false;
};

/// The link component: the three transports, the link log and the three timers that drive the
/// link state machine. Not a window; everything runs on the thread that created it (the
/// window's), the USB reader threads hand their reports over to it.
class LinkComponent : public QObject, public LinkTransport {
  Q_OBJECT

 public:
  /// The link to the real platform: hidapi for USB, the system's serial ports.
  LinkComponent(ValueTable& device_values, LinkHost& host, QObject* parent = nullptr);
  /// With a HID backend and timer intervals of the caller's choice.
  LinkComponent(ValueTable& device_values, LinkHost& host, std::unique_ptr<HidBackend> hid,
                LinkTimings timings, QObject* parent = nullptr);
  ~LinkComponent() override;

  /// Watches USB and rebuilds the device list once shortly after; that rebuild presses the
  /// link button by itself.
  void Start();
  /// Rebuilds the USB list and tells the link what it found.
  void RefreshUsbDevices();
  /// The window is closing: the link lets the box go, and the farewell is pushed out before
  /// the event loop ends.
  void FarewellOnClose();
  /// The program is ending: the link stops in whatever state it is and what is buffered for
  /// the box is pushed out.
  void Shutdown();

  LinkMachine& machine() { return *machine_; }
  const LinkMachine& machine() const { return *machine_; }
  LinkLog& log() { return log_; }
  HidTransport& hid() { return hid_; }

  /// The endpoint typed on the system page (`IPstrEdit`, `IPPortStrEdit`).
  void SetTcpEndpoint(const QString& host, const QString& port_text);
  /// Replaces the system's serial port list (pseudo-terminals are not listed by the system).
  void SetSerialPortLister(std::function<std::vector<std::string>()> lister);

  // LinkTransport
  void SendFrameBytes(LinkKind kind, std::span<const std::uint8_t> frame) override;
  void OpenComPort(const std::string& name) override;
  void ConnectTcp() override;
  void DisconnectTcp() override;
  std::vector<std::string> ListSerialPorts() override;
  bool HidPresent() const override { return hid_.HidPresent(); }

  bool SerialOpen() const { return serial_.IsOpen(); }
  bool TcpConnected() const { return tcp_.Connected(); }
  /// Why the network connection failed or ended, if it did (UnknownSocketError: it did not).
  QAbstractSocket::SocketError TcpLastError() const { return tcp_.LastError(); }

 private:
  void SyncTimers();
  static void Apply(QTimer& timer, bool on, int interval_ms);

  LinkHost& host_;
  LinkTimings timings_;
  LinkLog log_;
  HidTransport hid_;
  SerialTransport serial_;
  TcpTransport tcp_;
  UsbWatcher watcher_;
  std::unique_ptr<LinkMachine> machine_;
  QTimer search_timer_;    // `Timer1`
  QTimer transfer_timer_;  // `Timer2`
  QTimer hold_timer_;      // `HoldTimer`
  QTimer usb_settle_;      // gathers a burst of device changes into one rebuild
  QString tcp_host_;
  QString tcp_port_text_;
  std::function<std::vector<std::string>()> port_lister_;
};

}  // namespace kdsp
