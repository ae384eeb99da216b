// The online exchange: paced writes, polling, loss detection, recalls, saves and the USB list.
#include <gtest/gtest.h>

#include "core_test_fakes.h"

namespace kdsp {
namespace {

using testing::LinkRig;

constexpr ParamAddr kBandGain = MakeAddr(0, 25);
constexpr ParamAddr kMicGain = MakeAddr(1, 30);

// Online over TCP with the box answering and the first exchanges done.
void Online(LinkRig& rig, LinkKind kind = LinkTcp) {
  rig.Connect(kind);
  ASSERT_TRUE(rig.machine.state().LinkOnline);
  ASSERT_TRUE(rig.machine.state().ReadyToSend);  // the LinkOpen write was acknowledged
  rig.Mark();
}

TEST(SendParam, SendsAtOnceWhenReadyAndQueuesInOrderOtherwise) {
  LinkRig rig;
  Online(rig);
  // The box is ready and nothing waits: out within the call, before any tick.
  rig.machine.SendParam(kBandGain, 150);
  ASSERT_EQ(rig.SentSinceMark(), std::vector<std::string>{"set 0019=150"});
  EXPECT_EQ(rig.transport.sent.back().bytes,
            (Bytes{0xF5, 0x2C, 0x06, 0xB7, 0x00, 0x19, 0x96, 0x00, 0x5B}));
  EXPECT_FALSE(rig.machine.state().ReadyToSend);

  // A, B, A while the box has not answered: three entries, sent one per acknowledgement.
  rig.Mark();
  rig.machine.SendParam(kBandGain, 151);
  rig.machine.SendParam(kMicGain, 7);
  rig.machine.SendParam(kBandGain, 152);
  EXPECT_EQ(rig.machine.queue().Waiting(), 3);
  rig.HoldTicks(5, false);
  EXPECT_TRUE(rig.SentSinceMark().empty());
  rig.Pump();  // the box acknowledges the first write
  for (int i = 0; i < 3; ++i) {
    rig.HoldTicks(1, false);
    EXPECT_EQ(rig.SentSinceMark().size(), static_cast<std::size_t>(i + 1));
    rig.HoldTicks(3, false);  // no acknowledgement yet: nothing more
    EXPECT_EQ(rig.SentSinceMark().size(), static_cast<std::size_t>(i + 1));
    rig.Pump();
  }
  EXPECT_EQ(rig.SentSinceMark(),
            (std::vector<std::string>{"set 0019=151", "set 011E=7", "set 0019=152"}));
  EXPECT_EQ(rig.box.memory.Get(kBandGain), 152);

  // Ten positions of one slider while the box is busy: one write, with the last position.
  rig.machine.SendParam(kBandGain, 1);  // sent at once
  rig.Mark();
  for (int pos = 100; pos < 110; ++pos) rig.machine.SendParam(kMicGain, pos);
  rig.Pump();
  rig.HoldTicks(2);
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"set 011E=109"});

  // Suppressed (a page refresh) or offline: nothing leaves.
  rig.HoldTicks(1);
  rig.Mark();
  rig.host.SetSendSuppressed(true);
  rig.machine.SendParam(kBandGain, 3);
  rig.host.SetSendSuppressed(false);
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  rig.Mark();
  rig.machine.SendParam(kBandGain, 4);
  EXPECT_TRUE(rig.SentSinceMark().empty());
  EXPECT_TRUE(rig.machine.queue().Empty());
}

TEST(SendParam, ExpeditedQueueGoesOutOnEachAcknowledgementMergingRunsOfSlots) {
  LinkRig rig;
  Online(rig);
  rig.machine.SendParam(kBandGain, 1);  // out at once; the box has not answered yet
  for (int i = 0; i < 60; ++i) rig.machine.SendParam(MakeAddr(0, 13 + i), 200 + i);
  ASSERT_EQ(rig.machine.queue().Waiting(), 60);
  rig.machine.ExpediteQueue();
  rig.Mark();
  rig.Pump();  // the acknowledgement sends the run of slots 13..72 as one block write
  ASSERT_EQ(rig.transport.sent.size() - rig.mark, 1u);
  const Bytes& block = rig.transport.sent.back().bytes;
  ASSERT_EQ(block.size(), 7u + 2u + 120u);
  EXPECT_EQ((Bytes{block[0], block[1], block[2], block[3], block[4], block[5], block[6], block[7],
                   block[8], block[9]}),
            (Bytes{0xF5, 0x2C, 4 + 2 + 120, 0xB7, 0x1E, 0x0F, 0x00, 13, 200, 0}));
  EXPECT_TRUE(rig.machine.queue().Empty());
  EXPECT_FALSE(rig.machine.Expediting());
  for (int i = 0; i < 60; ++i) EXPECT_EQ(rig.box.memory.Get(MakeAddr(0, 13 + i)), 200 + i);

  // Runs end at a gap and at a page; each frame waits for the box's answer to the last one.
  rig.machine.SendParam(MakeAddr(0, 90), 9);  // out at once
  for (auto [addr, value] : {std::pair{MakeAddr(0, 40), 1}, {MakeAddr(0, 41), 2},
                             {MakeAddr(0, 43), 3}, {MakeAddr(1, 0), 4}, {MakeAddr(1, 1), 5}}) {
    rig.machine.SendParam(addr, value);
  }
  rig.machine.ExpediteQueue();
  rig.Mark();
  rig.Pump();
  ASSERT_EQ(rig.transport.sent.size() - rig.mark, 3u);
  EXPECT_EQ(rig.SentSinceMark()[1], "set 002B=3");
  EXPECT_EQ(rig.box.memory.Get(0, 41), 2);
  EXPECT_EQ(rig.box.memory.Get(1, 1), 5);

  // Once the queue ran empty the hold tick paces the writes again, one value a frame.
  rig.machine.SendParam(kBandGain, 2);
  rig.machine.SendParam(kMicGain, 3);
  rig.machine.SendParam(MakeAddr(1, 31), 4);
  rig.Mark();
  rig.Pump();
  EXPECT_TRUE(rig.SentSinceMark().empty());
  rig.HoldTicks(1);
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"set 011E=3"});
}

TEST(SendParam, AndHoldKeepsTheNextWriteUntilTheBoxAnswers) {
  LinkRig rig;
  Online(rig);
  rig.box_alive = false;
  rig.machine.SendParamAndHold(MakeAddr(26, 1), 1);  // reset of equaliser block 1
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"set 1A01=1"});
  EXPECT_EQ(rig.host.view_values.Get(26, 1), 1);
  rig.machine.SendParam(kBandGain, 9);
  rig.HoldTicks(10);
  EXPECT_EQ(rig.SentSinceMark().size(), 1u);
  EXPECT_EQ(rig.machine.queue().Waiting(), 1);
}

TEST(HoldTick, PollsOnceASecondAndLosesASilentBoxAfterFiveSeconds) {
  LinkRig rig;
  Online(rig);
  rig.HoldTicks(49);
  EXPECT_TRUE(rig.SentSinceMark().empty());
  rig.HoldTicks(1);
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"poll"});
  EXPECT_EQ(rig.transport.sent.back().bytes,
            (Bytes{0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x10, 0x30, 0x00, 0x03}));
  rig.box.music_key = 4;  // turned at the box: the status report brings it
  rig.HoldTicks(50);
  EXPECT_EQ(rig.SentSinceMark(), (std::vector<std::string>{"poll", "poll"}));
  EXPECT_EQ(rig.host.music_keys, std::vector<int>{4});
  EXPECT_EQ(rig.device_values.Get(0, 6), 4);

  // Silence: the unanswered poll is repeated after 2 and 4 seconds, lost after 5.
  rig.box_alive = false;
  rig.Mark();
  std::vector<int> polls;
  int ticks = 0;
  while (rig.machine.HoldTimerOn() && ticks < 1000) {
    const std::size_t before = rig.transport.sent.size();
    rig.HoldTicks(1);
    ++ticks;
    if (rig.transport.sent.size() > before) polls.push_back(ticks);
  }
  EXPECT_EQ(polls, (std::vector<int>{50, 150, 250}));
  EXPECT_EQ(ticks, 300);
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
  EXPECT_EQ(rig.host.messages[0].caption, "提示");
  EXPECT_EQ(rig.host.LastText(), "Off Line");
  EXPECT_EQ(rig.host.colour(), kColourOffline);
  EXPECT_EQ(rig.host.linked, false);
  EXPECT_FALSE(rig.machine.state().LinkOnline);
}

TEST(Recall, SentAtOnceReloadsTheConsole) {
  LinkRig rig;
  Online(rig);
  rig.box.memory.Set(0, 40, 321);  // the recalled mode's values
  rig.machine.LoadDeviceMode(3);
  EXPECT_EQ(rig.transport.sent.back().bytes,
            (Bytes{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x02, 0x03, 0x00, 0xCF}));
  EXPECT_EQ(rig.host.LastText(), "Loading...");
  EXPECT_FALSE(rig.machine.state().LinkOnline);
  rig.Pump();  // acknowledged: the next tick starts the full read
  EXPECT_FALSE(rig.machine.TransferTimerOn());
  rig.HoldTicks(1);
  EXPECT_TRUE(rig.machine.TransferTimerOn());
  EXPECT_FALSE(rig.machine.HoldTimerOn());
  EXPECT_EQ(rig.SentSinceMark(), (std::vector<std::string>{"set 1E02=3", "read 0"}));
  rig.TransferUntilDone();
  EXPECT_TRUE(rig.machine.state().LinkOnline);
  EXPECT_EQ(rig.device_values.Get(0, 40), 321);
  EXPECT_EQ(rig.host.refreshes, 2);
  // Not the first arrival: no second LinkOpen write.
  auto sent = rig.SentSinceMark();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "set 1E03=1"), 0);
}

TEST(Recall, ThroughTheQueueReloadsTooAfterTheWritesBeforeIt) {
  for (bool hint : {false, true}) {
    LinkRig rig;
    Online(rig);
    rig.host.WriteParam(kBandGain, 100);  // sent; the box is busy until it answers
    rig.host.WriteParam(kMicGain, 5);
    if (hint) {
      rig.machine.LoadHintMode(2);
    } else {
      rig.machine.LoadDeviceMode(6);
    }
    rig.host.WriteParam(kBandGain, 101);  // queued behind the recall
    EXPECT_EQ(rig.machine.queue().Waiting(), 3);
    EXPECT_TRUE(rig.machine.state().LinkOnline);
    rig.box.memory.Set(22, 2, 2222);
    rig.Pump();
    rig.HoldTicks(4);
    // The recall left through the queue: the console waits for the box and reloads.
    EXPECT_EQ(rig.host.LastText(), "Loading...");
    EXPECT_TRUE(rig.machine.TransferTimerOn());
    rig.TransferUntilDone();
    auto sent = rig.SentSinceMark();
    const std::string recall = hint ? "set 1E22=2" : "set 1E02=6";
    const std::string reload = hint ? "read 22" : "read 0";
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(sent.begin(), sent.begin() + 5),
        (std::vector<std::string>{"set 0019=100", "set 011E=5", recall, "set 0019=101", reload}))
        << hint;
    EXPECT_TRUE(rig.machine.state().LinkOnline);
    EXPECT_EQ(rig.device_values.Get(22, 2), 2222);
    EXPECT_EQ(rig.box.memory.Get(kBandGain), 101);
    EXPECT_EQ(rig.device_values.Get(kBandGain), 101);
    EXPECT_EQ(rig.host.refreshes, 2);
  }
}

TEST(Recall, AnUnansweredRecallIsLostAfterFiftyOneSeconds) {
  LinkRig rig;
  Online(rig);
  rig.box_alive = false;
  rig.machine.LoadDeviceMode(1);
  rig.HoldTicks(51 * 50 - 1);
  EXPECT_TRUE(rig.machine.HoldTimerOn());
  EXPECT_TRUE(rig.host.messages.empty());
  EXPECT_EQ(rig.SentSinceMark().size(), 1u);  // no polls while the recall waits
  rig.HoldTicks(1);
  EXPECT_FALSE(rig.machine.HoldTimerOn());
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
}

TEST(ModeSave, StoresTheNameRefillsTheListAndConfirms) {
  LinkRig rig;
  Online(rig);
  for (int i = 0; i < 16; ++i) rig.machine.dispatcher().SetModeName(i, "M" + std::to_string(i));
  rig.machine.StoreDeviceMode(2, "ABC");
  EXPECT_EQ(rig.machine.dispatcher().ModeNames()[2], "ABC");
  Bytes payload = {0x02, 0x00, 'A', 'B', 'C'};
  payload.resize(22, ' ');
  EXPECT_EQ(rig.transport.sent.back().bytes, BuildFrame(CmdWrite, SaveMode, payload));
  EXPECT_EQ(rig.host.LastText(), "Saving...");
  EXPECT_FALSE(rig.machine.state().LinkOnline);
  // Only the box's acknowledgement of the save confirms it: a tick before it shows nothing.
  rig.HoldTicks(1, false);
  EXPECT_TRUE(rig.host.messages.empty());
  EXPECT_EQ(rig.host.LastText(), "Saving...");
  rig.Pump();
  rig.HoldTicks(1, false);
  EXPECT_EQ(rig.host.device_list[2], "3-ABC");
  EXPECT_EQ(rig.host.device_list[0], "1-M0");
  EXPECT_EQ(rig.host.device_list[15], "16-M15");
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "保存成功!");
  EXPECT_EQ(rig.host.messages[0].caption, "提示");
  EXPECT_TRUE(rig.machine.state().LinkOnline);
  EXPECT_EQ(rig.host.LastText(), "Online");

  // Hint modes fill the hint lists from their own names, with the short frame.
  rig.machine.dispatcher().SetModeName(26, "H1");
  rig.machine.StoreHintMode(4, "Hall");
  EXPECT_EQ(rig.transport.sent.back().bytes,
            BuildFrame(CmdWrite, SaveHintMode, Bytes{0x04, 0x00, 'H', 'a', 'l', 'l'}));
  EXPECT_EQ(rig.machine.dispatcher().ModeNames()[30], "Hall");
  rig.Pump();
  rig.HoldTicks(1, false);
  EXPECT_EQ(rig.host.hint_list[0], "1-H1");
  EXPECT_EQ(rig.host.hint_list[4], "5-Hall");
  EXPECT_EQ(rig.host.device_list[2], "3-ABC");
  EXPECT_EQ(rig.host.messages.size(), 2u);
}

TEST(ModeSave, WaitsForTheBoxAndIsConfirmedOrFailedByIt) {
  // A save asked for while a write is unanswered goes out after its acknowledgement.
  LinkRig rig;
  Online(rig);
  rig.machine.SendParam(kBandGain, 150);
  rig.machine.StoreDeviceMode(2, "ABC");
  rig.HoldTicks(3, false);
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"set 0019=150"});
  rig.Pump();
  rig.HoldTicks(1, false);
  EXPECT_EQ(rig.SentSinceMark(), (std::vector<std::string>{"set 0019=150", "set 1E01=2"}));
  EXPECT_TRUE(rig.host.messages.empty());
  rig.Pump();
  rig.HoldTicks(1, false);
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "保存成功!");

  // A box that never acknowledges it: the save failed when the time limit passes.
  rig.box_alive = false;
  rig.machine.StoreHintMode(1, "Duet");
  rig.HoldTicks(51 * 50 - 1);
  EXPECT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.LastText(), "Saving...");
  rig.HoldTicks(1);
  ASSERT_EQ(rig.host.messages.size(), 2u);
  EXPECT_EQ(rig.host.messages[1].text, "保存失败!");
  EXPECT_EQ(rig.host.LastText(), "Off Line");
  EXPECT_FALSE(rig.machine.HoldTimerOn());
}

TEST(DirectWrites, PasswordNameAndFarewellGoOutAtOnce) {
  LinkRig rig;
  rig.machine.SendBluetoothName("KTV");  // even offline; lost when nothing is open
  EXPECT_EQ(rig.transport.sent.back().bytes,
            (Bytes{0xF5, 0x2C, 0x07, 0xB7, 0x1E, 0x16, 'K', 'T', 'V',
                   static_cast<std::uint8_t>(0xF5 + 0xB7 + 0x1E + 0x16 + 'K' + 'T' + 'V')}));
  Online(rig);
  rig.box_alive = false;
  rig.machine.SendParam(kBandGain, 1);
  rig.machine.SendUserPassword("2468");  // not paced, not queued
  EXPECT_EQ(rig.SentSinceMark().size(), 2u);
  EXPECT_EQ(rig.transport.sent.back().bytes,
            BuildFrame(CmdWrite, UserPassword, Bytes{'2', '4', '6', '8'}));
  rig.Mark();
  rig.machine.FarewellOnClose();
  EXPECT_EQ(rig.transport.sent.back().bytes,
            (Bytes{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x30, 0xAA, 0x00, 0xA4}));
  EXPECT_FALSE(rig.machine.state().LinkOnline);
  rig.machine.FarewellOnClose();
  EXPECT_EQ(rig.SentSinceMark().size(), 1u);
}

TEST(UsbListRebuild, KeepsAnOnlineUsbLinkAndActsOnceOnAMissingBox) {
  // At start-up without a box: the first rebuild turns to the serial ports and searches.
  LinkRig start;
  start.machine.OnUsbListRebuilt(false);
  EXPECT_TRUE(start.machine.SearchTimerOn());
  EXPECT_EQ(start.machine.kind(), LinkTcp);  // no serial port listed either

  LinkRig rig;
  Online(rig, LinkUsb);
  // Another HID device came or went: the box is still there, the link stays online.
  rig.machine.OnUsbListRebuilt(true);
  EXPECT_TRUE(rig.machine.state().LinkOnline);
  EXPECT_TRUE(rig.machine.HoldTimerOn());
  EXPECT_TRUE(rig.SentSinceMark().empty());
  rig.machine.SendParam(kBandGain, 77);
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"set 0019=77"});

  // The box is unplugged: lost at once, with every timer stopped; a second miss does nothing.
  rig.machine.OnUsbListRebuilt(false);
  EXPECT_FALSE(rig.machine.state().LinkOnline);
  EXPECT_FALSE(rig.machine.HoldTimerOn());
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
  rig.machine.OnUsbListRebuilt(false);
  EXPECT_EQ(rig.host.messages.size(), 1u);
  EXPECT_FALSE(rig.machine.SearchTimerOn());

  // The box plugged back in starts a search on USB.
  rig.machine.OnUsbListRebuilt(true);
  EXPECT_TRUE(rig.machine.SearchTimerOn());
  EXPECT_EQ(rig.machine.kind(), LinkUsb);

  // Online over the network, a box appearing on USB toggles the link as the button does.
  LinkRig tcp;
  Online(tcp, LinkTcp);
  tcp.transport.hid_present = true;
  tcp.machine.OnUsbListRebuilt(true);
  EXPECT_FALSE(tcp.machine.state().LinkOnline);
  EXPECT_EQ(tcp.machine.kind(), LinkUsb);
  EXPECT_EQ(tcp.SentSinceMark(), std::vector<std::string>{"farewell"});
}

}  // namespace
}  // namespace kdsp
