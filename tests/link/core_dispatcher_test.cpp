#include "link/core/receive_dispatcher.h"

#include <gtest/gtest.h>

#include <random>

#include "core_test_fakes.h"

namespace kdsp {
namespace {

using testing::FakeHost;
using testing::StatusFrame;
using testing::TextFrame;
using testing::UsbReport;
using testing::WordsFrame;

struct DispatchRig {
  DispatchRig() : host(device_values), dispatcher(state, device_values, host) {}
  void Parse(LinkKind kind, const Bytes& bytes) { dispatcher.ParseIncoming(kind, bytes); }
  ValueTable device_values;
  LinkState state;
  FakeHost host;
  ReceiveDispatcher dispatcher;
};

TEST(ParseIncoming, AcknowledgementsOnUsbAndTcp) {
  for (LinkKind kind : {LinkUsb, LinkTcp}) {
    for (std::uint8_t code : {0xBB, 0xAA, 0xCC}) {
      DispatchRig rig;
      rig.Parse(kind, kind == LinkUsb ? UsbReport({0xEE, code}) : Bytes{0xEE, code});
      EXPECT_TRUE(rig.state.ReadyToSend);
      EXPECT_TRUE(rig.state.BoxAnswered);
      EXPECT_EQ(rig.state.XferState, kXferAcked);
      EXPECT_FALSE(rig.state.RxError);
      EXPECT_EQ(rig.device_values, ValueTable{});
    }
    DispatchRig rig;
    rig.Parse(kind, {0xEE, 0x11});
    rig.Parse(kind, {0xEE});
    rig.Parse(kind, {0x00, 0xF5, 0x2C});
    EXPECT_FALSE(rig.state.ReadyToSend);
    EXPECT_EQ(rig.state.XferState, kXferIdle);
    EXPECT_TRUE(rig.host.messages.empty());
  }
}

TEST(ParseIncoming, StoresParameterWordsWithinTheRow) {
  DispatchRig rig;
  // F5 2C 06 B7 00 06 07 00 B9 in a USB report: slot 6 of page 0 becomes 7; the pitch display
  // only follows status frames.
  rig.Parse(LinkUsb, UsbReport({0xF5, 0x2C, 0x06, 0xB7, 0x00, 0x06, 0x07, 0x00, 0xB9}));
  EXPECT_EQ(rig.device_values.Get(0, 6), 7);
  EXPECT_EQ(rig.state.XferState, kXferData);
  EXPECT_TRUE(rig.host.music_keys.empty());
  EXPECT_FALSE(rig.state.ReadyToSend);

  // Ten words from slot 160 of page 1: slots 160..164 are stored, the rest is dropped.
  std::vector<int> words;
  for (int i = 0; i < 10; ++i) words.push_back(1000 + i);
  rig.Parse(LinkTcp, WordsFrame(1, 160, words));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(rig.device_values.Get(1, 160 + i), 1000 + i);
  EXPECT_EQ(rig.device_values.Get(2, 0), 0);
  // Values are unsigned words, low byte first.
  rig.Parse(LinkCom, WordsFrame(3, 0, {0xFFFF, 0x012C}));
  EXPECT_EQ(rig.device_values.Get(3, 0), 65535);
  EXPECT_EQ(rig.device_values.Get(3, 1), 300);
}

TEST(ParseIncoming, StatusReportsMirrorTheMusicKey) {
  DispatchRig rig;
  rig.Parse(LinkUsb, UsbReport(StatusFrame(9)));
  EXPECT_EQ(rig.device_values.Get(0, 6), 9);
  EXPECT_EQ(rig.host.music_keys, std::vector<int>{9});
  EXPECT_TRUE(rig.state.ReadyToSend);
  EXPECT_TRUE(rig.state.BoxAnswered);
  EXPECT_EQ(rig.state.XferState, kXferAcked);

  // The same key again changes nothing but still counts as a sign of life.
  rig.state.ReadyToSend = false;
  rig.Parse(LinkTcp, StatusFrame(9));
  EXPECT_EQ(rig.host.music_keys.size(), 1u);
  EXPECT_TRUE(rig.state.ReadyToSend);

  // Slot 1, or a report too short to hold byte 18: life, but no key.
  rig.state.ReadyToSend = false;
  Bytes other_slot = StatusFrame(3);
  other_slot[5] = 1;
  other_slot.back() = FrameChecksum(other_slot, other_slot.size());
  rig.Parse(LinkTcp, other_slot);
  rig.Parse(LinkTcp, WordsFrame(kStatusPage, 0, {1, 2, 3, 4, 5, 6}));  // 12 payload bytes
  EXPECT_TRUE(rig.state.ReadyToSend);
  EXPECT_EQ(rig.device_values.Get(0, 6), 9);
  EXPECT_EQ(rig.host.music_keys.size(), 1u);
}

TEST(ParseIncoming, RejectsShortAndCorruptFrames) {
  for (LinkKind kind : {LinkUsb, LinkCom, LinkTcp}) {
    DispatchRig rig;
    Bytes frame = WordsFrame(0, 0, {5, 6});
    // Cut short: LEN says more than arrived. The message is shown on every transport.
    rig.Parse(kind, Bytes(frame.begin(), frame.end() - 2));
    EXPECT_TRUE(rig.state.RxError);
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text, "数据包丢失数据");
    EXPECT_EQ(rig.host.messages[0].caption, "");

    // Bad checksum: RxError, nothing stored; a message only on USB.
    rig.state.RxError = false;
    frame.back() ^= 0x01;
    rig.Parse(kind, kind == LinkUsb ? UsbReport(frame) : frame);
    EXPECT_TRUE(rig.state.RxError);
    EXPECT_EQ(rig.device_values.Get(0, 0), 0);
    EXPECT_EQ(rig.host.messages.size(), kind == LinkUsb ? 2u : 1u);
    if (kind == LinkUsb) {
      EXPECT_EQ(rig.host.messages[1].text, "数据包丢失数据 校验字不正确！");
    }
  }
  // A padded USB report ends where LEN says: the filler is not part of the checksum.
  DispatchRig rig;
  rig.Parse(LinkUsb, UsbReport(WordsFrame(4, 2, {77})));
  EXPECT_FALSE(rig.state.RxError);
  EXPECT_EQ(rig.device_values.Get(4, 2), 77);
}

TEST(ParseIncoming, ControlPageItems) {
  DispatchRig rig;
  // Device-mode names file under NameIndex - 1, hint-mode names under 25 + NameIndex.
  rig.state.NameIndex = 3;
  rig.Parse(LinkTcp, TextFrame(30, 0, "Party"));
  EXPECT_EQ(rig.dispatcher.ModeNames()[2], "Party");
  rig.Parse(LinkTcp, TextFrame(30, 0, "ABCDEFGHIJKLMNOPQRSTUV"));  // 22 bytes: first 20
  EXPECT_EQ(rig.dispatcher.ModeNames()[2], "ABCDEFGHIJKLMNOPQRST");
  rig.Parse(LinkTcp, TextFrame(30, 0, "ABCDEFGHIJKLMNOPQRSTU"));  // 21 bytes: not stored
  EXPECT_EQ(rig.dispatcher.ModeNames()[2], "ABCDEFGHIJKLMNOPQRST");
  rig.Parse(LinkTcp, TextFrame(30, 0, ""));
  EXPECT_EQ(rig.dispatcher.ModeNames()[2], "");
  rig.Parse(LinkTcp, TextFrame(30, 0, "K\xD2V\x1D"));
  EXPECT_EQ(rig.dispatcher.ModeNames()[2], "K?V?");
  rig.state.NameIndex = 1;
  rig.Parse(LinkTcp, TextFrame(30, 32, "Hall"));
  EXPECT_EQ(rig.dispatcher.ModeNames()[26], "Hall");
  rig.state.NameIndex = 0;  // no request to answer: dropped
  rig.Parse(LinkTcp, TextFrame(30, 0, "Lost"));
  for (const auto& name : rig.dispatcher.ModeNames()) EXPECT_NE(name, "Lost");

  // Passwords are kept as sent; the identification code is shown as hex.
  rig.Parse(LinkCom, TextFrame(30, 5, "4321"));
  rig.Parse(LinkCom, TextFrame(30, 7, "365024"));
  EXPECT_EQ(rig.dispatcher.UserPasswordText(), "4321");
  EXPECT_EQ(rig.dispatcher.SystemPasswordText(), "365024");
  rig.Parse(LinkCom, BuildFrame(CmdRead, DeviceId, Bytes{0x12, 0xAB, 0x00, 0xFF}));
  EXPECT_EQ(rig.host.device_id, "12AB00FF");
  EXPECT_EQ(DeviceIdText(Bytes{0x12, 0xAB, 0x00, 0xFF}), "12AB00FF");

  // Plain items store their first word in row 30; echoes and high slots do nothing; other
  // pages have no row.
  rig.Parse(LinkTcp, WordsFrame(30, 20, {4, 9}));
  EXPECT_EQ(rig.device_values.Get(30, 20), 4);
  EXPECT_EQ(rig.device_values.Get(30, 21), 0);
  const ValueTable before = rig.device_values;
  for (int slot : {11, 12, 15, 16, 48, 49, 100}) rig.Parse(LinkTcp, WordsFrame(30, slot, {7}));
  rig.Parse(LinkTcp, WordsFrame(31, 3, {7}));
  rig.Parse(LinkTcp, WordsFrame(30, 22, {}));  // no word at all
  EXPECT_EQ(rig.device_values, before);
}

TEST(ParseIncoming, AnyByteStringIsSafe) {
  // Frames shorter than their header or with LEN below 4 are short frames.
  const std::vector<Bytes> broken = {{0xF5},
                                     {0xF5, 0x2C},
                                     {0xF5, 0x2C, 0x06},
                                     {0xF5, 0x2C, 0x03, 0xB7, 0x00, 0x00},
                                     {0xF5, 0x2C, 0x00, 0xB7, 0x00, 0x00, 0xAC},
                                     {0xF5, 0x2C, 0x01, 0xB0, 0, 0, 0, 0, 0, 0}};
  for (LinkKind kind : {LinkUsb, LinkCom, LinkTcp}) {
    for (const Bytes& b : broken) {
      DispatchRig rig;
      rig.Parse(kind, b);
      EXPECT_TRUE(rig.state.RxError) << int(kind) << " size " << b.size();
      EXPECT_EQ(rig.device_values, ValueTable{});
    }
  }
  // An identification code or item value without enough payload is not read past its end.
  DispatchRig rig;
  rig.Parse(LinkTcp, BuildFrame(CmdRead, DeviceId, Bytes{0x12, 0xAB}));
  rig.Parse(LinkTcp, BuildFrame(CmdRead, MakeAddr(30, 20), Bytes{0x05}));
  EXPECT_EQ(rig.host.device_id, "");
  EXPECT_EQ(rig.device_values.Get(30, 20), 0);

  // Random strings, many of them frame-like: every stored value stays a 16-bit word and every
  // frame header whose LEN overruns the bytes sets RxError.
  std::mt19937 gen(20240611);
  for (int round = 0; round < 20000; ++round) {
    DispatchRig r;
    const LinkKind kind = static_cast<LinkKind>(round % 3);
    Bytes b(gen() % 80);
    for (auto& x : b) x = static_cast<std::uint8_t>(gen());
    if (!b.empty() && gen() % 2) b[0] = 0xF5;
    if (b.size() > 4 && gen() % 2) b[4] = static_cast<std::uint8_t>(gen() % 50);
    r.Parse(kind, b);
    if (b.size() >= 3 && b[0] == 0xF5 && b.size() < b[2] + 3u) {
      EXPECT_TRUE(r.state.RxError);
    }
    for (int p = 0; p < kPageCount; ++p) {
      for (int s = 0; s < kSlotCount; ++s) {
        const int v = r.device_values.Get(p, s);
        ASSERT_TRUE(v >= 0 && v <= 65535);
      }
    }
  }
}

TEST(FilterName, KeepsPrintableBytesAndCutsLongNames) {
  const Bytes odd = {'A', 29, 30, 127, 128, 0xFF, 'z'};
  EXPECT_EQ(FilterName(odd), std::string("A?\x1E\x7F??z"));
  EXPECT_EQ(FilterName(Bytes(21, 'x')).size(), 21u);
  EXPECT_EQ(FilterName(Bytes(22, 'x')).size(), 20u);
  EXPECT_EQ(FilterName(Bytes(60, 'x')).size(), 20u);
  EXPECT_EQ(FilterName(Bytes{}), "");
}

}  // namespace
}  // namespace kdsp
