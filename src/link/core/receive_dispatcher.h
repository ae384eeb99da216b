#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "link/core/frame.h"
#include "link/core/link_host.h"
#include "link/core/link_state.h"
#include "model/value_table.h"

namespace kdsp {

/// Number of `ModeNames` entries: 0..15 device modes, 25 a spare copy, 26..41 hint modes.
inline constexpr int kModeNameCount = 52;
inline constexpr int kHintNameBase = 26;
/// Longest mode name the console keeps.
inline constexpr int kMaxNameLength = 20;

/// The payload of a name item as text: the first 20 bytes when there are more than 21, else all
/// of them; bytes above 127 or below 30 become '?'.
std::string FilterName(std::span<const std::uint8_t> payload);
/// The identification code: the first four payload bytes as eight upper-case hex digits.
std::string DeviceIdText(std::span<const std::uint8_t> payload);

/// Handles everything the box sends: acknowledgements, parameter pages, control-page items and
/// status reports. Writes `DeviceValues`, the texts the box reports and the link flags; never
/// sends anything.
class ReceiveDispatcher {
 public:
  ReceiveDispatcher(LinkState& state, ValueTable& device_values, LinkHost& host)
      : st_(state), device_values_(device_values), host_(host) {}

  /// One byte string from transport `kind`: a USB report's data, or one unit cut from the
  /// serial or TCP stream. Any byte string is safe.
  void ParseIncoming(LinkKind kind, std::span<const std::uint8_t> bytes);
  /// The box took the last frame and is ready for the next.
  void HandleAck();

  const std::array<std::string, kModeNameCount>& ModeNames() const { return mode_names_; }
  void SetModeName(int index, std::string name);
  const std::string& UserPasswordText() const { return user_password_; }
  void SetUserPasswordText(std::string text) { user_password_ = std::move(text); }
  const std::string& SystemPasswordText() const { return system_password_; }
  const std::string& DeviceIdLabelText() const { return device_id_; }

 private:
  void RejectShort();
  void ControlItem(int page, int slot, std::span<const std::uint8_t> payload);
  void StatusReport(int slot, std::span<const std::uint8_t> payload);
  void StoreName(int entry, std::span<const std::uint8_t> payload);

  LinkState& st_;
  ValueTable& device_values_;
  LinkHost& host_;
  std::array<std::string, kModeNameCount> mode_names_;
  std::string user_password_;
  std::string system_password_;
  std::string device_id_;
};

}  // namespace kdsp
