#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/param_addr.h"

namespace kdsp {

/// One write waiting to go to the box.
struct QueuedWrite {
  ParamAddr addr = 0;
  std::uint16_t value = 0;
  bool operator==(const QueuedWrite&) const = default;
};

/// The ring of writes waiting for the box (`SendQueue`): 500 places, at most 499 waiting. A
/// write to the address of the newest waiting entry replaces its value, and so does any write
/// when the ring is full.
class SendQueue {
 public:
  static constexpr int kSize = 500;

  bool Empty() const { return read_ == write_; }
  /// Number of entries waiting.
  int Waiting() const { return (write_ - read_ + kSize) % kSize; }
  void QueuePush(ParamAddr addr, std::uint16_t value);
  /// The oldest waiting entry, or nothing when the queue is empty.
  std::optional<QueuedWrite> QueuePop();
  /// The oldest waiting entry, left in the queue; the queue must not be empty.
  const QueuedWrite& Peek() const { return ring_[(read_ + 1) % kSize]; }
  void Clear() { read_ = write_ = 0; }

  int QueueRead() const { return read_; }
  int QueueWrite() const { return write_; }

 private:
  std::array<QueuedWrite, kSize> ring_{};
  int read_ = 0;
  int write_ = 0;
};

}  // namespace kdsp
