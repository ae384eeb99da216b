#include "link/core/request_match.h"

namespace kdsp {

namespace {

constexpr std::size_t kCmdAt = 3;
constexpr std::size_t kPageAt = 4;
constexpr std::size_t kSlotAt = 5;
constexpr std::size_t kValueAt = 6;

}  // namespace

RequestInFlight::RequestInFlight(std::span<const std::uint8_t> f) {
  if (f.size() <= kSlotAt || f[0] != kFrameHeader) return;
  if (f[kCmdAt] == CmdWrite) {
    wants_ = Wants::Ack;
    return;
  }
  if (f[kCmdAt] != CmdRead) return;
  const ParamAddr addr = MakeAddr(f[kPageAt], f[kSlotAt]);
  wants_ = Wants::Frame;
  if (addr == PageRead && f.size() > kValueAt + 1) {
    // The value of a page read is the page plus 256 times the first slot.
    page_ = f[kValueAt];
    slot_ = f[kValueAt + 1];
  } else {
    page_ = f[kPageAt];
    slot_ = f[kSlotAt];
  }
}

bool RequestInFlight::Matches(const Reply& r) const {
  switch (wants_) {
    case Wants::Ack:
      return r.kind == ReplyKind::Ack;
    case Wants::Frame:
      return (r.kind == ReplyKind::Page || r.kind == ReplyKind::Item || r.kind == ReplyKind::Name ||
              r.kind == ReplyKind::Status) &&
             r.page == page_ && r.slot == slot_;
    case Wants::Nothing:
      break;
  }
  return false;
}

}  // namespace kdsp
