#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kdsp {

/// One attached HID device as the system lists it.
struct HidDeviceInfo {
  std::string path;
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  std::string product;  ///< UTF-8
  std::string serial;   ///< UTF-8; empty when the device reports none
};

/// An opened HID device. `Write` is called on the window thread while `Read` runs on the
/// device's reader thread.
class HidHandle {
 public:
  virtual ~HidHandle() = default;
  /// Writes one output report (identifier first); false on failure.
  virtual bool Write(std::span<const std::uint8_t> report) = 0;
  /// Reads one input report's data (the frame first) into `buffer`, waiting up to
  /// `timeout_ms`: the byte count, 0 when nothing came, -1 on an error.
  virtual int Read(std::span<std::uint8_t> buffer, int timeout_ms) = 0;
  /// Length of an output report, identifier included.
  virtual int OutputReportLength() const = 0;
  /// Text and code of the last error.
  virtual std::string ErrorText() = 0;
  virtual unsigned ErrorCode() = 0;
};

/// Access to the system's HID devices; the hidapi implementation in normal use, fakes in tests.
class HidBackend {
 public:
  virtual ~HidBackend() = default;
  /// The attached HID devices of one vendor.
  virtual std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendor_id) = 0;
  /// Opens a device for reading and writing; null when that is refused.
  virtual std::unique_ptr<HidHandle> Open(const std::string& path) = 0;
};

/// The hidapi (hidraw) implementation.
std::unique_ptr<HidBackend> MakeHidapiBackend();

}  // namespace kdsp
