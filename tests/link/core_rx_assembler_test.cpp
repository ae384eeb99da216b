#include "link/core/rx_assembler.h"

#include <gtest/gtest.h>

#include "core_test_fakes.h"

namespace kdsp {
namespace {

using testing::Ack;
using testing::WordsFrame;

// Write 1 to 0x1E03 (LinkOpen): F5 2C 06 B7 1E 03 01 00 CE.
const Bytes kLinkOpen = {0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x03, 0x01, 0x00, 0xCE};

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<RxUnit> FeedAll(RxAssembler& rx, const Bytes& bytes) { return rx.Feed(bytes); }

Bytes Slice(const Bytes& b, std::size_t from, std::size_t count) {
  return Bytes(b.begin() + from, b.begin() + std::min(b.size(), from + count));
}

TEST(RxAssembler, CutsFramesAndAcknowledgementsFromAnyPieces) {
  RxAssembler rx;
  // A leading stray byte is skipped; the frame comes out whole.
  auto units = FeedAll(rx, Concat({{0x00}, kLinkOpen}));
  ASSERT_EQ(units.size(), 1u);
  EXPECT_FALSE(units[0].is_ack);
  EXPECT_EQ(units[0].bytes, kLinkOpen);
  EXPECT_EQ(rx.RxState(), RxAssembler::kHunting);

  // Two frames and an acknowledgement in one piece, and the same stream cut at every place.
  const Bytes page = WordsFrame(0, 10, {360, 1, 2});
  const Bytes stream = Concat({page, Ack(0xAA), kLinkOpen});
  const std::vector<RxUnit> expected = {{false, page}, {true, Ack(0xAA)}, {false, kLinkOpen}};
  EXPECT_EQ(FeedAll(rx, stream), expected);
  for (std::size_t cut = 1; cut < stream.size(); ++cut) {
    RxAssembler pieces;
    auto got = pieces.Feed(std::span(stream).first(cut));
    auto rest = pieces.Feed(std::span(stream).subspan(cut));
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(got, expected) << "cut at " << cut;
  }
  // Byte by byte.
  std::vector<RxUnit> single;
  for (std::uint8_t b : stream) {
    auto got = rx.Feed(std::span(&b, 1));
    single.insert(single.end(), got.begin(), got.end());
  }
  EXPECT_EQ(single, expected);
}

TEST(RxAssembler, TracksItsStateWhileAFrameIsIncomplete) {
  RxAssembler rx;
  EXPECT_TRUE(rx.Feed(std::span(kLinkOpen).first(2)).empty());
  EXPECT_EQ(rx.RxState(), RxAssembler::kHeader);
  EXPECT_EQ(rx.RxNeed(), 3);
  EXPECT_EQ(rx.RxGot(), 1);
  EXPECT_TRUE(rx.Feed(std::span(kLinkOpen).subspan(2, 3)).empty());
  EXPECT_EQ(rx.RxState(), RxAssembler::kBody);
  EXPECT_EQ(rx.RxNeed(), 5);  // LEN - 1
  EXPECT_EQ(rx.RxGot(), 1);
  EXPECT_EQ(rx.RxBuf().size(), 5u);
  rx.Reset();
  EXPECT_EQ(rx.RxState(), RxAssembler::kHunting);
  EXPECT_TRUE(rx.RxBuf().empty());
  // After the reset the rest of the old frame is junk; the next frame is found.
  auto units = rx.Feed(Concat({Slice(kLinkOpen, 5, 99), kLinkOpen}));
  ASSERT_EQ(units.size(), 1u);
  EXPECT_EQ(units[0].bytes, kLinkOpen);
}

TEST(RxAssembler, DropsForeignHeadersAndHuntsOnBehindThem) {
  RxAssembler rx;
  // Box address 0x2D: dropped after the fourth byte; the following frame still comes out.
  Bytes foreign = kLinkOpen;
  foreign[1] = 0x2D;
  auto units = rx.Feed(Concat({Slice(foreign, 0, 4), kLinkOpen}));
  ASSERT_EQ(units.size(), 1u);
  EXPECT_EQ(units[0].bytes, kLinkOpen);

  // An unknown command is dropped the same way.
  Bytes unknown = kLinkOpen;
  unknown[3] = 0xB5;
  EXPECT_TRUE(rx.Feed(std::span(unknown).first(4)).empty());
  EXPECT_EQ(rx.Feed(kLinkOpen).size(), 1u);

  // A length below 4 cannot hold a frame: it must neither stall the stream nor eat the next
  // frame (LEN 0 would otherwise wait for 65535 bytes).
  for (std::uint8_t len : {0, 1, 3}) {
    EXPECT_EQ(rx.Feed(Concat({{0xF5, 0x2C, len, 0xB7}, kLinkOpen})).size(), 1u) << int(len);
  }

  // EE with a second byte that is no acknowledgement code is ignored together with that byte.
  EXPECT_TRUE(rx.Feed(Bytes{0xEE, 0x11, 0xEE, 0xEE, 0xBB}).empty());
  auto acks = rx.Feed(Bytes{0xEE, 0x00, 0xEE, 0xCC, 0xEE, 0xBB});
  EXPECT_EQ(acks, (std::vector<RxUnit>{{true, Ack(0xCC)}, {true, Ack(0xBB)}}));
}

// A header claiming the longest frame (LEN 255), as line noise or a confused box may send it.
const Bytes kStrayHeader = {0xF5, 0x2C, 0xFF, 0xB7};

std::vector<Bytes> GoodFrames(const std::vector<RxUnit>& units) {
  std::vector<Bytes> out;
  for (const RxUnit& u : units) {
    if (!u.is_ack && FrameChecksum(u.bytes, u.bytes.size()) == u.bytes.back()) {
      out.push_back(u.bytes);
    }
  }
  return out;
}

TEST(RxAssembler, AStrayHeaderCostsOnlyItself) {
  // Enough good traffic behind the stray header to fill the 258 bytes it claims: the bogus
  // frame fails its checksum and goes out as one bad unit, and every good frame behind it
  // still comes out, in order, whether the stream comes at once or byte by byte.
  std::vector<Bytes> good;
  Bytes stream = kStrayHeader;
  for (int i = 0; i < 20; ++i) {
    good.push_back(testing::StatusFrame(i));
    stream.insert(stream.end(), good.back().begin(), good.back().end());
  }
  for (const bool bytewise : {false, true}) {
    RxAssembler rx;
    std::vector<RxUnit> units;
    if (bytewise) {
      for (std::uint8_t b : stream) {
        auto got = rx.Feed(std::span(&b, 1));
        units.insert(units.end(), got.begin(), got.end());
      }
    } else {
      units = rx.Feed(stream);
    }
    EXPECT_EQ(GoodFrames(units), good) << bytewise;
    EXPECT_EQ(units.size(), good.size() + 1) << "one bad unit: the stray header's";
    EXPECT_EQ(rx.RxState(), RxAssembler::kHunting);
  }

  // A frame whose checksum is spoilt is handed on (to be rejected) and costs nothing more:
  // an acknowledgement and a frame right behind it come out too.
  RxAssembler rx;
  Bytes spoilt = WordsFrame(3, 0, {1, 2, 3});
  spoilt.back() ^= 0x01;
  const auto units = rx.Feed(Concat({spoilt, Ack(0xCC), kLinkOpen}));
  EXPECT_EQ(units, (std::vector<RxUnit>{{false, spoilt}, {true, Ack(0xCC)}, {false, kLinkOpen}}));

  // A stray lead byte right before a frame header does not take the frame with it.
  EXPECT_EQ(rx.Feed(Concat({{0xF5}, kLinkOpen})), (std::vector<RxUnit>{{false, kLinkOpen}}));
  EXPECT_EQ(rx.Feed(Concat({{0xEE}, kLinkOpen})), (std::vector<RxUnit>{{false, kLinkOpen}}));
}

TEST(RxAssembler, APartialUnitLeftWaitingForATickIsDroppedAndTheRestSearched) {
  // Ticks of 20 ms against a limit of 50 ms: the tick that first sees the partial unit gives
  // it a whole interval from there, so it goes at the fourth tick.
  RxAssembler rx;
  const Bytes key = testing::StatusFrame(5);
  EXPECT_TRUE(rx.Feed(Concat({kStrayHeader, key, Ack()})).empty());
  for (int tick = 1; tick <= 3; ++tick) EXPECT_TRUE(rx.Age(20, 50).empty()) << tick;
  EXPECT_EQ(rx.Age(20, 50), (std::vector<RxUnit>{{false, key}, {true, Ack()}}));
  EXPECT_EQ(rx.RxState(), RxAssembler::kHunting);

  // A frame split over pieces with ticks between them, completed within the limit, is whole.
  const Bytes page = WordsFrame(1, 0, std::vector<int>(100, 7));
  EXPECT_TRUE(rx.Feed(Slice(page, 0, 50)).empty());
  EXPECT_TRUE(rx.Age(20, 50).empty());
  EXPECT_TRUE(rx.Age(20, 50).empty());
  EXPECT_EQ(rx.Feed(Slice(page, 50, 999)), (std::vector<RxUnit>{{false, page}}));
  // Each new unit gets its own time: a frame started after the last one has a fresh interval.
  EXPECT_TRUE(rx.Feed(Slice(kLinkOpen, 0, 3)).empty());
  EXPECT_TRUE(rx.Age(20, 50).empty());
  EXPECT_TRUE(rx.Age(20, 50).empty());
  EXPECT_EQ(rx.Feed(Slice(kLinkOpen, 3, 99)), (std::vector<RxUnit>{{false, kLinkOpen}}));

  // A partial unit that never completes leaves nothing behind once dropped.
  EXPECT_TRUE(rx.Feed(Slice(page, 0, 10)).empty());
  std::vector<RxUnit> got;
  for (int tick = 0; tick < 10; ++tick) {
    auto more = rx.Age(1000, 50);
    got.insert(got.end(), more.begin(), more.end());
  }
  EXPECT_TRUE(got.empty());
  EXPECT_TRUE(rx.RxBuf().empty());
}

}  // namespace
}  // namespace kdsp
