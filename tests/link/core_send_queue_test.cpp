#include "link/core/send_queue.h"

#include <gtest/gtest.h>

namespace kdsp {
namespace {

std::vector<QueuedWrite> Drain(SendQueue& q) {
  std::vector<QueuedWrite> out;
  while (auto w = q.QueuePop()) out.push_back(*w);
  return out;
}

TEST(SendQueue, MergesOnlyIntoTheNewestEntry) {
  SendQueue q;
  EXPECT_TRUE(q.Empty());
  EXPECT_FALSE(q.QueuePop().has_value());
  // A, B, A: three entries, in order.
  q.QueuePush(0x0019, 150);
  q.QueuePush(0x011E, 3);
  q.QueuePush(0x0019, 151);
  EXPECT_EQ(q.Waiting(), 3);
  EXPECT_EQ(Drain(q), (std::vector<QueuedWrite>{{0x0019, 150}, {0x011E, 3}, {0x0019, 151}}));
  EXPECT_TRUE(q.Empty());

  // Ten positions of one slider: one entry with the last position.
  for (int pos = 100; pos < 110; ++pos) q.QueuePush(0x0519, static_cast<std::uint16_t>(pos));
  EXPECT_EQ(q.Waiting(), 1);
  EXPECT_EQ(Drain(q), (std::vector<QueuedWrite>{{0x0519, 109}}));

  // Once popped, an entry no longer takes merges: the same address queues anew.
  q.QueuePush(0x0001, 1);
  ASSERT_TRUE(q.QueuePop().has_value());
  q.QueuePush(0x0001, 2);
  EXPECT_EQ(q.Waiting(), 1);
}

TEST(SendQueue, FullRingReplacesTheNewestAndNeverLooksEmpty) {
  SendQueue q;
  // Move the indexes around the ring first so that the full ring wraps.
  for (int i = 0; i < 777; ++i) {
    q.QueuePush(static_cast<ParamAddr>(i), 1);
    q.QueuePop();
  }
  for (int i = 0; i < 499; ++i) q.QueuePush(static_cast<ParamAddr>(0x100 + i), i);
  EXPECT_EQ(q.Waiting(), 499);
  q.QueuePush(0x0F00, 7);  // a new address on a full ring replaces the newest entry
  EXPECT_EQ(q.Waiting(), 499);
  EXPECT_FALSE(q.Empty());
  const auto all = Drain(q);
  ASSERT_EQ(all.size(), 499u);
  EXPECT_EQ(all.front(), (QueuedWrite{0x100, 0}));
  EXPECT_EQ(all[497], (QueuedWrite{0x100 + 497, 497}));
  EXPECT_EQ(all.back(), (QueuedWrite{0x0F00, 7}));
  q.QueuePush(1, 1);
  q.Clear();
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.QueueRead(), 0);
  EXPECT_EQ(q.QueueWrite(), 0);
}

}  // namespace
}  // namespace kdsp
