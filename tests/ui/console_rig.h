#pragma once

// The console wired as the program wires it, for tests against the emulated box: the real link
// component with no USB devices, so the search goes on to the serial ports and the network.

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/hid_backend.h"
#include "link/link_component.h"
#include "ui/link_bridge.h"
#include "ui/main_window.h"

namespace kdsp::testing {

/// No USB devices at all.
class NoUsb : public HidBackend {
 public:
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t) override { return {}; }
  std::unique_ptr<HidHandle> Open(const std::string&) override { return nullptr; }
};

/// The console's open message box, if any. They are not modal: the link's timers and a close
/// request go on while one is open, so the application's modal widget does not find them.
inline QMessageBox* OpenMessageBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

/// Search, transfers and hold ticks fast (a poll every 50 hold ticks: 250 ms).
inline LinkTimings FastLinkTimings() {
  LinkTimings t;
  t.search_ms = 40;
  t.transfer_ms = 5;
  t.transfer_tcp_ms = 8;
  t.hold_ms = 5;
  return t;
}

/// The link component for `window` and `bridge`, attached, aimed at the address the window's
/// address fields hold; `serial_ports` lists the serial ports the search sees (none without).
inline std::unique_ptr<LinkComponent> WireConsole(
    ui::MainWindow& window, ui::LinkBridge& bridge, ValueTable& device_values,
    LinkTimings timings, std::function<std::vector<std::string>()> serial_ports = {}) {
  auto link = std::make_unique<LinkComponent>(device_values, bridge, std::make_unique<NoUsb>(),
                                              timings);
  bridge.Attach(link.get());
  if (!serial_ports) serial_ports = [] { return std::vector<std::string>{}; };
  link->SetSerialPortLister(std::move(serial_ports));
  window.SetLink(&bridge);
  link->SetTcpEndpoint(window.findChild<QLineEdit*>("IPstrEdit")->text(),
                       window.findChild<QLineEdit*>("IPPortStrEdit")->text());
  return link;
}

}  // namespace kdsp::testing
