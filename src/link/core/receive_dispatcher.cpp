#include "link/core/receive_dispatcher.h"

#include <cstdio>

namespace kdsp {

namespace {

// Offsets inside a frame.
constexpr std::size_t kLenAt = 2;
constexpr std::size_t kPageAt = 4;
constexpr std::size_t kSlotAt = 5;
constexpr std::size_t kPayloadAt = 6;
// Header, address, length before the counted bytes; LEN counts command .. checksum.
constexpr std::size_t kLenOverhead = 3;
constexpr int kMinFrameLen = 4;
// The music key sits in payload byte 12 of a status report (frame offset 18).
constexpr std::size_t kStatusKeyByte = 12;
constexpr ParamAddr kMusicKeyAddr = MakeAddr(0, 6);

// Control-page slots with a meaning of their own.
constexpr int kSlotModeName = 0;
constexpr int kSlotUserPassword = 5;
constexpr int kSlotSystemPassword = 7;
constexpr int kSlotHintModeName = 32;
constexpr int kSlotEchoLimit = 48;  // slots from here up carry no values
constexpr int kSlotDeviceId = 64;

std::string AsText(std::span<const std::uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::string FilterName(std::span<const std::uint8_t> payload) {
  const std::size_t take = payload.size() > 21 ? 20 : payload.size();
  std::string name;
  name.reserve(take);
  for (std::size_t i = 0; i < take; ++i) {
    const std::uint8_t b = payload[i];
    name.push_back(b > 127 || b < 30 ? '?' : static_cast<char>(b));
  }
  return name;
}

std::string DeviceIdText(std::span<const std::uint8_t> payload) {
  std::string text;
  char hex[3];
  for (std::size_t i = 0; i < 4 && i < payload.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02X", payload[i]);
    text += hex;
  }
  return text;
}

void ReceiveDispatcher::SetModeName(int index, std::string name) {
  if (index >= 0 && index < kModeNameCount) mode_names_[index] = std::move(name);
}

void ReceiveDispatcher::HandleAck() {
  st_.BoxAnswered = true;
  st_.ReadyToSend = true;
  st_.XferState = kXferAcked;
}

void ReceiveDispatcher::RejectShort() {
  st_.RxError = true;
  host_.ShowMessage(kMsgShortFrame, kNoCaption);
}

void ReceiveDispatcher::ParseIncoming(LinkKind kind, std::span<const std::uint8_t> b) {
  const std::size_t n = b.size();
  if (n == 0) return;
  if (kind == LinkUsb || kind == LinkTcp) {
    if (b[0] == kAckLead) {
      if (IsAck(b)) HandleAck();
      return;
    }
    if (b[0] != kFrameHeader) return;
    st_.XferState = kXferData;
  } else if (b[0] != kFrameHeader) {
    return;  // the serial assembler hands acknowledgements over itself
  }

  // Too short to hold its own header and checksum, or shorter than its length byte says.
  if (n <= kLenAt || b[kLenAt] < kMinFrameLen || n < b[kLenAt] + kLenOverhead) {
    RejectShort();
    return;
  }
  const std::size_t len = b[kLenAt];
  // A USB report is padded: the frame ends where LEN says. A stream unit is the frame.
  const std::size_t m = kind == LinkUsb ? len + kLenOverhead : n;
  if (FrameChecksum(b, m) != b[m - 1]) {
    st_.RxError = true;
    if (kind == LinkUsb) host_.ShowMessage(kMsgBadChecksum, kNoCaption);
    return;
  }

  const int page = b[kPageAt];
  const int slot = b[kSlotAt];
  const auto payload = b.subspan(kPayloadAt, len - kMinFrameLen);
  if (page < kControlPage) {
    const std::size_t words = payload.size() / 2;
    for (std::size_t i = 0; i < words; ++i) {
      // Words beyond slot 164 of the row are dropped by the table.
      device_values_.Set(page, slot + static_cast<int>(i),
                         payload[2 * i] + 256 * payload[2 * i + 1]);
    }
  } else if (page == kStatusPage) {
    StatusReport(slot, payload);
  } else {
    ControlItem(page, slot, payload);
  }
}

void ReceiveDispatcher::StatusReport(int slot, std::span<const std::uint8_t> payload) {
  st_.BoxAnswered = true;
  st_.ReadyToSend = true;
  st_.XferState = kXferAcked;
  if (slot != 0 || payload.size() <= kStatusKeyByte) return;
  const int key = payload[kStatusKeyByte];
  if (key == device_values_.Get(kMusicKeyAddr)) return;
  device_values_.Set(kMusicKeyAddr, key);
  host_.ShowMusicKey(key);
}

void ReceiveDispatcher::StoreName(int entry, std::span<const std::uint8_t> payload) {
  std::string name = FilterName(payload);
  if (static_cast<int>(name.size()) > kMaxNameLength) return;
  // Outside the table there is no request the name could answer (a device-mode name while
  // the counter is 0); it is dropped.
  SetModeName(entry, std::move(name));
}

void ReceiveDispatcher::ControlItem(int page, int slot, std::span<const std::uint8_t> payload) {
  switch (slot) {
    case kSlotModeName:
      StoreName(st_.NameIndex - 1, payload);
      return;
    case kSlotHintModeName:
      StoreName(25 + st_.NameIndex, payload);
      return;
    case kSlotUserPassword:
      user_password_ = AsText(payload);
      return;
    case kSlotSystemPassword:
      system_password_ = AsText(payload);
      return;
    case kSlotDeviceId:
      if (payload.size() < 4) return;  // not a whole code
      device_id_ = DeviceIdText(payload);
      host_.ShowDeviceId(device_id_);
      return;
    case 11:
    case 12:
    case SlotOf(PageWrite):
    case SlotOf(PageRead):
      return;  // no effect; echoes of the block commands
    default:
      break;
  }
  if (slot >= kSlotEchoLimit) return;  // the `LinkControl` echo and everything above
  if (page != kControlPage || payload.size() < 2) return;
  device_values_.Set(page, slot, payload[0] + 256 * payload[1]);
}

}  // namespace kdsp
