#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include <QIODevice>

namespace kdsp {

/// The write end the audio source pushes its stream into. The stream arrives in pieces of any
/// size; this cuts it into blocks of a fixed size and hands each full block on, in order. A
/// partial block waits for the rest of its bytes.
class BlockSplitter : public QIODevice {
 public:
  using BlockFn = std::function<void(std::span<const std::uint8_t> block)>;

  BlockSplitter(int block_bytes, BlockFn on_block);

  /// Forgets a partial block (before the stream starts again).
  void Reset() { fill_ = 0; }
  /// Bytes waiting for their block to fill.
  int Pending() const { return fill_; }

  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 max_len) override;
  qint64 writeData(const char* data, qint64 len) override;

 private:
  std::vector<std::uint8_t> block_;
  int fill_ = 0;
  BlockFn on_block_;
};

}  // namespace kdsp
