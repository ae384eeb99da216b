#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "link/core/frame.h"

namespace kdsp::boxsim {

/// Cuts the byte stream of a TCP connection or a serial line into frames: copes with frames
/// split across reads, several frames in one read and junk between them. A header whose box
/// address, command or length cannot be a console frame is skipped one byte at a time, so the
/// assembler finds the next real frame behind it.
class StreamAssembler {
 public:
  /// Adds bytes and returns every frame they complete, in order.
  std::vector<Bytes> Feed(std::span<const std::uint8_t> bytes);
  /// Bytes held towards an incomplete frame.
  std::size_t Pending() const { return buffer_.size(); }
  /// Bytes thrown away while hunting for a header.
  std::size_t Discarded() const { return discarded_; }
  void Reset() { buffer_.clear(); }

 private:
  Bytes buffer_;
  std::size_t discarded_ = 0;
};

}  // namespace kdsp::boxsim
