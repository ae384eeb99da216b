#include "link/core/send_queue.h"

#include <gtest/gtest.h>

namespace kdsp {
namespace {

std::vector<QueuedWrite> Drain(SendQueue& q) {
  std::vector<QueuedWrite> out;
  while (auto w = q.QueuePop()) out.push_back(*w);
  return out;
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
  // Once popped, an entry takes no more merges: the same address queues anew.
  q.QueuePush(0x0F00, 8);
  ASSERT_TRUE(q.QueuePop().has_value());
  q.QueuePush(0x0F00, 9);
  EXPECT_EQ(q.Waiting(), 1);
  EXPECT_EQ(q.QueuePop(), (QueuedWrite{0x0F00, 9}));
  q.QueuePush(1, 1);
  q.Clear();
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.QueueRead(), 0);
  EXPECT_EQ(q.QueueWrite(), 0);
}

}  // namespace
}  // namespace kdsp
