// What the link does with incoming bytes on each transport.
#include <gtest/gtest.h>

#include "core_test_fakes.h"

namespace kdsp {
namespace {

using testing::Ack;
using testing::FakeHost;
using testing::LinkRig;
using testing::WordsFrame;

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

// Online over TCP with the search done by the rig.
void OnlineOverTcp(LinkRig& rig) {
  rig.Connect(LinkTcp);
  ASSERT_TRUE(rig.machine.state().LinkOnline);
}

TEST(LinkReceive, TcpIsAStreamFramesSplitOrMergedAreAllTaken) {
  LinkRig rig;
  OnlineOverTcp(rig);
  const Bytes a = WordsFrame(4, 0, {11, 12, 13});
  const Bytes b = WordsFrame(5, 1, {21});
  // Split across two reads.
  rig.machine.OnTcpBytes(Bytes(a.begin(), a.begin() + 4));
  EXPECT_EQ(rig.device_values.Get(4, 0), 0);
  rig.machine.OnTcpBytes(Bytes(a.begin() + 4, a.end()));
  EXPECT_EQ(rig.device_values.Get(4, 2), 13);
  // Two frames and an acknowledgement in one read.
  rig.machine.SendParam(MakeAddr(0, 30), 1);  // the box now owes an acknowledgement
  ASSERT_FALSE(rig.machine.state().ReadyToSend);
  rig.answered = rig.transport.sent.size();  // the test answers by hand
  rig.machine.OnTcpBytes(Concat(Concat(b, Ack()), WordsFrame(5, 2, {22})));
  EXPECT_EQ(rig.device_values.Get(5, 1), 21);
  EXPECT_EQ(rig.device_values.Get(5, 2), 22);
  EXPECT_TRUE(rig.machine.state().ReadyToSend);
  EXPECT_FALSE(rig.machine.state().RxError);
  EXPECT_TRUE(rig.host.messages.empty());
}

TEST(LinkReceive, EachTransportIsHeardOnlyWhereItShouldBe) {
  LinkRig rig;
  OnlineOverTcp(rig);
  // Serial bytes are assembled and taken whatever the current transport is ...
  rig.machine.OnSerialBytes(WordsFrame(6, 0, {61}));
  EXPECT_EQ(rig.device_values.Get(6, 0), 61);
  EXPECT_EQ(rig.machine.state().XferState, kXferData);
  // ... network bytes only while the network is the current transport.
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);  // offline
  rig.transport.hid_present = true;
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);  // a search on USB
  ASSERT_EQ(rig.machine.kind(), LinkUsb);
  rig.machine.OnTcpBytes(WordsFrame(6, 1, {62}));
  EXPECT_EQ(rig.device_values.Get(6, 1), 0);
  // A USB report is one frame padded to the report length.
  rig.machine.OnUsbReport(testing::UsbReport(WordsFrame(6, 2, {63})));
  EXPECT_EQ(rig.device_values.Get(6, 2), 63);
  // A new search drops a half-assembled serial frame.
  const Bytes half = WordsFrame(7, 0, {71});
  rig.machine.OnSerialBytes(Bytes(half.begin(), half.begin() + 5));
  EXPECT_EQ(rig.machine.serial_assembler().RxState(), RxAssembler::kBody);
  rig.machine.LinkBtnClick(LinkButton::UnLinkBtn);
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_EQ(rig.machine.serial_assembler().RxState(), RxAssembler::kHunting);
}

TEST(LinkReceive, AStrayHeaderOnlineCostsNoStatusReport) {
  // A stray header mid-session claims 258 bytes. The status reports behind it are taken once
  // the partial frame has waited one transfer interval (160 ms on the network, 50 ms on the
  // serial port: 8 and 3 hold ticks after the tick that first sees it); the link stays online.
  for (LinkKind kind : {LinkTcp, LinkCom}) {
    LinkRig rig;
    rig.Connect(kind);
    ASSERT_TRUE(rig.machine.state().LinkOnline);
    rig.HoldTicks(60);  // a poll and its answer
    const std::size_t keys = rig.host.music_keys.size();
    rig.Deliver(kind, Concat({0xF5, 0x2C, 0xFF, 0xB7}, testing::StatusFrame(9)));
    rig.Deliver(kind, testing::StatusFrame(10));
    EXPECT_EQ(rig.host.music_keys.size(), keys);
    const int wait_ticks = kind == LinkTcp ? 9 : 4;
    rig.HoldTicks(wait_ticks - 1, false);
    EXPECT_EQ(rig.host.music_keys.size(), keys) << int(kind);
    rig.HoldTicks(1, false);
    EXPECT_EQ(std::vector<int>(rig.host.music_keys.begin() + keys, rig.host.music_keys.end()),
              (std::vector<int>{9, 10}))
        << int(kind);
    // The polls go on and the box keeps answering them: five seconds later it is still online.
    rig.HoldTicks(300);
    EXPECT_TRUE(rig.machine.state().LinkOnline) << int(kind);
    EXPECT_TRUE(rig.host.messages.empty());
  }
}

TEST(LinkReceive, ATransportLostUnderTheLinkLosesItOnlyWhenItIsTheCurrentOne) {
  LinkRig rig;
  rig.Connect(LinkCom);
  rig.machine.OnTransportLost(LinkTcp);
  EXPECT_TRUE(rig.machine.state().LinkOnline);
  rig.machine.OnTransportLost(LinkCom);
  EXPECT_FALSE(rig.machine.state().LinkOnline);
  EXPECT_FALSE(rig.machine.HoldTimerOn());
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
  // During a search the port is simply gone; the search moves on by itself.
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  rig.box_alive = false;
  rig.SearchTicks(1);
  rig.machine.OnTransportLost(LinkCom);
  EXPECT_TRUE(rig.machine.SearchTimerOn());
  EXPECT_EQ(rig.host.messages.size(), 1u);
}

// A window whose message box lets more bytes in while it is open, as a modal box does.
class ReentrantHost : public FakeHost {
 public:
  using FakeHost::FakeHost;
  void ShowMessage(const BilingualText& text, const BilingualText& caption) override {
    FakeHost::ShowMessage(text, caption);
    if (machine != nullptr && !more.empty()) {
      const Bytes bytes = std::exchange(more, {});
      machine->OnSerialBytes(bytes);
      order.push_back(-1);  // marks the end of the box
    }
  }
  void ShowMusicKey(int key) override {
    FakeHost::ShowMusicKey(key);
    order.push_back(key);
  }
  LinkMachine* machine = nullptr;
  Bytes more;
  std::vector<int> order;
};

TEST(LinkReceive, BytesArrivingWhileAMessageIsOpenWaitTheirTurn) {
  ValueTable dv;
  testing::FakeTransport transport;
  ReentrantHost host(dv);
  LinkMachine machine(dv, transport, host);
  host.machine = &machine;
  // A short frame opens a message box; a status frame arriving while it is open is handled
  // after the box has closed, not in the middle of the frame before it.
  Bytes short_frame = {0xF5, 0x2C, 0x08, 0xB0, 0x00, 0x00, 0x01};
  Bytes bad = WordsFrame(0, 0, {1, 2});
  bad.back() ^= 1;  // silent on the serial port, but the next frame must not be eaten
  host.more = testing::StatusFrame(7);
  // On the serial port a frame is cut by its LEN, so a short one is only seen on USB.
  machine.OnUsbReport(Bytes(short_frame.begin(), short_frame.end()));
  EXPECT_EQ(host.order, (std::vector<int>{-1, 7}));
  EXPECT_EQ(host.messages.size(), 1u);
  machine.OnSerialBytes(Concat(bad, testing::StatusFrame(8)));
  EXPECT_EQ(host.order, (std::vector<int>{-1, 7, 8}));
  EXPECT_EQ(dv.Get(0, 0), 0);
}

}  // namespace
}  // namespace kdsp
