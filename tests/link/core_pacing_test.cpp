// Replies matched to the request in flight, and the pace of the link: answer-driven, falling
// back to one request per tick after a repeat, or paced throughout by the setting.
#include <gtest/gtest.h>

#include "core_test_fakes.h"
#include "model/page_layout.h"

namespace kdsp {
namespace {

using testing::Ack;
using testing::ExpectMirrors;
using testing::FillBox;
using testing::LinkRig;
using testing::StatusFrame;
using testing::TextFrame;
using testing::WordsFrame;

constexpr bool kPaced = true;
constexpr bool kAnswerDriven = false;

Bytes Spoiled(Bytes frame) {
  frame.back() ^= 0x5A;
  return frame;
}

// The requests of a link's full read, leaving out the handshake and the writes after it.
std::vector<std::string> ReadRequests(const LinkRig& rig) {
  std::vector<std::string> out;
  for (const auto& f : rig.transport.sent) {
    const std::string what = testing::Describe(f.bytes);
    if (what != "probe" && what.rfind("set ", 0) != 0) out.push_back(what);
  }
  return out;
}

std::vector<std::string> FullReadRequests() {
  std::vector<std::string> seq;
  for (int p = 0; p <= 25; ++p) seq.push_back("read " + std::to_string(p));
  for (int i = 0; i < 16; ++i) seq.push_back("name " + std::to_string(i));
  for (const char* item : {"1E01", "1E02", "1E03", "1E04", "1E05", "1E15"}) {
    seq.push_back(std::string("item ") + item);
  }
  seq.push_back("hint 0");
  for (int i = 0; i < 16; ++i) seq.push_back("hint " + std::to_string(i));
  for (const char* item : {"1E21", "1E22", "1E14", "1E17", "1E18"}) {
    seq.push_back(std::string("item ") + item);
  }
  return seq;
}

void ExpectReadExact(const LinkRig& rig) {
  ASSERT_TRUE(rig.machine.state().LinkOnline);
  ExpectMirrors(rig, 0, 25);
  for (int slot : {1, 2, 4, 20, 21, 23, 24, 33, 34}) {
    EXPECT_EQ(rig.device_values.Get(30, slot), 30 + slot) << slot;
  }
  const auto& names = rig.machine.dispatcher().ModeNames();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(names[i], "Mode" + std::to_string(i + 1)) << i;
    EXPECT_EQ(names[26 + i], "Hint" + std::to_string(i + 1)) << i;
  }
}

// Searches until the read starts or the link is online; `lose_first_probe` drops what the
// first search tick sends, as a probe sent while the socket is still connecting is lost.
void SearchAndRead(LinkRig& rig, LinkKind kind, bool lose_first_probe = false) {
  rig.box_kind = kind;
  rig.transport.hid_present = kind == LinkUsb;
  if (kind == LinkCom) rig.transport.ports = {"/dev/ttyUSB0"};
  rig.box_alive = !lose_first_probe;
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  for (int i = 0; i < 12 && rig.machine.SearchTimerOn(); ++i) {
    rig.SearchTicks(1);
    rig.box_alive = true;
  }
  rig.TransferUntilDone();
}

// --- The faults of a box that answers late or sends unasked frames ---

struct ReadFault {
  const char* name;
  int answer_delay_ticks;
  std::map<std::string, Bytes> unasked_before;
  std::map<std::string, Bytes> unasked_after;
  std::set<std::string> corrupt_once;
  bool lose_first_probe;
  std::vector<std::string> asked_twice;
};

TEST(ReadFaults, EveryValueAndNameExactAtEitherPace) {
  const Bytes device_id = BuildFrame(CmdRead, MakeAddr(30, 64), Bytes{0x12, 0xAB, 0x00, 0xFF});
  const std::vector<ReadFault> faults = {
      {"late box, identification code at request 5", 1, {{"read 5", device_id}}, {}, {}, false, {}},
      {"late box, system password at request 40",
       1,
       {{"name 14", TextFrame(30, 7, "8888")}},
       {},
       {},
       false,
       {}},
      {"spoiled answer to the last item", 0, {}, {}, {"item 1E18"}, false, {"item 1E18"}},
      {"stray header before the probe's acknowledgement",
       0,
       {{"probe", Bytes{0xF5, 0x2C, 0xFF, 0xB7}}},
       {},
       {},
       true,
       {}},
      // 42: the music key the box holds at (0, 6)
      {"status frame right after a reply", 0, {}, {{"read 7", StatusFrame(42)}}, {}, false, {}},
  };
  for (const ReadFault& fault : faults) {
    for (bool paced : {kPaced, kAnswerDriven}) {
      SCOPED_TRACE(std::string(fault.name) + (paced ? ", paced" : ", answer-driven"));
      LinkRig rig(paced);
      FillBox(rig);
      rig.answer_delay_ticks = fault.answer_delay_ticks;
      rig.unasked_before = fault.unasked_before;
      rig.unasked_after = fault.unasked_after;
      rig.corrupt_once = fault.corrupt_once;
      SearchAndRead(rig, LinkTcp, fault.lose_first_probe);
      ExpectReadExact(rig);
      auto expected = FullReadRequests();
      for (const std::string& again : fault.asked_twice) {
        expected.insert(std::find(expected.begin(), expected.end(), again), again);
      }
      EXPECT_EQ(ReadRequests(rig), expected);
    }
  }
  // The unasked texts are still taken.
  LinkRig rig(kPaced);
  FillBox(rig);
  rig.unasked_before = {{"read 5", device_id}, {"name 14", TextFrame(30, 7, "8888")}};
  SearchAndRead(rig, LinkTcp);
  EXPECT_EQ(rig.host.device_id, "12AB00FF");
  EXPECT_EQ(rig.machine.dispatcher().SystemPasswordText(), "8888");
}

TEST(DownloadFaults, AnUnaskedPageIsNotWrittenBack) {
  for (bool paced : {kPaced, kAnswerDriven}) {
    SCOPED_TRACE(paced ? "paced" : "answer-driven");
    LinkRig rig(paced);
    FillBox(rig);
    rig.Connect(LinkTcp);
    ASSERT_TRUE(rig.machine.state().LinkOnline);
    std::vector<int> old_page;
    for (int s = 0; s < PageLength(10); ++s) {
      old_page.push_back(rig.box.memory.Get(10, s));
      rig.device_values.Set(10, s, 5000 + s);
    }
    rig.unasked_before = {{"write 3", WordsFrame(10, 0, old_page)}};
    rig.machine.EnterLinkState(LinkEntry::StartFullWrite);
    rig.TransferUntilDone();
    ASSERT_TRUE(rig.machine.state().LinkOnline);
    for (int s = 0; s < PageLength(10); ++s) {
      ASSERT_EQ(rig.box.memory.Get(10, s), 5000 + s) << s;
      ASSERT_EQ(rig.device_values.Get(10, s), 5000 + s) << s;
    }
  }
}

// --- What moves a transfer on ---

struct Unasked {
  const char* name;
  Bytes frame;
  std::vector<std::string> at_next_tick;  // what the next tick sends
};

TEST(ReplyMatching, NothingButTheAnswerMovesAReadOn) {
  const std::vector<Unasked> rows = {
      {"status frame", StatusFrame(9), {}},
      {"identification code", BuildFrame(CmdRead, MakeAddr(30, 64), Bytes{1, 2, 3, 4}), {}},
      {"system password", TextFrame(30, 7, "8888"), {}},
      {"another page", WordsFrame(1, 0, {111, 222}), {}},
      {"the page asked at another slot", WordsFrame(0, 25, {333}), {}},
      {"a mode name", TextFrame(30, 0, "Stray"), {}},
      {"an item", WordsFrame(30, 2, {7}), {}},
      {"an acknowledgement", Ack(), {}},
      {"the answer spoiled", Spoiled(WordsFrame(0, 0, {444})), {"read 0"}},
  };
  for (const Unasked& row : rows) {
    for (bool paced : {kPaced, kAnswerDriven}) {
      SCOPED_TRACE(std::string(row.name) + (paced ? ", paced" : ", answer-driven"));
      LinkRig rig(paced);
      FillBox(rig);
      rig.Connect(LinkTcp);
      rig.box_alive = false;
      rig.machine.EnterLinkState(LinkEntry::StartFullRead);
      ASSERT_EQ(testing::Describe(rig.transport.sent.back().bytes), "read 0");
      rig.Mark();
      rig.Deliver(LinkTcp, row.frame);
      EXPECT_TRUE(rig.SentSinceMark().empty());
      rig.machine.TransferTick();
      EXPECT_EQ(rig.SentSinceMark(), row.at_next_tick);
      EXPECT_EQ(rig.device_values.Get(1, 0), 1000);  // the box's value, read before
      EXPECT_EQ(rig.device_values.Get(0, 25), 175);
      EXPECT_EQ(rig.device_values.Get(30, 2), 32);
      EXPECT_EQ(rig.machine.dispatcher().ModeNames()[0], "Mode1");
      // The answer itself does move it on.
      rig.Mark();
      rig.Deliver(LinkTcp, rig.box.Answer(BuildPageRead(0, 0, LinkTcp), LinkTcp));
      if (!paced) {
        EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"read 1"});
      }
      rig.machine.TransferTick();
      EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"read 1"});
    }
  }
}

TEST(ReplyMatching, OnlyAnAcknowledgementMovesADownloadOn) {
  for (const Bytes& frame :
       {StatusFrame(9), WordsFrame(0, 0, {1, 2}), Spoiled(WordsFrame(0, 0, {1}))}) {
    LinkRig rig(kAnswerDriven);
    FillBox(rig);
    rig.Connect(LinkTcp);
    rig.box_alive = false;
    rig.Mark();
    rig.machine.EnterLinkState(LinkEntry::StartFullWrite);
    ASSERT_EQ(rig.SentSinceMark(), std::vector<std::string>{"write 0"});
    rig.Deliver(LinkTcp, frame);
    rig.machine.TransferTick();
    EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"write 0"});
    rig.Deliver(LinkTcp, Ack());
    EXPECT_EQ(rig.SentSinceMark(), (std::vector<std::string>{"write 0", "write 1"}));
  }
}

// --- The pace ---

TEST(AnswerDriven, EveryTransferRunsWithoutATransferTick) {
  for (LinkKind kind : {LinkUsb, LinkCom, LinkTcp}) {
    SCOPED_TRACE(static_cast<int>(kind));
    LinkRig rig(kAnswerDriven);
    FillBox(rig);
    rig.box_kind = kind;
    rig.transport.hid_present = kind == LinkUsb;
    if (kind == LinkCom) rig.transport.ports = {"/dev/ttyUSB0"};
    rig.machine.LinkBtnClick(LinkButton::LinkBtn);
    if (kind == LinkTcp) {
      // The network is tried at once and probed as soon as it is connected.
      EXPECT_EQ(rig.transport.tcp_connects, 1);
      rig.machine.OnTcpConnected();
      rig.Pump();
    }
    for (int i = 0; i < 3 && !rig.machine.state().LinkOnline; ++i) rig.SearchTicks(1);
    EXPECT_EQ(rig.ticks, kind == LinkTcp ? 0 : 3);  // USB and serial keep the search ticks
    ExpectReadExact(rig);

    // A download, and the writes waiting online, each leave on the last one's answer.
    for (int s = 0; s < PageLength(10); ++s) rig.device_values.Set(10, s, 6000 + s);
    rig.machine.EnterLinkState(LinkEntry::StartFullWrite);
    rig.Pump();
    ASSERT_TRUE(rig.machine.state().LinkOnline);
    for (int s = 0; s < PageLength(10); ++s) ASSERT_EQ(rig.box.memory.Get(10, s), 6000 + s);
    const std::vector<ParamAddr> scattered = {MakeAddr(3, 5), MakeAddr(7, 9), MakeAddr(12, 1),
                                              MakeAddr(20, 40)};
    // The first goes at once, the others wait for the box; no hold tick runs.
    for (ParamAddr a : scattered) rig.host.WriteParam(a, 4321);
    rig.Pump();
    for (ParamAddr a : scattered) EXPECT_EQ(rig.box.memory.Get(a), 4321);
    EXPECT_EQ(rig.ticks, kind == LinkTcp ? 0 : 3);
  }
}

struct PaceCase {
  const char* name;
  bool paced_setting;
  int silent_ticks;  // ticks the box stays silent before it answers "read 4"
  bool next_on_reply;
};

TEST(Pacing, TheNextRequestLeavesOnTheReplyUnlessPaced) {
  const std::vector<PaceCase> cases = {
      {"answer-driven, prompt answer", false, 0, true},
      {"answer-driven, answered after a repeat", false, 32, false},
      {"paced by the setting", true, 0, false},
  };
  for (const PaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    LinkRig rig(c.paced_setting);
    FillBox(rig);
    rig.Connect(LinkTcp);
    rig.box_alive = false;
    rig.machine.EnterLinkState(LinkEntry::StartFullRead);
    rig.Mark();
    for (int i = 0; i < c.silent_ticks; ++i) rig.machine.TransferTick();
    EXPECT_EQ(rig.SentSinceMark().size(), c.silent_ticks > 30 ? 1u : 0u);  // the repeat
    rig.Mark();
    rig.Deliver(LinkTcp, rig.box.Answer(BuildPageRead(0, 0, LinkTcp), LinkTcp));
    const std::vector<std::string> next = {"read 1"};
    EXPECT_EQ(rig.SentSinceMark(), c.next_on_reply ? next : std::vector<std::string>{});
    rig.machine.TransferTick();
    EXPECT_EQ(rig.SentSinceMark(), next);
    EXPECT_EQ(rig.machine.Paced(), !c.next_on_reply);
    // The pace of a fallback lasts for the connection; the next one starts answer-driven.
    rig.machine.LinkBtnClick(LinkButton::UnLinkBtn);
    rig.machine.LinkBtnClick(LinkButton::LinkBtn);
    EXPECT_EQ(rig.machine.Paced(), c.paced_setting);
  }
}

}  // namespace
}  // namespace kdsp
