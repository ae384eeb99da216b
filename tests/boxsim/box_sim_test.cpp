#include "boxsim/box_sim.h"

#include <gtest/gtest.h>

#include <set>

#include "box_test_support.h"
#include "model/page_layout.h"

namespace kdsp::boxsim {
namespace {

using testing::ChecksumOk;
using testing::TextOf;
using testing::WordsOf;

const Bytes kAck = {0xEE, 0xBB};

// A factory box on a clock the test moves by hand.
class BoxSimTest : public ::testing::Test {
 protected:
  std::int64_t now_ms_ = 1000;
  BoxSim box_{MakeFactoryMemory(), [this] { return now_ms_; }};

  std::vector<Bytes> Ask(const Bytes& frame, LinkKind kind = LinkTcp) {
    std::vector<Bytes> out;
    for (Answer& a : box_.Handle(frame, kind)) out.push_back(std::move(a.bytes));
    return out;
  }
  Bytes AskOne(const Bytes& frame, LinkKind kind = LinkTcp) {
    auto answers = Ask(frame, kind);
    EXPECT_EQ(answers.size(), 1u) << HexText(frame);
    return answers.empty() ? Bytes{} : answers.front();
  }
  Bytes Write(int page, int slot, int value) {
    return AskOne(
        BuildValueFrame(CmdWrite, MakeAddr(page, slot), static_cast<std::uint16_t>(value)));
  }
  std::vector<int> ReadPage(int page) { return WordsOf(AskOne(BuildPageRead(page, 0, LinkTcp))); }
};

TEST_F(BoxSimTest, AcknowledgesProbeAndWritesAndRejectsBadFrames) {
  EXPECT_EQ(Ask(BuildValueFrame(CmdWrite, LinkControl, HelloCode)), std::vector<Bytes>{kAck});
  EXPECT_EQ(Write(0, 25, 150), kAck);
  EXPECT_EQ(Ask(BuildValueFrame(CmdWrite, LinkControl, ByeCode)), std::vector<Bytes>{kAck});
  EXPECT_EQ(box_.Counters().hellos, 1);
  EXPECT_EQ(box_.Counters().byes, 1);

  Bytes bad_sum = BuildValueFrame(CmdWrite, MakeAddr(0, 25), 99);
  bad_sum.back() ^= 1;
  Bytes bad_addr = BuildValueFrame(CmdWrite, MakeAddr(0, 25), 99);
  bad_addr[1] = 0x2D;
  Bytes bad_len = BuildValueFrame(CmdWrite, MakeAddr(0, 25), 99);
  bad_len.pop_back();
  for (const Bytes& f : {bad_sum, bad_addr, bad_len}) EXPECT_TRUE(Ask(f).empty()) << HexText(f);
  EXPECT_EQ(box_.Param(0, 25), 150);  // none of the bad writes landed
  EXPECT_EQ(box_.Counters().frames_rejected, 3);
  EXPECT_EQ(box_.Counters().frames_received, 6);
}

TEST_F(BoxSimTest, LinkOpenIsFollowedByIdentityAndSystemPassword) {
  const auto answers = Ask(BuildValueFrame(CmdWrite, LinkOpen, 1));
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0], kAck);
  EXPECT_EQ(answers[1], (Bytes{0xF5, 0x2C, 0x08, 0xB7, 0x1E, 0x40, 0x2F, 0x1D, 0x5A, 0xC3, 0x73}));
  EXPECT_EQ(answers[2][4], 30);
  EXPECT_EQ(answers[2][5], 7);
  EXPECT_EQ(TextOf(answers[2]), "365024");
  EXPECT_TRUE(ChecksumOk(answers[2]));
  EXPECT_EQ(box_.Param(30, 3), 1);
  EXPECT_EQ(Ask(BuildValueFrame(CmdWrite, LinkOpen, 0)), std::vector<Bytes>{kAck});
}

TEST_F(BoxSimTest, PageReadsAnswerWholePagesOffUsbAndChunksOnUsb) {
  for (int page = 0; page <= 30; ++page) {
    const Bytes whole = AskOne(BuildPageRead(page, 0, LinkCom), LinkCom);
    ASSERT_GE(whole.size(), 7u);
    EXPECT_EQ(whole[4], page);
    EXPECT_EQ(whole[5], 0);
    EXPECT_TRUE(ChecksumOk(whole));
    const auto words = WordsOf(whole);
    ASSERT_EQ(static_cast<int>(words.size()), PageLength(page)) << page;
    for (int s = 0; s < PageLength(page); ++s) EXPECT_EQ(words[s], box_.Param(page, s));

    // On USB the console asks chunk by chunk; each answer sits at (page, 25 * chunk).
    std::vector<int> joined;
    for (int c = 0; c <= ChunkLast(page); ++c) {
      const Bytes chunk = AskOne(BuildPageRead(page, c, LinkUsb), LinkUsb);
      EXPECT_EQ(chunk[5], 25 * c);
      EXPECT_LE(chunk.size(), 63u);  // fits an input report after its identifier
      const auto part = WordsOf(chunk);
      EXPECT_LE(part.size(), 25u);
      joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_EQ(joined, words) << page;
  }
  EXPECT_EQ(WordsOf(AskOne(BuildPageRead(1, 4, LinkUsb), LinkUsb)).size(), 16u);
}

TEST_F(BoxSimTest, ControlPageItemsAnswerNamesPasswordAndValues) {
  const char* names[] = {"KTV", "Live", "Party", "Concert"};
  for (int i = 0; i < 4; ++i) {
    const Bytes f = AskOne(BuildItemRead(30, i));
    EXPECT_EQ(MakeAddr(f[4], f[5]), ModeName);
    EXPECT_EQ(TextOf(f), names[i]);
  }
  EXPECT_EQ(TextOf(AskOne(BuildItemRead(30, 16))), "");  // no such mode
  const Bytes hint = AskOne(BuildItemRead(37, 3));
  EXPECT_EQ(MakeAddr(hint[4], hint[5]), HintModeName);
  EXPECT_EQ(TextOf(hint), "Bass+");
  const Bytes password = AskOne(BuildItemRead(35, 0));
  EXPECT_EQ(MakeAddr(password[4], password[5]), UserPassword);
  EXPECT_EQ(TextOf(password), "8888");

  box_.SetParam(30, 21, 1);
  for (int p : {31, 32, 33, 34, 36, 38, 39, 40, 41, 42}) {
    const Bytes f = AskOne(BuildItemRead(p, 0));
    ASSERT_EQ(f.size(), 9u) << p;
    EXPECT_EQ(f[4], 30);
    EXPECT_EQ(WordsOf(f).at(0), box_.Param(30, f[5])) << p;
  }
  EXPECT_EQ(WordsOf(AskOne(BuildItemRead(40, 0))).at(0), 6);  // input sources less one
  EXPECT_EQ(WordsOf(AskOne(BuildItemRead(36, 0))).at(0), 1);  // slot 21 as set above
}

TEST_F(BoxSimTest, StatusPollCarriesTheMusicKey) {
  const Bytes poll = BuildPageRead(kStatusPage, 0, LinkTcp);
  Bytes status = AskOne(poll);
  ASSERT_GE(status.size(), 7u + 13);
  EXPECT_EQ(MakeAddr(status[4], status[5]), MakeAddr(48, 0));
  EXPECT_EQ(status[18], box_.Param(0, 6));
  box_.TurnMusicKey(11);
  EXPECT_EQ(box_.Param(0, 6), 11);
  EXPECT_EQ(AskOne(poll)[18], 11);
  Write(0, 6, 3);  // the console's own key change shows the same way
  EXPECT_EQ(AskOne(poll, LinkUsb)[18], 3);
  box_.TurnMusicKey(40);
  EXPECT_EQ(box_.Param(0, 6), 14);
}

TEST_F(BoxSimTest, WritesAndBlockWritesAreStoredAndReadBack) {
  EXPECT_EQ(Write(1, 5, 300), kAck);
  EXPECT_EQ(ReadPage(1).at(5), 300);
  EXPECT_EQ(WordsOf(AskOne(BuildValueFrame(CmdRead, MakeAddr(1, 5), 0))).at(0), 300);

  ValueTable console;
  for (int s = 0; s < kSlotCount; ++s) console.Set(3, s, 1000 + s);
  EXPECT_EQ(AskOne(BuildPageWrite(console, 3, 0, LinkTcp)), kAck);
  const auto echo = ReadPage(3);
  for (int s = 0; s < PageLength(3); ++s) EXPECT_EQ(echo[s], 1000 + s);

  for (int s = 0; s < kSlotCount; ++s) console.Set(0, s, 2000 + s);
  EXPECT_EQ(AskOne(BuildPageWrite(console, 0, 2, LinkUsb), LinkUsb), kAck);
  EXPECT_EQ(box_.Param(0, 49), MakeFactoryMemory().params.Get(0, 49));  // before the chunk
  EXPECT_EQ(box_.Param(0, 50), 2050);
  EXPECT_EQ(box_.Param(0, 66), 2066);  // the short chunk's extra word

  Write(30, 23, 2);  // centre routing "Right"
  EXPECT_EQ(WordsOf(AskOne(BuildItemRead(41, 0))).at(0), 2);
}

TEST_F(BoxSimTest, ModeRecallAndSaveMoveWholeParameterSets) {
  const BoxMemory factory = MakeFactoryMemory();
  EXPECT_EQ(Write(30, 2, 2), kAck);  // RecallMode "Party"
  EXPECT_EQ(box_.Param(30, 2), 2);
  EXPECT_EQ(ReadPage(3).at(0), factory.modes[2].Get(3, 0));
  EXPECT_NE(factory.modes[2].Get(3, 0), factory.modes[0].Get(3, 0));

  Write(3, 0, 77);
  EXPECT_EQ(AskOne(BuildSaveMode(5, "My Song")), kAck);
  EXPECT_EQ(box_.ModeNameOf(5), "My Song");  // the padding is not kept
  EXPECT_EQ(TextOf(AskOne(BuildItemRead(30, 5))), "My Song");
  Write(30, 2, 0);
  EXPECT_EQ(box_.Param(3, 0), factory.modes[0].Get(3, 0));
  Write(30, 2, 5);
  EXPECT_EQ(box_.Param(3, 0), 77);
  EXPECT_EQ(Write(30, 2, 16), kAck);  // no such mode: acknowledged, nothing loaded
  EXPECT_EQ(box_.Param(30, 2), 5);

  // Hint modes carry the hidden equaliser pages only.
  Write(22, 3, 150);
  Write(0, 40, 42);
  EXPECT_EQ(AskOne(BuildSaveHintMode(4, "Mine")), kAck);
  EXPECT_EQ(TextOf(AskOne(BuildItemRead(37, 4))), "Mine");
  Write(30, 34, 0);
  EXPECT_EQ(box_.Param(22, 3), factory.hint_modes[0].Get(22, 3));
  Write(0, 40, 43);
  Write(30, 34, 4);
  EXPECT_EQ(box_.Param(22, 3), 150);
  EXPECT_EQ(box_.Param(0, 40), 43);
  EXPECT_EQ(box_.Param(30, 34), 4);
}

TEST_F(BoxSimTest, EqualiserResetCommandsRestoreDefaultsPerBlock) {
  for (int page : {4, 5, 6, 7}) Write(page, EqFirstSlot(page) + 2, 170);
  Write(26, 4, 0);  // only a 1 resets
  EXPECT_EQ(box_.Param(4, EqFirstSlot(4) + 2), 170);
  EXPECT_EQ(Write(26, 4, 1), kAck);
  for (int b = 0; b < EqBandCount(4); ++b) {
    const int first = EqFirstSlot(4) + 5 * b;
    EXPECT_EQ(box_.Param(4, first), kDefaultType);
    EXPECT_EQ(box_.Param(4, first + 1), DefaultFrequencyIndex(2, b));
    EXPECT_EQ(box_.Param(4, first + 2), kFlatGain);
    EXPECT_EQ(box_.Param(4, first + 3), kDefaultQ);
    EXPECT_EQ(box_.Param(4, first + 4), kDefaultSlope);
  }
  EXPECT_EQ(box_.Param(5, EqFirstSlot(5) + 2), 170);
  Write(26, 5, 1);  // block 5: main output, both scenes
  EXPECT_EQ(box_.Param(5, EqFirstSlot(5) + 2), kFlatGain);
  EXPECT_EQ(box_.Param(6, EqFirstSlot(6) + 2), kFlatGain);
  EXPECT_EQ(box_.Param(7, EqFirstSlot(7) + 2), 170);
  EXPECT_EQ(box_.Param(26, 5), 0);
  Write(21, 2, 50);
  Write(21, 7, 50);
  Write(26, 16, 1);  // auxiliary page
  EXPECT_EQ(box_.Param(21, 2), 20);
  EXPECT_EQ(box_.Param(21, 7), 129);
}

TEST_F(BoxSimTest, MicrophoneTwoFollowsOneWhileSynced) {
  Write(2, 115, 33);
  Write(1, 40, 99);
  EXPECT_NE(box_.Param(2, 40), 99);
  Write(1, 13, 1);
  for (int s = 0; s <= 114; ++s) {
    if (s != 13) {
      EXPECT_EQ(box_.Param(2, s), box_.Param(1, s)) << s;
    }
  }
  EXPECT_EQ(box_.Param(2, 115), 33);
  Write(1, 50, 7);
  EXPECT_EQ(box_.Param(2, 50), 7);
  const int tuned_gain = 15 + 5 * 2 + 2;  // band 3 leaves the factory cut
  EXPECT_NE(box_.Param(2, tuned_gain), kFlatGain);
  Write(26, 1, 1);  // resetting microphone 1 resets its follower too
  EXPECT_EQ(box_.Param(2, tuned_gain), kFlatGain);
  Write(1, 13, 0);
  Write(1, 51, 8);
  EXPECT_NE(box_.Param(2, 51), 8);
}

TEST_F(BoxSimTest, TextItemsAreKept) {
  EXPECT_EQ(AskOne(BuildTextWrite(UserPassword, "1234")), kAck);
  EXPECT_EQ(TextOf(AskOne(BuildItemRead(35, 0))), "1234");
  AskOne(BuildTextWrite(UserPassword, "12a4"));
  AskOne(BuildTextWrite(UserPassword, "12345"));
  EXPECT_EQ(box_.UserPasswordText(), "1234");
  EXPECT_EQ(AskOne(BuildTextWrite(BluetoothName, "Room 3")), kAck);
  EXPECT_EQ(box_.BluetoothNameText(), "Room 3");
}

TEST_F(BoxSimTest, FaultsShapeTheAnswers) {
  const Bytes probe = BuildValueFrame(CmdWrite, LinkControl, HelloCode);
  const Bytes poll = BuildPageRead(kStatusPage, 0, LinkTcp);
  box_.DropNext(2);
  EXPECT_TRUE(Ask(probe).empty());
  EXPECT_TRUE(Ask(probe).empty());
  EXPECT_EQ(Ask(probe).size(), 1u);
  EXPECT_EQ(box_.Counters().answers_dropped, 2);

  box_.CorruptNext();
  const auto opened = Ask(BuildValueFrame(CmdWrite, LinkOpen, 1));
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], kAck);  // acknowledgements carry no checksum to spoil
  EXPECT_FALSE(ChecksumOk(opened[1]));
  EXPECT_TRUE(ChecksumOk(opened[2]));

  box_.SplitNext();
  auto usb = box_.Handle(poll, LinkUsb);  // a report cannot be split: the fault waits
  EXPECT_FALSE(usb.at(0).split);
  auto tcp = box_.Handle(probe, LinkTcp);
  EXPECT_FALSE(tcp.at(0).split);  // nor can an acknowledgement
  EXPECT_TRUE(box_.Handle(poll, LinkTcp).at(0).split);
  EXPECT_FALSE(box_.Handle(poll, LinkTcp).at(0).split);

  box_.MergeNext();
  const auto merged = box_.Handle(BuildValueFrame(CmdWrite, LinkOpen, 1), LinkTcp);
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_TRUE(merged[0].merge_with_next);
  EXPECT_FALSE(merged[1].merge_with_next);
  EXPECT_FALSE(merged[2].merge_with_next);

  box_.SetAnswerDelay(250);
  EXPECT_EQ(box_.Handle(probe, LinkTcp).at(0).due_ms, now_ms_ + 250);
  box_.SetAnswerDelay(0);
  EXPECT_EQ(box_.Handle(probe, LinkTcp).at(0).due_ms, now_ms_);

  box_.GoSilent();
  EXPECT_TRUE(box_.Silent());
  EXPECT_TRUE(Ask(BuildValueFrame(CmdWrite, MakeAddr(0, 30), 5)).empty());
  EXPECT_NE(box_.Param(0, 30), 5);  // a silent box does not even hear
  box_.Resume();
  EXPECT_EQ(Write(0, 30, 5), kAck);
  box_.GoSilent(500);
  now_ms_ += 499;
  EXPECT_TRUE(Ask(probe).empty());
  now_ms_ += 1;
  EXPECT_EQ(Ask(probe).size(), 1u);

  // A slow box does not hear a request that comes sooner than 30 ms after its last answer.
  box_.SetSlow(30);
  now_ms_ += 29;
  EXPECT_TRUE(Ask(BuildValueFrame(CmdWrite, MakeAddr(0, 31), 6)).empty());
  EXPECT_NE(box_.Param(0, 31), 6);
  now_ms_ += 1;
  EXPECT_EQ(Write(0, 31, 6), kAck);
  EXPECT_EQ(box_.Param(0, 31), 6);
  box_.SetSlow(0);
  EXPECT_EQ(Ask(probe).size(), 1u);
}

TEST_F(BoxSimTest, ScheduledFaultsWaitForTheirFrameCount) {
  const Bytes probe = BuildValueFrame(CmdWrite, LinkControl, HelloCode);
  box_.Schedule({{FaultKind::kDrop, 1}, 2});
  box_.Schedule({{FaultKind::kKey, 12}, 3});
  EXPECT_EQ(Ask(probe).size(), 1u);
  EXPECT_EQ(Ask(probe).size(), 1u);
  EXPECT_TRUE(Ask(probe).empty());  // the third frame meets the drop
  EXPECT_NE(box_.Param(0, 6), 12);
  EXPECT_EQ(Ask(probe).size(), 1u);
  EXPECT_EQ(box_.Param(0, 6), 12);
}

TEST(FaultWords, ParseAsTheCommandLineAndInputGiveThem) {
  auto f = ParseFault("--drop", "3");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->fault.kind, FaultKind::kDrop);
  EXPECT_EQ(f->fault.value, 3);
  EXPECT_EQ(f->after_frames, 0);
  f = ParseFaultLine("silent");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->fault.kind, FaultKind::kSilent);
  EXPECT_EQ(f->fault.value, 0);
  f = ParseFaultLine("key 9@20");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->fault.kind, FaultKind::kKey);
  EXPECT_EQ(f->fault.value, 9);
  EXPECT_EQ(f->after_frames, 20);
  f = ParseFaultLine("merge=2@5\n");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->fault.value, 2);
  EXPECT_EQ(f->after_frames, 5);
  f = ParseFault("back", "@4");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->fault.kind, FaultKind::kResume);
  EXPECT_EQ(f->after_frames, 4);
  EXPECT_EQ(ParseFault("corrupt", "")->fault.value, 1);
  for (const char* bad : {"key 15", "drop x", "drop -1", "delay 5@", "bogus", "split 1@y"}) {
    EXPECT_FALSE(ParseFaultLine(bad)) << bad;
  }
  const std::string help = FaultHelp();
  for (const char* word : {"drop", "corrupt", "split", "merge", "silent", "back", "delay", "key"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

TEST(FactoryBox, ContentsAreWithinTheConsoleRanges) {
  const BoxMemory m = MakeFactoryMemory();
  std::set<std::string> names(m.mode_names.begin(), m.mode_names.end());
  names.insert(m.hint_names.begin(), m.hint_names.end());
  EXPECT_EQ(names.size(), 32u);
  EXPECT_EQ(m.mode_names[0], "KTV");
  EXPECT_EQ(m.mode_names[1], "Live");
  EXPECT_EQ(m.mode_names[2], "Party");
  for (const std::string& n : names) {
    EXPECT_FALSE(n.empty());
    EXPECT_LE(n.size(), 20u);
  }
  const int kMax[5] = {3, 360, 180, 100, 24};
  for (int k = 0; k < kModeCount; ++k) {
    const ValueTable& t = m.modes[static_cast<std::size_t>(k)];
    for (int page = 0; page <= 24; ++page) {
      for (int b = 0; b < EqBandCount(page) * 5; ++b) {
        EXPECT_LE(t.Get(page, EqFirstSlot(page) + b), kMax[b % 5]) << k << " " << page << " " << b;
      }
    }
    for (int s = 0; s < 10; ++s) EXPECT_LE(t.Get(25, s), 84);
    for (int page : {0, 1, 3, 5}) EXPECT_LE(t.Get(page, FilterSlotsOf(page)->lp_freq), 360);
  }
  EXPECT_NE(m.modes[0].Get(3, 0), m.modes[6].Get(3, 0));
  EXPECT_EQ(m.params.Get(0, 6), 7);
  EXPECT_GE(m.params.Get(30, 20), 1);
  EXPECT_EQ(m.user_password.size(), 4u);
  EXPECT_EQ(m.system_password.size(), 6u);
  EXPECT_NE(m.modes[0].Get(0, EqFirstSlot(0) + 2), kFlatGain);  // a tuned music equaliser
}

}  // namespace
}  // namespace kdsp::boxsim
