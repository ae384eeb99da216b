#include "spectrum/block_splitter.h"

#include <algorithm>
#include <cstring>

namespace kdsp {

BlockSplitter::BlockSplitter(int block_bytes, BlockFn on_block)
    : block_(static_cast<std::size_t>(std::max(1, block_bytes))), on_block_(std::move(on_block)) {}

qint64 BlockSplitter::readData(char*, qint64) { return -1; }  // write only

qint64 BlockSplitter::writeData(const char* data, qint64 len) {
  const int size = static_cast<int>(block_.size());
  qint64 done = 0;
  while (done < len) {
    const int take = static_cast<int>(std::min<qint64>(size - fill_, len - done));
    std::memcpy(block_.data() + fill_, data + done, static_cast<std::size_t>(take));
    fill_ += take;
    done += take;
    if (fill_ == size) {
      fill_ = 0;
      if (on_block_) on_block_(block_);
    }
  }
  return len;
}

}  // namespace kdsp
