#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "boxsim/box_session.h"

namespace kdsp::boxsim {

/// The box as an in-process USB HID device: output reports in, input reports out. Safe to use
/// from a writer thread and a reader thread at once.
class HidEndpoint {
 public:
  static constexpr std::uint16_t kVendorId = 0x2F1D;
  static constexpr std::uint16_t kProductId = 0x0C37;
  /// Output report: identifier 0 and 64 bytes.
  static constexpr int kOutputReportLength = BoxSession::kOutputReportLength;
  /// Input report: identifier 0, the frame and zero filler, 64 bytes in all.
  static constexpr int kInputReportLength = BoxSession::kInputReportLength;

  explicit HidEndpoint(BoxSim& box);

  /// Hands one output report to the box. False (and nothing happens) for a report that is not
  /// 65 bytes or does not carry identifier 0.
  bool WriteOutputReport(std::span<const std::uint8_t> report);
  /// The next input report, waiting up to `timeout_ms` for one to fall due.
  std::optional<Bytes> ReadInputReport(int timeout_ms);
  /// Every input report due now, without waiting.
  std::vector<Bytes> TakeInputReports();
  /// Input reports made but not yet taken (delayed ones included).
  std::size_t Waiting() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  BoxSession session_;
};

}  // namespace kdsp::boxsim
