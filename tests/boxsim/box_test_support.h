#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/core/frame.h"

namespace kdsp::boxsim::testing {

/// 16-bit words of a frame's payload, low byte first.
std::vector<int> WordsOf(std::span<const std::uint8_t> frame);
/// Payload of a frame as text.
std::string TextOf(std::span<const std::uint8_t> frame);
/// True when the frame's last byte is its checksum.
bool ChecksumOk(std::span<const std::uint8_t> frame);

/// Cuts the box's byte stream into acknowledgements (2 bytes) and frames (LEN + 3 bytes).
class MessageReader {
 public:
  void Add(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  }
  std::optional<Bytes> Next();

 private:
  Bytes buffer_;
};

/// A descriptor the box talks to (TCP socket or pty slave), read with time-outs.
class Line {
 public:
  explicit Line(int fd) : fd_(fd) {}
  ~Line();
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;
  bool Ok() const { return fd_ >= 0; }
  void Write(std::span<const std::uint8_t> bytes);
  /// The bytes of one read, or nothing when none came within `timeout_ms`.
  std::optional<Bytes> ReadOnce(int timeout_ms);
  /// The next message, waiting up to `timeout_ms` in all.
  std::optional<Bytes> Next(int timeout_ms = 2000);
  /// Writes a frame and returns the next message.
  std::optional<Bytes> Ask(std::span<const std::uint8_t> frame) {
    Write(frame);
    return Next();
  }

 private:
  int fd_;
  MessageReader reader_;
};

int ConnectLoopback(int port);
/// Opens a pty slave in raw mode as a console would open a serial port.
int OpenSerial(const std::string& path);

}  // namespace kdsp::boxsim::testing
