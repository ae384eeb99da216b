#include "link/core/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "model/page_layout.h"
#include "model/value_table.h"

namespace kdsp {
namespace {

using B = Bytes;

TEST(FrameBuilders, ValueFramesMatchTheWireExamples) {
  // Probe: LinkControl = HelloCode.
  EXPECT_EQ(BuildValueFrame(CmdWrite, LinkControl, HelloCode),
            (B{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x30, 0x11, 0x00, 0x0B}));
  // Farewell: LinkControl = ByeCode.
  EXPECT_EQ(BuildValueFrame(CmdWrite, LinkControl, ByeCode),
            (B{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x30, 0xAA, 0x00, 0xA4}));
  // LinkOpen = 1.
  EXPECT_EQ(BuildValueFrame(CmdWrite, LinkOpen, 1),
            (B{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x03, 0x01, 0x00, 0xCE}));
  // 300 to (1, 5): address high byte first, value low byte first.
  EXPECT_EQ(BuildValueFrame(CmdWrite, MakeAddr(1, 5), 300),
            (B{0xF5, 0x2C, 0x06, 0xB7, 0x01, 0x05, 0x2C, 0x01, 0xDF}));
  // Music band 3 gain 150 at (0, 25).
  EXPECT_EQ(BuildValueFrame(CmdWrite, MakeAddr(0, 25), 150),
            (B{0xF5, 0x2C, 0x06, 0xB7, 0x00, 0x19, 0x96, 0x00, 0x5B}));
  // RecallMode 3.
  EXPECT_EQ(BuildValueFrame(CmdWrite, RecallMode, 3),
            (B{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x02, 0x03, 0x00, 0xCF}));
}

TEST(FrameBuilders, PageReadsCarryPageAndFirstSlot) {
  // Status poll: PageRead of page 48, the same on every transport.
  const B poll{0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x10, 0x30, 0x00, 0x03};
  EXPECT_EQ(BuildPageRead(kStatusPage, 0, LinkTcp), poll);
  EXPECT_EQ(BuildPageRead(kStatusPage, 0, LinkUsb), poll);
  // USB chunk 1 of page 2: first slot 25 in the high byte.
  EXPECT_EQ(BuildPageRead(2, 1, LinkUsb),
            (B{0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x10, 0x02, 0x19, 0xEE}));
  // Off USB the chunk is ignored and the whole page is asked for from slot 0.
  EXPECT_EQ(BuildPageRead(2, 1, LinkCom),
            (B{0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x10, 0x02, 0x00, 0xD5}));
  EXPECT_EQ(BuildPageRead(2, 1, LinkTcp), BuildPageRead(2, 0, LinkCom));
}

TEST(FrameBuilders, ItemReadsWalkTheControlPageTable) {
  // Item read without payload: 7 bytes.
  EXPECT_EQ(BuildItemRead(31, 0), (B{0xF5, 0x2C, 0x04, 0xB0, 0x1E, 0x01, 0xC4}));
  // Mode name 3.
  EXPECT_EQ(BuildItemRead(30, 3), (B{0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x00, 0x03, 0x00, 0xC6}));
  // Hint-mode name 15 at 0x1E20.
  EXPECT_EQ(BuildItemRead(37, 15), (B{0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x20, 0x0F, 0x00, 0xF2}));

  const int kSlot[13] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x15,
                         0x20, 0x21, 0x22, 0x14, 0x17, 0x18};
  for (int p = 30; p <= 42; ++p) {
    const B f = BuildItemRead(p, 7);
    const bool named = p == 30 || p == 37;
    ASSERT_EQ(f.size(), named ? 9u : 7u) << p;
    EXPECT_EQ(f[2], named ? 6 : 4) << p;
    EXPECT_EQ(f[3], CmdRead) << p;
    EXPECT_EQ(f[4], 0x1E) << p;
    EXPECT_EQ(f[5], kSlot[p - 30]) << p;
    if (named) {
      EXPECT_EQ(f[6], 7) << p;
      EXPECT_EQ(f[7], 0) << p;
    }
    EXPECT_EQ(f.back(), FrameChecksum(f, f.size())) << p;
  }
  EXPECT_TRUE(BuildItemRead(29, 0).empty());
  EXPECT_TRUE(BuildItemRead(43, 0).empty());
  EXPECT_TRUE(BuildItemRead(-1, 0).empty());
}

TEST(FrameBuilders, ModeSavesDifferInPadding) {
  // SaveMode: index, then the name in 20 bytes padded with spaces.
  B save{0xF5, 0x2C, 0x1A, 0xB7, 0x1E, 0x01, 0x02, 0x00, 'A', 'B', 'C'};
  save.insert(save.end(), 17, 0x20);
  save.push_back(0xB3);
  EXPECT_EQ(BuildSaveMode(2, "ABC"), save);
  // SaveHintMode: index, then the name as typed.
  EXPECT_EQ(BuildSaveHintMode(2, "ABC"),
            (B{0xF5, 0x2C, 0x09, 0xB7, 0x1E, 0x21, 0x02, 0x00, 'A', 'B', 'C', 0xB3}));
  // Names are cut at 20 bytes in both.
  const std::string long_name(25, 'x');
  const B cut = BuildSaveMode(15, long_name);
  EXPECT_EQ(cut.size(), 29u);
  EXPECT_EQ(cut[6], 15);
  EXPECT_EQ(cut[27], 'x');
  EXPECT_EQ(BuildSaveHintMode(1, long_name).size(), 29u);
  EXPECT_EQ(BuildSaveHintMode(1, "").size(), 9u);
  // A text write carries the text as typed.
  EXPECT_EQ(BuildTextWrite(UserPassword, "1234"),
            (B{0xF5, 0x2C, 0x08, 0xB7, 0x1E, 0x05, '1', '2', '3', '4', 0x99}));
}

TEST(FrameBuilders, GeneralLayoutAndPayloadLimit) {
  EXPECT_EQ(BuildFrame(CmdRead, 0x1E04, {}), (B{0xF5, 0x2C, 0x04, 0xB0, 0x1E, 0x04, 0xC7}));
  const B big(300, 0x01);
  const B f = BuildFrame(CmdWrite, MakeAddr(3, 4), big);
  ASSERT_EQ(f.size(), 258u);  // 251 payload bytes kept
  EXPECT_EQ(f[2], 255);
  EXPECT_EQ(f.back(), static_cast<std::uint8_t>(0xF5 + 0xB7 + 3 + 4 + 251));
}

TEST(FrameChecks, ChecksumAndAcknowledgement) {
  const B f{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x03, 0x01, 0x00, 0xCE};
  EXPECT_EQ(FrameChecksum(f, f.size()), 0xCE);
  // Length and box address are not summed.
  B other = f;
  other[1] = 0x2D;
  other[2] = 0x09;
  EXPECT_EQ(FrameChecksum(other, other.size()), 0xCE);
  // A shorter frame length sums fewer bytes; a length past the data is cut to it.
  EXPECT_EQ(FrameChecksum(f, 7), static_cast<std::uint8_t>(0xF5 + 0xB7 + 0x1E + 0x03));
  EXPECT_EQ(FrameChecksum(f, 100), 0xCE);
  EXPECT_EQ(FrameChecksum(f, 2), 0xF5);
  EXPECT_EQ(FrameChecksum(f, 1), 0);
  EXPECT_EQ(FrameChecksum({}, 0), 0);

  EXPECT_TRUE(IsAck(B{0xEE, 0xBB}));
  EXPECT_TRUE(IsAck(B{0xEE, 0xAA}));
  EXPECT_TRUE(IsAck(B{0xEE, 0xCC, 0x00}));
  EXPECT_FALSE(IsAck(B{0xEE, 0xBC}));
  EXPECT_FALSE(IsAck(B{0xEE}));
  EXPECT_FALSE(IsAck(B{0xF5, 0xBB}));
  EXPECT_FALSE(IsAck(B{}));
}

TEST(UsbChunks, CountsPerPage) {
  // Page 0 (66 slots): 25 + 25 + 17.
  EXPECT_EQ(ChunkLast(0), 2);
  EXPECT_EQ(UsbChunkCount(0, 0), 25);
  EXPECT_EQ(UsbChunkCount(0, 1), 25);
  EXPECT_EQ(UsbChunkCount(0, 2), 17);
  // Page 1 (116 slots): 25, 25, 25, 25, 17.
  EXPECT_EQ(ChunkLast(1), 4);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(UsbChunkCount(1, c), 25) << c;
  EXPECT_EQ(UsbChunkCount(1, 4), 17);
  // Page 25 (11 slots): one chunk of 12.
  EXPECT_EQ(ChunkLast(25), 0);
  EXPECT_EQ(UsbChunkCount(25, 0), 12);
  // Pages without slots still count one chunk.
  EXPECT_EQ(ChunkLast(27), 0);
  EXPECT_EQ(UsbChunkCount(27, 0), 1);
  // Page 30 (35 slots) has two; positions above 30 have none past chunk 0.
  EXPECT_EQ(ChunkLast(30), 1);
  EXPECT_EQ(ChunkLast(31), 0);
  EXPECT_EQ(ChunkLast(48), 0);
  // Page 4 (61 slots) ends on a chunk of 12; a chunk past the end carries nothing.
  EXPECT_EQ(ChunkLast(4), 2);
  EXPECT_EQ(UsbChunkCount(4, 2), 12);
  EXPECT_EQ(UsbChunkCount(4, 5), 0);
}

TEST(UsbChunks, PageWritesCarryTheDeviceValues) {
  ValueTable dv;
  for (int s = 0; s < kSlotCount; ++s) dv.Set(0, s, 1000 + s);
  // Off USB: the whole page from slot 0, whatever the chunk.
  const B whole = BuildPageWrite(dv, 0, 2, LinkTcp);
  ASSERT_EQ(whole.size(), 7u + 2 + 2 * 66);
  EXPECT_EQ(whole[2], 4 + 2 + 132);
  EXPECT_EQ((B{whole[3], whole[4], whole[5], whole[6], whole[7]}),
            (B{0xB7, 0x1E, 0x0F, 0x00, 0x00}));
  EXPECT_EQ(whole[8], 1000 & 0xFF);
  EXPECT_EQ(whole[9], 1000 >> 8);
  EXPECT_EQ(whole[8 + 2 * 65] | (whole[9 + 2 * 65] << 8), 1065);
  EXPECT_EQ(whole.back(), FrameChecksum(whole, whole.size()));
  EXPECT_EQ(BuildPageWrite(dv, 0, 0, LinkCom), whole);

  // USB chunk 2 of page 0: slots 50..66, 17 values (one past the page's last slot).
  const B chunk = BuildPageWrite(dv, 0, 2, LinkUsb);
  ASSERT_EQ(chunk.size(), 7u + 2 + 2 * 17);
  EXPECT_EQ(chunk[6], 0);
  EXPECT_EQ(chunk[7], 50);
  EXPECT_EQ(chunk[8] | (chunk[9] << 8), 1050);
  EXPECT_EQ(chunk[8 + 2 * 16] | (chunk[9 + 2 * 16] << 8), 1066);
  // A full 25-value chunk is 59 bytes, the largest frame on USB.
  EXPECT_EQ(BuildPageWrite(dv, 1, 0, LinkUsb).size(), 59u);
  // Page 1 off USB still fits one frame.
  EXPECT_EQ(BuildPageWrite(dv, 1, 0, LinkTcp).size(), 7u + 2 + 232);
  // Words are 16-bit: the high half of a wider cell is not sent.
  dv.Set(25, 0, 0x12345);
  const B limits = BuildPageWrite(dv, 25, 0, LinkUsb);
  EXPECT_EQ(limits[8], 0x45);
  EXPECT_EQ(limits[9], 0x23);
  // No block write for the control page or beyond.
  EXPECT_TRUE(BuildPageWrite(dv, 30, 0, LinkTcp).empty());
  EXPECT_TRUE(BuildPageWrite(dv, 48, 0, LinkUsb).empty());
}

TEST(UsbReports, FramesArePaddedToTheReportLength) {
  const B f = BuildValueFrame(CmdWrite, LinkOpen, 1);
  const B report = PackReport(f, 65);
  ASSERT_EQ(report.size(), 65u);
  EXPECT_EQ(report[0], 0x00);
  EXPECT_TRUE(std::equal(f.begin(), f.end(), report.begin() + 1));
  for (std::size_t i = 10; i < report.size(); ++i) EXPECT_EQ(report[i], 0) << i;
  // A frame longer than the report is cut to it.
  const B too_long(80, 0xF5);
  const B cut = PackReport(too_long, 65);
  ASSERT_EQ(cut.size(), 65u);
  EXPECT_EQ(cut[64], 0xF5);
}

}  // namespace
}  // namespace kdsp
