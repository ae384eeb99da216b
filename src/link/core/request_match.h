#pragma once

#include <span>

#include "link/core/frame.h"
#include "link/core/reply.h"

namespace kdsp {

/// The request of a transfer that waits for its answer, and what answers it: a write is
/// answered by an acknowledgement, a page read by the frame at that page and first slot, an
/// item read (a mode name included) by the frame at that control-page slot.
class RequestInFlight {
 public:
  RequestInFlight() = default;
  /// Decodes a request as it went out; an empty or unknown one waits for nothing.
  explicit RequestInFlight(std::span<const std::uint8_t> request);

  bool WantsAck() const { return wants_ == Wants::Ack; }
  bool WantsFrame() const { return wants_ == Wants::Frame; }
  int page() const { return page_; }
  int slot() const { return slot_; }
  /// True when `reply` answers this request. A bad frame answers nothing.
  bool Matches(const Reply& reply) const;

 private:
  enum class Wants { Nothing, Ack, Frame };
  Wants wants_ = Wants::Nothing;
  int page_ = -1;
  int slot_ = -1;
};

}  // namespace kdsp
