// What answers a request in flight, on bytes as they come off the wire.
#include <gtest/gtest.h>

#include "link/core/reply.h"
#include "link/core/request_match.h"

namespace kdsp {
namespace {

struct MatchRow {
  const char* name;
  Bytes request;
  LinkKind kind;
  Bytes reply;
  bool matches;
};

TEST(RequestInFlight, OnlyTheAnswerToTheRequestMatches) {
  // Read page 0 (F5 2C 06 B0 1E 10 00 00 ..), page 1 from slot 25 on USB, item 1E05, a write.
  const Bytes read_page0 = BuildPageRead(0, 0, LinkTcp);
  const Bytes read_page1_chunk1 = BuildPageRead(1, 1, LinkUsb);
  const Bytes read_password = BuildItemRead(35, 0);  // position 35: 0x1E05
  const Bytes write = BuildValueFrame(CmdWrite, MakeAddr(0, 6), 7);
  const Bytes page0_slot6 = {0xF5, 0x2C, 0x06, 0xB7, 0x00, 0x06, 0x07, 0x00, 0xB9};
  const Bytes page0_slot0 = {0xF5, 0x2C, 0x06, 0xB0, 0x00, 0x00, 0x07, 0x00, 0xAC};
  Bytes usb_page1_slot25 = {0xF5, 0x2C, 0x06, 0xB0, 0x01, 0x19, 0x07, 0x00, 0xC6};
  usb_page1_slot25.resize(64, 0);  // a padded input report
  const Bytes password = {0xF5, 0x2C, 0x08, 0xB0, 0x1E, 0x05, '1', '2', '3', '4', 0x92};
  const Bytes status = {0xF5, 0x2C, 0x05, 0xB0, 0x30, 0x00, 0x09, 0xDE};
  const std::vector<MatchRow> rows = {
      {"page 0 answers its read", read_page0, LinkTcp, page0_slot0, true},
      {"page 0 at slot 6 does not", read_page0, LinkTcp, page0_slot6, false},
      {"a spoiled page 0 does not",
       read_page0,
       LinkTcp,
       {0xF5, 0x2C, 0x06, 0xB0, 0x00, 0x00, 0x07, 0x00, 0xAD},
       false},
      {"a short frame does not", read_page0, LinkTcp, {0xF5, 0x2C, 0x06, 0xB0, 0x00}, false},
      {"an acknowledgement does not answer a read", read_page0, LinkTcp, {0xEE, 0xBB}, false},
      {"a status frame does not", read_page0, LinkTcp, status, false},
      {"the USB chunk from slot 25", read_page1_chunk1, LinkUsb, usb_page1_slot25, true},
      {"the password item", read_password, LinkTcp, password, true},
      {"an acknowledgement answers a write", write, LinkTcp, {0xEE, 0xCC}, true},
      {"EE 11 is no acknowledgement", write, LinkTcp, {0xEE, 0x11}, false},
      {"a frame does not answer a write", write, LinkTcp, page0_slot0, false},
  };
  for (const MatchRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RequestInFlight(row.request).Matches(ParseReply(row.kind, row.reply)), row.matches);
  }
}

TEST(ParseReply, KindsOfWhatTheBoxSends) {
  EXPECT_EQ(ParseReply(LinkTcp, Bytes{0xEE, 0xAA}).kind, ReplyKind::Ack);
  EXPECT_EQ(ParseReply(LinkTcp, Bytes{0xF5, 0x2C, 0x05, 0xB0, 0x30, 0x00, 0x09, 0xDE}).kind,
            ReplyKind::Status);
  const Reply name = ParseReply(LinkTcp, Bytes{0xF5, 0x2C, 0x05, 0xB0, 0x1E, 0x20, 'A', 0x24});
  EXPECT_EQ(name.kind, ReplyKind::Name);
  EXPECT_EQ(name.slot, 32);
  EXPECT_EQ(ParseReply(LinkTcp, Bytes{0x12, 0x34}).kind, ReplyKind::Foreign);
  const Reply bad = ParseReply(LinkTcp, Bytes{0xF5, 0x2C, 0x02, 0xB0});
  EXPECT_EQ(bad.kind, ReplyKind::Bad);
  EXPECT_TRUE(bad.short_frame);
}

}  // namespace
}  // namespace kdsp
