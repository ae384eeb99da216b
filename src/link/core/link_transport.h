#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/core/frame.h"

namespace kdsp {

/// What the link needs from the three transports. Every call comes on the window's thread and
/// returns at once; failures are swallowed (the link's time-outs notice the silence).
class LinkTransport {
 public:
  virtual ~LinkTransport() = default;

  /// Sends one frame on transport `kind`; nothing happens when that transport is not open.
  virtual void SendFrameBytes(LinkKind kind, std::span<const std::uint8_t> frame) = 0;
  /// Closes the serial port if open and opens `name` (115200 8N1, DTR and RTS on).
  virtual void OpenComPort(const std::string& name) = 0;
  /// (Re)connects the TCP socket to the endpoint typed on the system page; does not wait.
  virtual void ConnectTcp() = 0;
  virtual void DisconnectTcp() = 0;
  /// Names of the serial ports present now, sorted as text.
  virtual std::vector<std::string> ListSerialPorts() = 0;
  /// True when the last USB list rebuild found the box (`HidPresent`).
  virtual bool HidPresent() const = 0;
};

}  // namespace kdsp
