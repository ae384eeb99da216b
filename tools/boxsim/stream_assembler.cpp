#include "boxsim/stream_assembler.h"

#include <algorithm>

namespace kdsp::boxsim {

std::vector<Bytes> StreamAssembler::Feed(std::span<const std::uint8_t> bytes) {
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  std::vector<Bytes> frames;
  std::size_t pos = 0;
  while (pos < buffer_.size()) {
    if (buffer_[pos] != kFrameHeader) {
      ++pos;
      ++discarded_;
      continue;
    }
    const std::size_t held = buffer_.size() - pos;
    if (held < 4) break;  // header not complete yet
    const std::uint8_t len = buffer_[pos + 2];
    const std::uint8_t cmd = buffer_[pos + 3];
    if (buffer_[pos + 1] != BoxAddress || (cmd != CmdWrite && cmd != CmdRead) || len < 4) {
      ++pos;  // not a frame start: hunt on from the next byte
      ++discarded_;
      continue;
    }
    const std::size_t size = len + 3u;
    if (held < size) break;
    const auto start = buffer_.begin() + static_cast<std::ptrdiff_t>(pos);
    frames.emplace_back(start, start + static_cast<std::ptrdiff_t>(size));
    pos += size;
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos));
  return frames;
}

}  // namespace kdsp::boxsim
