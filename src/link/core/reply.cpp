#include "link/core/reply.h"

namespace kdsp {

namespace {

constexpr std::size_t kLenAt = 2;
constexpr std::size_t kPageAt = 4;
constexpr std::size_t kSlotAt = 5;
constexpr std::size_t kPayloadAt = 6;
constexpr std::size_t kLenOverhead = 3;
constexpr int kMinFrameLen = 4;
constexpr int kSlotModeName = 0;
constexpr int kSlotHintModeName = 32;

}  // namespace

Reply ParseReply(LinkKind kind, std::span<const std::uint8_t> b, bool is_ack) {
  Reply r;
  if (is_ack || (b.size() >= 2 && b[0] == kAckLead)) {
    if (is_ack || IsAck(b.first(2))) r.kind = ReplyKind::Ack;
    return r;
  }
  if (b.empty() || b[0] != kFrameHeader) return r;
  const std::size_t n = b.size();
  if (n <= kLenAt || b[kLenAt] < kMinFrameLen || n < b[kLenAt] + kLenOverhead) {
    r.kind = ReplyKind::Bad;
    r.short_frame = true;
    return r;
  }
  const std::size_t len = b[kLenAt];
  const std::size_t m = kind == LinkUsb ? len + kLenOverhead : n;
  r.page = b[kPageAt];
  r.slot = b[kSlotAt];
  r.payload = b.subspan(kPayloadAt, len - kMinFrameLen);
  r.checksum_ok = FrameChecksum(b, m) == b[m - 1];
  if (!r.checksum_ok) {
    r.kind = ReplyKind::Bad;
  } else if (r.page < kControlPage) {
    r.kind = ReplyKind::Page;
  } else if (r.page == kStatusPage) {
    r.kind = ReplyKind::Status;
  } else if (r.page == kControlPage && (r.slot == kSlotModeName || r.slot == kSlotHintModeName)) {
    r.kind = ReplyKind::Name;
  } else {
    r.kind = ReplyKind::Item;
  }
  return r;
}

}  // namespace kdsp
