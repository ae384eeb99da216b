#include "link/core/send_queue.h"

namespace kdsp {

void SendQueue::QueuePush(ParamAddr addr, std::uint16_t value) {
  const int next = (write_ + 1) % kSize;
  if (Empty() || (ring_[write_].addr != addr && next != read_)) write_ = next;
  ring_[write_] = QueuedWrite{addr, value};
}

std::optional<QueuedWrite> SendQueue::QueuePop() {
  if (Empty()) return std::nullopt;
  read_ = (read_ + 1) % kSize;
  return ring_[read_];
}

}  // namespace kdsp
