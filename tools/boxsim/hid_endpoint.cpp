#include "boxsim/hid_endpoint.h"

#include <algorithm>
#include <chrono>

namespace kdsp::boxsim {

HidEndpoint::HidEndpoint(BoxSim& box) : session_(box, LinkUsb) {}

bool HidEndpoint::WriteOutputReport(std::span<const std::uint8_t> report) {
  if (report.size() != static_cast<std::size_t>(kOutputReportLength) || report[0] != 0) {
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    session_.Feed(report);
  }
  arrived_.notify_all();
  return true;
}

std::optional<Bytes> HidEndpoint::ReadInputReport(int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeout_ms));
  std::unique_lock lock(mutex_);
  for (;;) {
    if (auto report = session_.PopDue()) return report;
    const auto now = Clock::now();
    if (now >= deadline) return std::nullopt;
    auto until = deadline;
    if (const std::int64_t wake = session_.NextWakeMs(); wake >= 0) {
      // The session keeps the box's time; wait that far ahead in real time (at least 1 ms).
      const auto ahead = std::max<std::int64_t>(1, wake - session_.NowMs());
      until = std::min(until, now + std::chrono::milliseconds(ahead));
    }
    arrived_.wait_until(lock, until);
  }
}

std::vector<Bytes> HidEndpoint::TakeInputReports() {
  std::lock_guard lock(mutex_);
  std::vector<Bytes> reports;
  while (auto report = session_.PopDue()) reports.push_back(std::move(*report));
  return reports;
}

std::size_t HidEndpoint::Waiting() const {
  std::lock_guard lock(mutex_);
  return session_.Waiting();
}

}  // namespace kdsp::boxsim
