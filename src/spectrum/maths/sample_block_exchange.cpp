#include "spectrum/maths/sample_block_exchange.h"

#include <algorithm>

namespace kdsp {

void SampleBlockExchange::Publish(std::span<const std::uint8_t> data) {
  if (data.empty()) return;
  SampleBlock& block = buffers_[back_];
  const std::size_t n = std::min(data.size(), block.bytes.size());
  std::copy_n(data.begin(), n, block.bytes.begin());
  block.length = static_cast<int>(n);
  // Release publishes the copy; acquire takes ownership of the buffer the reader gave back.
  back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & ~kFresh;
}

const SampleBlock& SampleBlockExchange::Latest() {
  if (middle_.load(std::memory_order_relaxed) & kFresh) {
    front_ = middle_.exchange(front_, std::memory_order_acq_rel) & ~kFresh;
  }
  return buffers_[front_];
}

}  // namespace kdsp
