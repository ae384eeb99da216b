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

}  // namespace
}  // namespace kdsp
