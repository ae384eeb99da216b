#include "spectrum/maths/sample_block_exchange.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "spectrum/maths/spectrum_cycle.h"

namespace kdsp {
namespace {

std::vector<std::uint8_t> Filled(std::size_t n, std::uint8_t value) {
  return std::vector<std::uint8_t>(n, value);
}

TEST(SampleBlockExchange, ReaderSeesNewestWholeBlock) {
  SampleBlockExchange ex;
  EXPECT_EQ(ex.Latest().length, 0);  // nothing captured yet

  ex.Publish(Filled(1024, 7));
  const SampleBlock& first = ex.Latest();
  EXPECT_EQ(first.length, 1024);
  EXPECT_EQ(first.bytes[0], 7);
  EXPECT_EQ(first.bytes[1023], 7);

  // Later deliveries never touch the block the reader holds.
  ex.Publish(Filled(1024, 8));
  ex.Publish(Filled(1024, 9));
  ex.Publish(Filled(300, 10));
  EXPECT_EQ(first.bytes[0], 7);
  EXPECT_EQ(first.bytes[1023], 7);

  const SampleBlock& newest = ex.Latest();
  EXPECT_EQ(newest.length, 300);
  EXPECT_EQ(newest.bytes[299], 10);
  // Without a new delivery the reader keeps the same block.
  EXPECT_EQ(&ex.Latest(), &newest);
  EXPECT_EQ(ex.Latest().length, 300);

  ex.Publish({});  // empty deliveries are ignored
  EXPECT_EQ(ex.Latest().length, 300);
  ex.Publish(Filled(5000, 11));  // never more than one block
  EXPECT_EQ(ex.Latest().length, 1024);
  EXPECT_EQ(ex.Latest().bytes[1023], 11);
}

TEST(SampleBlockExchange, ConcurrentWriterNeverTearsABlock) {
  // Block n carries n % 251 in bytes 0..1020 and n itself in bytes 1021..1023, so a block
  // mixed from two deliveries shows up as a mismatch.
  SampleBlockExchange ex;
  constexpr int kBlocks = 100000;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    std::vector<std::uint8_t> block(1024);
    for (int n = 1; n <= kBlocks; ++n) {
      std::fill(block.begin(), block.end() - 3, static_cast<std::uint8_t>(n % 251));
      block[1021] = static_cast<std::uint8_t>(n >> 16);
      block[1022] = static_cast<std::uint8_t>(n >> 8);
      block[1023] = static_cast<std::uint8_t>(n);
      ex.Publish(block);
    }
    done = true;
  });
  int last = 0;
  int reads = 0;
  int torn = 0;
  int out_of_order = 0;
  while (!done || reads == 0) {
    const SampleBlock& b = ex.Latest();
    ++reads;
    if (b.length == 0) continue;
    const int n = b.bytes[1021] << 16 | b.bytes[1022] << 8 | b.bytes[1023];
    bool whole = b.length == 1024 && b.bytes[0] == n % 251;
    for (int i = 1; whole && i < 1021; ++i) whole = b.bytes[i] == b.bytes[0];
    if (!whole) ++torn;
    if (n < last) ++out_of_order;  // blocks appear in delivery order
    last = n;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(out_of_order, 0);
  // After the writer stops, the reader ends on the last block delivered.
  const SampleBlock& final_block = ex.Latest();
  EXPECT_EQ(final_block.bytes[0], kBlocks % 251);
  EXPECT_EQ(final_block.bytes[1023], kBlocks & 0xFF);
}

TEST(SpectrumCycle, TransformsOnFifthTickAndDrawsOnEleventh) {
  SpectrumCycle cycle;
  std::vector<int> transforms, draws;
  for (int tick = 0; tick < 33; ++tick) {
    const auto action = cycle.Tick(true, false);
    if (action == SpectrumAction::kTransform) transforms.push_back(tick);
    if (action == SpectrumAction::kDraw) draws.push_back(tick);
  }
  EXPECT_EQ(transforms, (std::vector<int>{4, 15, 26}));
  EXPECT_EQ(draws, (std::vector<int>{10, 21, 32}));
  EXPECT_EQ(cycle.Position(), 0);

  // Off or dragging: the cycle holds its place.
  for (int i = 0; i < 4; ++i) cycle.Tick(true, false);
  EXPECT_EQ(cycle.Position(), 4);
  EXPECT_EQ(cycle.Tick(false, false), SpectrumAction::kNone);
  EXPECT_EQ(cycle.Tick(true, true), SpectrumAction::kNone);
  EXPECT_EQ(cycle.Position(), 4);
  EXPECT_EQ(cycle.Tick(true, false), SpectrumAction::kTransform);
}

}  // namespace
}  // namespace kdsp
