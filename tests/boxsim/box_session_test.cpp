#include "boxsim/box_session.h"

#include <gtest/gtest.h>

#include "box_test_support.h"
#include "boxsim/hid_endpoint.h"
#include "boxsim/stream_assembler.h"
#include "model/page_layout.h"

namespace kdsp::boxsim {
namespace {

using testing::WordsOf;

Bytes Cat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

TEST(StreamAssembler, CopesWithSplitJoinedAndNoisyInput) {
  const Bytes a = BuildValueFrame(CmdWrite, LinkOpen, 1);
  const Bytes b = BuildItemRead(31, 0);
  StreamAssembler s;
  // Byte by byte: one frame, at its last byte only.
  for (std::size_t i = 0; i + 1 < a.size(); ++i) EXPECT_TRUE(s.Feed({&a[i], 1}).empty()) << i;
  EXPECT_EQ(s.Feed({&a.back(), 1}), std::vector<Bytes>{a});
  // Two frames and the head of a third in one read, the rest later.
  const Bytes three = Cat(Cat(a, b), a);
  EXPECT_EQ(s.Feed(std::span(three).first(a.size() + b.size() + 4)), (std::vector<Bytes>{a, b}));
  EXPECT_EQ(s.Pending(), 4u);
  EXPECT_EQ(s.Feed(std::span(three).subspan(a.size() + b.size() + 4)), std::vector<Bytes>{a});
  // Junk, a header with a foreign box address, a header with an impossible length.
  Bytes noisy = {0x00, 0x13, 0xF5, 0x2D, 0x06, 0xB7, 0xF5, 0x2C, 0x02, 0xB0};
  noisy = Cat(noisy, b);
  EXPECT_EQ(s.Feed(noisy), std::vector<Bytes>{b});
  EXPECT_EQ(s.Discarded(), 10u);
  EXPECT_EQ(s.Pending(), 0u);
}

class SessionTest : public ::testing::Test {
 protected:
  std::int64_t now_ms_ = 5000;
  BoxSim box_{MakeFactoryMemory(), [this] { return now_ms_; }};

  std::vector<Bytes> Drain(BoxSession& s) {
    std::vector<Bytes> out;
    while (auto b = s.PopDue()) out.push_back(*b);
    return out;
  }
};

TEST_F(SessionTest, StreamSendsKeepOrderGapAndFaultGrouping) {
  BoxSession s(box_, LinkTcp, 20);
  const Bytes probe = BuildValueFrame(CmdWrite, LinkControl, HelloCode);
  const Bytes poll = BuildPageRead(kStatusPage, 0, LinkTcp);
  s.Feed(Cat(probe, poll));
  const auto first = Drain(s);
  ASSERT_EQ(first.size(), 1u);  // the second waits for the gap
  EXPECT_EQ(first[0], (Bytes{0xEE, 0xBB}));
  EXPECT_EQ(s.NextWakeMs(), now_ms_ + 20);
  now_ms_ += 20;
  const auto second = Drain(s);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0][4], kStatusPage);

  box_.SetSplitGapMs(100);
  box_.SplitNext();
  now_ms_ += 20;
  s.Feed(poll);
  const auto head = Drain(s);
  ASSERT_EQ(head.size(), 1u);
  now_ms_ += 99;
  EXPECT_TRUE(Drain(s).empty());
  now_ms_ += 1;
  const auto tail = Drain(s);
  ASSERT_EQ(tail.size(), 1u);
  EXPECT_EQ(Cat(head[0], tail[0]), second[0]);

  box_.MergeNext();
  now_ms_ += 20;
  s.Feed(BuildValueFrame(CmdWrite, LinkOpen, 1));
  const auto pair = Drain(s);
  ASSERT_EQ(pair.size(), 1u);
  EXPECT_EQ(pair[0].size(), 2u + 11u);  // acknowledgement and identity together
  now_ms_ += 20;
  EXPECT_EQ(Drain(s).at(0)[5], 7);  // the system password alone

  // A merged answer without a partner still goes, late.
  box_.MergeNext();
  now_ms_ += 20;
  s.Feed(probe);
  EXPECT_TRUE(Drain(s).empty());
  EXPECT_EQ(s.Waiting(), 1u);
  now_ms_ += BoxSim::kMergeHoldMs;
  EXPECT_EQ(Drain(s), std::vector<Bytes>{(Bytes{0xEE, 0xBB})});

  box_.SetAnswerDelay(300);
  s.Feed(probe);
  EXPECT_EQ(s.NextWakeMs(), now_ms_ + 300);
  now_ms_ += 299;
  EXPECT_TRUE(Drain(s).empty());
  now_ms_ += 1;
  EXPECT_EQ(Drain(s).size(), 1u);
}

TEST_F(SessionTest, UsbSessionTakesReportsAndGivesReports) {
  BoxSession s(box_, LinkUsb);
  s.Feed(PackReport(BuildValueFrame(CmdWrite, LinkControl, HelloCode), 65));
  const auto acks = Drain(s);
  ASSERT_EQ(acks.size(), 1u);
  ASSERT_EQ(acks[0].size(), 64u);
  EXPECT_EQ(acks[0][0], 0);
  EXPECT_EQ(acks[0][1], 0xEE);
  EXPECT_EQ(acks[0][2], 0xBB);
  for (std::size_t i = 3; i < 64; ++i) EXPECT_EQ(acks[0][i], 0) << i;

  Bytes foreign_id = PackReport(BuildValueFrame(CmdWrite, LinkControl, HelloCode), 65);
  foreign_id[0] = 1;
  s.Feed(foreign_id);
  Bytes cut = PackReport(BuildPageWrite(ValueTable{}, 1, 0, LinkUsb), 30);  // LEN beyond data
  s.Feed(cut);
  EXPECT_EQ(s.Waiting(), 0u);
  EXPECT_EQ(box_.Counters().frames_received, 1);
}

TEST(HidEndpoint, ChunkedPageReadsAndTimedReports) {
  BoxSim box;
  HidEndpoint hid(box);
  EXPECT_FALSE(hid.WriteOutputReport(PackReport(BuildPageRead(1, 0, LinkUsb), 64)));
  EXPECT_FALSE(hid.ReadInputReport(10));

  std::vector<int> words;
  for (int c = 0; c <= ChunkLast(1); ++c) {
    ASSERT_TRUE(hid.WriteOutputReport(PackReport(BuildPageRead(1, c, LinkUsb), 65)));
    const auto report = hid.ReadInputReport(1000);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->size(), 64u);
    EXPECT_EQ((*report)[0], 0);
    const Bytes frame(report->begin() + 1, report->begin() + 1 + (*report)[3] + 3);
    EXPECT_TRUE(testing::ChecksumOk(frame));
    EXPECT_EQ(frame[4], 1);
    EXPECT_EQ(frame[5], 25 * c);
    const auto part = WordsOf(frame);
    words.insert(words.end(), part.begin(), part.end());
  }
  ASSERT_EQ(words.size(), 116u);
  for (int s = 0; s < 116; ++s) EXPECT_EQ(words[s], box.Param(1, s)) << s;

  // A block write in chunks lands in the box.
  ValueTable console;
  for (int s = 0; s < kSlotCount; ++s) console.Set(25, s, 40 + s);
  ASSERT_TRUE(hid.WriteOutputReport(PackReport(BuildPageWrite(console, 25, 0, LinkUsb), 65)));
  EXPECT_EQ(hid.TakeInputReports().size(), 1u);
  EXPECT_EQ(box.Param(25, 10), 50);

  box.SetAnswerDelay(600);
  hid.WriteOutputReport(PackReport(BuildValueFrame(CmdWrite, LinkControl, HelloCode), 65));
  EXPECT_TRUE(hid.TakeInputReports().empty());
  EXPECT_EQ(hid.Waiting(), 1u);
  const auto late = hid.ReadInputReport(2000);
  ASSERT_TRUE(late);
  EXPECT_EQ((*late)[1], 0xEE);
}

}  // namespace
}  // namespace kdsp::boxsim
