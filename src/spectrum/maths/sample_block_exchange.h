#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "spectrum/maths/spectrum_transform.h"

namespace kdsp {

/// One captured block: up to 1024 unsigned 8-bit samples and how many of them arrived.
struct SampleBlock {
  std::array<std::uint8_t, kSamplesPerTransform> bytes{};
  int length = 0;  ///< 0 until the first block arrives
};

/// Hands `SampleBlock` from the audio thread (one writer) to the window thread (one reader)
/// without locks: a triple buffer. The writer fills a buffer the reader cannot be holding and
/// then swaps it in as the newest; the reader swaps the newest out before reading. Neither side
/// ever waits, and the reader always sees one whole block, the previous one or the new one.
class SampleBlockExchange {
 public:
  /// Audio thread: copies the delivered bytes (at most 1024; an empty delivery is ignored).
  void Publish(std::span<const std::uint8_t> data);

  /// Window thread: the newest complete block. The reference stays valid and unchanged until
  /// the next call of `Latest` from the same thread.
  const SampleBlock& Latest();

 private:
  static constexpr unsigned kFresh = 4;  // set in middle_ when the writer has swapped in a block
  std::array<SampleBlock, 3> buffers_{};
  std::atomic<unsigned> middle_{1};  // index of the buffer between writer and reader, | kFresh
  unsigned back_ = 2;                // writer's buffer
  unsigned front_ = 0;               // reader's buffer
};

}  // namespace kdsp
