// Page transfers: the full read, downloads, hint transfers, bad frames and time-outs.
#include <gtest/gtest.h>

#include "core_test_fakes.h"
#include "model/page_layout.h"

namespace kdsp {
namespace {

using testing::ExpectMirrors;
using testing::FillBox;
using testing::LinkRig;

// Everything a full read asks for off USB, in order.
std::vector<std::string> FullReadOffUsb() {
  std::vector<std::string> seq;
  for (int p = 0; p <= 25; ++p) seq.push_back("read " + std::to_string(p));
  for (int i = 0; i < 16; ++i) seq.push_back("name " + std::to_string(i));
  for (const char* item : {"1E01", "1E02", "1E03", "1E04", "1E05", "1E15"}) {
    seq.push_back(std::string("item ") + item);
  }
  seq.push_back("hint 0");  // index 0 twice: the first answer lands in the spare entry 25
  for (int i = 0; i < 16; ++i) seq.push_back("hint " + std::to_string(i));
  for (const char* item : {"1E21", "1E22", "1E14", "1E17", "1E18"}) {
    seq.push_back(std::string("item ") + item);
  }
  return seq;
}

// Ticks to the link read (search, handshake) with the box on `kind`; leaves the rig marked just
// before the read's first request.
void StartRead(LinkRig& rig, LinkKind kind, bool answer_first = true) {
  rig.box_kind = kind;
  rig.transport.hid_present = kind == LinkUsb;
  if (kind == LinkCom) rig.transport.ports = {"/dev/ttyUSB0"};
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  while (!rig.machine.state().LinkOpenSent) rig.SearchTicks(1);
  rig.Mark();
  rig.SearchTicks(1, answer_first);
  ASSERT_TRUE(rig.machine.TransferTimerOn());
}

TEST(FullRead, AsksForEveryPositionInOrderAndGoesOnline) {
  for (LinkKind kind : {LinkCom, LinkTcp}) {
    LinkRig rig;
    FillBox(rig);
    StartRead(rig, kind);
    rig.TransferUntilDone();
    auto sent = rig.SentSinceMark();
    ASSERT_EQ(sent.size(), FullReadOffUsb().size() + 1);
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.end() - 1), FullReadOffUsb());
    // The first arrival online tells the box the link is open.
    EXPECT_EQ(sent.back(), "set 1E03=1");

    ExpectMirrors(rig, 0, 25);
    EXPECT_EQ(rig.device_values.Get(26, 0), 0);  // pages 26..29 are never read
    for (int slot : {1, 2, 4, 20, 21, 23, 24, 33, 34}) {
      EXPECT_EQ(rig.device_values.Get(30, slot), 30 + slot) << slot;
    }
    EXPECT_EQ(rig.device_values.Get(30, 3), 1);  // overwritten by the 1E03 write afterwards
    const auto& names = rig.machine.dispatcher().ModeNames();
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(names[i], "Mode" + std::to_string(i + 1));
      EXPECT_EQ(names[26 + i], "Hint" + std::to_string(i + 1));
    }
    EXPECT_EQ(names[25], "Hint1");
    EXPECT_EQ(rig.machine.dispatcher().UserPasswordText(), "1234");

    EXPECT_TRUE(rig.machine.state().LinkOnline);
    EXPECT_EQ(rig.host.LastText(), "Online");
    EXPECT_EQ(rig.host.colour(), kColourOnline);
    EXPECT_EQ(rig.host.linked, true);
    EXPECT_FALSE(rig.host.popup_visible);
    EXPECT_EQ(rig.host.refreshes, 1);
    EXPECT_EQ(rig.host.main_window_shown, 1);
    EXPECT_EQ(rig.host.scene, 1);
    EXPECT_TRUE(rig.machine.HoldTimerOn());
    EXPECT_FALSE(rig.machine.TransferTimerOn());
  }
}

TEST(FullRead, UsbMovesPagesInChunksAskingForTheFirstChunkTwice) {
  LinkRig rig;
  FillBox(rig);
  StartRead(rig, LinkUsb);
  rig.TransferUntilDone();
  const auto sent = rig.SentSinceMark();
  const std::vector<std::string> head = {"read 0",     "read 0",    "read 0@25", "read 0@50",
                                         "read 1",     "read 1@25", "read 1@50", "read 1@75",
                                         "read 1@100", "read 2"};
  ASSERT_GT(sent.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 10), head);
  // Every chunk of every page once (page 0's first twice), then the same items as off USB.
  std::size_t page_requests = 0;
  for (int p = 0; p <= 25; ++p) page_requests += ChunkLast(p) + 1;
  ASSERT_EQ(sent.size(), page_requests + 1 + (FullReadOffUsb().size() - 26) + 1);
  EXPECT_EQ(sent[page_requests], "read 25");
  EXPECT_EQ(sent[page_requests + 1], "name 0");
  ExpectMirrors(rig, 0, 25);
  EXPECT_TRUE(rig.machine.state().LinkOnline);
}

TEST(FullRead, ABadFrameAsksForTheSameDataAgain) {
  // Serial: a bad page, a bad name and a bad page 25 are each asked for again.
  LinkRig com;
  FillBox(com);
  com.corrupt_once = {"read 3", "name 5", "read 25", "hint 7", "item 1E05"};
  StartRead(com, LinkCom);
  com.TransferUntilDone();
  auto expected = FullReadOffUsb();
  for (const char* again : {"item 1E05", "hint 7", "name 5", "read 25", "read 3"}) {
    expected.insert(std::find(expected.begin(), expected.end(), again), again);
  }
  auto sent = com.SentSinceMark();
  sent.pop_back();  // the 1E03 write after going online
  EXPECT_EQ(sent, expected);
  ExpectMirrors(com, 0, 25);
  const auto& names = com.machine.dispatcher().ModeNames();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(names[i], "Mode" + std::to_string(i + 1));
    EXPECT_EQ(names[26 + i], "Hint" + std::to_string(i + 1));
  }
  EXPECT_EQ(com.machine.dispatcher().UserPasswordText(), "1234");

  // USB: the chunk that came back bad is asked for again, none is skipped.
  LinkRig usb;
  FillBox(usb);
  usb.corrupt_once = {"read 1@25", "read 4@50"};
  StartRead(usb, LinkUsb);
  usb.TransferUntilDone();
  const auto usb_sent = usb.SentSinceMark();
  EXPECT_EQ(std::count(usb_sent.begin(), usb_sent.end(), "read 1@25"), 2);
  EXPECT_EQ(std::count(usb_sent.begin(), usb_sent.end(), "read 1@50"), 1);
  EXPECT_EQ(std::count(usb_sent.begin(), usb_sent.end(), "read 4@50"), 2);
  EXPECT_EQ(usb.host.messages.size(), 2u);  // the checksum message, shown on USB only
  ExpectMirrors(usb, 0, 25);
}

TEST(Transfer, EveryRequestTimesOutIncludingTheFirst) {
  // The box answers the handshake, then falls silent before the first page.
  for (LinkKind kind : {LinkUsb, LinkCom, LinkTcp}) {
    LinkRig rig;
    StartRead(rig, kind, false);
    rig.box_alive = false;
    const std::size_t first = rig.transport.sent.size();
    int ticks = 0;
    std::vector<int> repeats;
    while (rig.machine.TransferTimerOn() && ticks < 1000) {
      const std::size_t before = rig.transport.sent.size();
      rig.machine.TransferTick();
      ++ticks;
      if (rig.transport.sent.size() > before) repeats.push_back(ticks);
    }
    EXPECT_EQ(repeats, (std::vector<int>{31, 52})) << int(kind);
    EXPECT_EQ(ticks, 152);  // about 7.6 s at 50 ms
    for (std::size_t i = first; i < rig.transport.sent.size(); ++i) {
      EXPECT_EQ(rig.transport.sent[i].bytes, rig.transport.sent[first - 1].bytes);
    }
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text, "连接失败!");
    EXPECT_FALSE(rig.machine.SearchTimerOn());
  }

  // Mid-transfer on USB: a silent chunk is repeated (the same chunk), and an answer to the
  // repeat carries the read on to the end.
  LinkRig usb;
  FillBox(usb);
  StartRead(usb, LinkUsb);
  for (int i = 0; i < 12; ++i) {
    usb.machine.TransferTick();
    usb.Pump();
  }
  usb.box_alive = false;
  usb.machine.TransferTick();  // request sent, lost
  usb.Pump();
  const Bytes lost = usb.transport.sent.back().bytes;
  for (int i = 0; i < 30; ++i) usb.machine.TransferTick();
  EXPECT_EQ(usb.transport.sent.back().bytes, lost);
  usb.Mark();
  usb.machine.TransferTick();
  EXPECT_EQ(usb.SentSinceMark(), std::vector<std::string>{testing::Describe(lost)});
  usb.box_alive = true;
  usb.answered = usb.transport.sent.size() - 1;
  usb.Pump();
  usb.TransferUntilDone();
  EXPECT_TRUE(usb.machine.state().LinkOnline);
  ExpectMirrors(usb, 0, 25);
}

TEST(Transfer, AReadAnsweredByAnAcknowledgementOrAStatusReportStillTimesOut) {
  // Mid-read, the box answers a page request with an acknowledgement, or a status report:
  // neither is the page, so the request is repeated at the same limits as when nothing came,
  // and the read fails in the end instead of waiting for ever.
  for (LinkKind kind : {LinkUsb, LinkCom, LinkTcp}) {
    for (const bool status : {false, true}) {
      LinkRig rig;
      StartRead(rig, kind);
      for (int i = 0; i < 3; ++i) {
        rig.machine.TransferTick();
        rig.Pump();
      }
      rig.box_alive = false;
      rig.machine.TransferTick();  // the next request goes out and is not answered
      const Bytes asked = rig.transport.sent.back().bytes;
      const std::size_t first = rig.transport.sent.size();
      int ticks = 0;
      std::vector<int> repeats;
      while (rig.machine.TransferTimerOn() && ticks < 1000) {
        // Something that is not the page comes in every few ticks.
        if (ticks % 7 == 3) rig.Deliver(kind, status ? testing::StatusFrame(4) : testing::Ack());
        const std::size_t before = rig.transport.sent.size();
        rig.machine.TransferTick();
        ++ticks;
        if (rig.transport.sent.size() > before) repeats.push_back(ticks);
      }
      EXPECT_EQ(repeats, (std::vector<int>{31, 52})) << int(kind) << status;
      EXPECT_EQ(ticks, 152) << int(kind) << status;
      for (std::size_t i = first; i < rig.transport.sent.size(); ++i) {
        EXPECT_EQ(rig.transport.sent[i].bytes, asked);
      }
      ASSERT_EQ(rig.host.messages.size(), 1u);
      EXPECT_EQ(rig.host.messages[0].text, "连接失败!");
    }
  }
}

TEST(Transfer, FullDownloadWritesPagesThenReadsTheVolumeLimits) {
  for (LinkKind kind : {LinkCom, LinkUsb}) {
    LinkRig rig;
    FillBox(rig);
    // Offline a download does not start.
    rig.machine.EnterLinkState(LinkEntry::StartFullWrite);
    EXPECT_FALSE(rig.machine.TransferTimerOn());
    EXPECT_TRUE(rig.transport.sent.empty());

    rig.Connect(kind);
    ASSERT_TRUE(rig.machine.state().LinkOnline);
    rig.HoldTicks(3);
    for (int p = 0; p <= 25; ++p) {
      for (int s = 0; s < PageLength(p); ++s) rig.device_values.Set(p, s, 5 + p + s);
    }
    rig.device_values.Set(30, 23, 11);
    rig.device_values.Set(30, 24, 12);
    rig.Mark();
    rig.machine.EnterLinkState(LinkEntry::StartFullWrite);
    EXPECT_EQ(rig.host.LastText(), "Download...");
    EXPECT_FALSE(rig.machine.state().LinkOnline);
    EXPECT_FALSE(rig.machine.HoldTimerOn());
    rig.Pump();
    rig.TransferUntilDone();
    rig.HoldTicks(3);

    std::vector<std::string> expected;
    for (int p = 0; p <= 25; ++p) {
      for (int c = 0; c <= (kind == LinkUsb ? ChunkLast(p) : 0); ++c) {
        if (kind == LinkUsb && p == 0 && c == 0) expected.push_back("write 0");
        expected.push_back(c ? "write " + std::to_string(p) + "@" + std::to_string(25 * c)
                             : "write " + std::to_string(p));
      }
    }
    expected.push_back("read 25");
    expected.push_back("set 1E17=11");
    expected.push_back("set 1E18=12");
    EXPECT_EQ(rig.SentSinceMark(), expected) << int(kind);
    for (int p = 0; p <= 25; ++p) {
      for (int s = 0; s < PageLength(p); ++s) ASSERT_EQ(rig.box.memory.Get(p, s), 5 + p + s);
    }
    EXPECT_TRUE(rig.machine.state().LinkOnline);
    EXPECT_EQ(rig.host.LastText(), "Online");
  }
}

TEST(Transfer, HintTransfersMoveOnlyTheHiddenEqualiserPages) {
  LinkRig rig;
  FillBox(rig);
  rig.Connect(LinkTcp);
  rig.HoldTicks(2);
  rig.device_values.Set(22, 3, 999);
  rig.Mark();
  rig.machine.EnterLinkState(LinkEntry::StartHintWrite);
  rig.Pump();
  rig.TransferUntilDone();
  // A download ends by writing 0x1E17 (and then 0x1E18) from page 30.
  EXPECT_EQ(rig.SentSinceMark(),
            (std::vector<std::string>{"write 22", "write 23", "write 24", "set 1E17=53"}));
  EXPECT_EQ(rig.box.memory.Get(22, 3), 999);
  EXPECT_TRUE(rig.machine.state().LinkOnline);

  rig.box.memory.Set(23, 4, 4444);
  rig.HoldTicks(2);
  rig.Mark();
  rig.machine.EnterLinkState(LinkEntry::StartHintRead);
  EXPECT_EQ(rig.host.LastText(), "Loading...");
  rig.Pump();
  rig.TransferUntilDone();
  EXPECT_EQ(rig.SentSinceMark(), (std::vector<std::string>{"read 22", "read 23", "read 24"}));
  EXPECT_EQ(rig.device_values.Get(23, 4), 4444);
  EXPECT_TRUE(rig.machine.state().LinkOnline);
}

}  // namespace
}  // namespace kdsp
