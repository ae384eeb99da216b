#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "eq/maths/curve_table.h"
#include "kdsp-tool/channels.h"
#include "kdsp-tool/tool_commands.h"
#include "presets/codec/preset_codec.h"
#include "presets/codec/preset_scramble.h"
#include "tool_test_util.h"

namespace kdsp::tool {
namespace {

using testing::ReadText;
using testing::RunTool;
using testing::SampleValues;
using testing::SetBand;
using testing::TempDir;
using testing::WriteText;

// The lines of a text, without their ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
  for (const std::string& l : Lines(text)) {
    if (l == line) return true;
  }
  return false;
}

TEST(ToolCommandsTest, ShowAndDiffSpeakTheConsolesUnits) {
  TempDir dir;
  ValueTable a = SampleValues();
  WriteText(dir / "a.Nddt", EncodePresetFile(PresetKind::kMode, a));
  ValueTable b = a;
  b.Set(0, 25, 140);  // music band 3 gain 4.0 dB
  b.Set(6, 18, 34);   // main output, dance scene: limit level
  b.Set(0, 11, 99);   // a slot no control uses
  WriteText(dir / "b.Nddt", EncodePresetFile(PresetKind::kMode, b));

  const auto show = RunTool({"show", dir / "a.Nddt"}, dir);
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_TRUE(HasLine(show.out, "Music band 3 gain 6.0dB"));
  EXPECT_TRUE(HasLine(show.out, "Music band 3 type PEQ"));
  EXPECT_TRUE(HasLine(show.out, "Music band 3 frequency 1000Hz"));
  EXPECT_TRUE(HasLine(show.out, "Music Input RCA2"));
  EXPECT_TRUE(HasLine(show.out, "Main Disco Limit Level -20dBu"));  // kind 14: r - 20 dBu
  EXPECT_FALSE(HasLine(show.out, "Music slot 11 0"));               // unnamed slots only with --all
  EXPECT_TRUE(HasLine(RunTool({"show", dir / "a.Nddt", "--all"}, dir).out, "Music slot 11 0"));
  const auto zh = RunTool({"show", "--lang", "zh", dir / "a.Nddt"}, dir);
  EXPECT_TRUE(HasLine(zh.out, "音乐 频段3 增益 6.0dB"));
  EXPECT_TRUE(HasLine(zh.out, "音乐 输入选择 模拟2"));

  const auto diff = RunTool({"diff", dir / "a.Nddt", dir / "b.Nddt"}, dir);
  EXPECT_EQ(diff.status, 0) << diff.err;
  EXPECT_EQ(Lines(diff.out),
            (std::vector<std::string>{"Music slot 11 0 -> 99  [0:11 0 -> 99]",
                                      "Music band 3 gain 6.0dB -> 4.0dB  [0:25 150 -> 140]",
                                      "Main Disco Limit Level -20dBu -> 14dBu  [6:18 0 -> 34]",
                                      "3 parameters differ"}));
  const auto same = RunTool({"diff", dir / "a.Nddt", dir / "a.Nddt"}, dir);
  EXPECT_EQ(Lines(same.out), std::vector<std::string>{"0 parameters differ"});
}

TEST(ToolCommandsTest, JsonRoundTripsAreByteIdentical) {
  TempDir dir;
  ValueTable values = SampleValues();
  for (int s = 0; s < kSlotCount; ++s) values.Set(30, s, 1000 + s);  // page 30 is kept too
  const std::string mode = EncodePresetFile(PresetKind::kMode, values);
  const std::string eq = EncodePresetFile(PresetKind::kEq, values);
  WriteText(dir / "m.Nddt", mode);
  WriteText(dir / "e.EQdt", eq);

  ASSERT_EQ(RunTool({"json", dir / "m.Nddt", "-o", dir / "m.json"}, dir).status, 0);
  ASSERT_EQ(RunTool({"from-json", dir / "m.json", dir / "m2.Nddt"}, dir).status, 0);
  EXPECT_EQ(ReadText(dir / "m2.Nddt"), mode);
  const std::string json = ReadText(dir / "m.json");
  EXPECT_NE(json.find("{\"page\": 0, \"slot\": 25, \"value\": 150, \"channel\": \"Music\", "
                      "\"name\": \"band 3 gain\", \"text\": \"6.0dB\", \"control\": "
                      "\"MusGainEdit3\"}"),
            std::string::npos);

  const auto eq_json = RunTool({"json", dir / "e.EQdt"}, dir);
  ASSERT_EQ(eq_json.status, 0);
  EXPECT_NE(eq_json.out.find("\"kind\": \"eq\""), std::string::npos);
  WriteText(dir / "e.json", eq_json.out);
  ASSERT_EQ(RunTool({"from-json", dir / "e.json", dir / "e2.EQdt"}, dir).status, 0);
  EXPECT_EQ(ReadText(dir / "e2.EQdt"), eq);

  // A hand-edited JSON: the readable members may be dropped; the console loads the result.
  WriteText(dir / "edit.json",
            "{\"format\":\"kdsp-preset\",\"version\":1,\"kind\":\"eq\",\"entries\":["
            "{\"page\":22,\"slot\":3,\"value\":170},{\"page\":23,\"slot\":4,\"value\":7}]}");
  const auto edited = RunTool({"from-json", dir / "edit.json", dir / "edit.EQdt"}, dir);
  ASSERT_EQ(edited.status, 0) << edited.err;
  EXPECT_NE(edited.err.find("2 entries; a saved EQ file holds 81"), std::string::npos);
  ValueTable loaded;
  ASSERT_EQ(LoadPresetBytes(PresetKind::kEq, ReadText(dir / "edit.EQdt"), loaded),
            PresetStatus::kOk);
  EXPECT_EQ(loaded.Get(22, 3), 170);
  EXPECT_EQ(loaded.Get(23, 4), 7);

  // Bad JSON is refused and writes nothing.
  for (const char* bad :
       {"{\"format\":\"kdsp-preset\",\"version\":1,\"kind\":\"eq\",\"entries\":[{\"page\":22,"
        "\"slot\":3,\"value\":65536}]}",
        "{\"format\":\"kdsp-preset\",\"version\":1,\"kind\":\"eq\",\"entries\":[{\"page\":31,"
        "\"slot\":0,\"value\":1}]}",
        "{\"format\":\"kdsp-preset\",\"version\":1,\"kind\":\"eq\",\"entries\":[{\"page\":22,"
        "\"slot\":165,\"value\":1}]}",
        "{\"format\":\"kdsp-preset\",\"version\":1,\"kind\":\"eq\",\"entries\":[{\"page\":22,"
        "\"slot\":1.5,\"value\":1}]}",
        "{\"format\":\"kdsp-preset\",\"version\":2,\"kind\":\"eq\",\"entries\":[]}",
        "{\"format\":\"kdsp-preset\",\"version\":1,\"entries\":[]}", "[1,2", ""}) {
    WriteText(dir / "bad.json", bad);
    const auto r = RunTool({"from-json", dir / "bad.json", dir / "bad.EQdt"}, dir);
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.EQdt")) << bad;
  }
}

TEST(ToolCommandsTest, DamagedFilesExitWithTheConsolesMessage) {
  TempDir dir;
  const std::string good = EncodePresetFile(PresetKind::kMode, SampleValues());
  const std::size_t cut = good.find("\r\n", 300) + 2;  // one data line removed
  WriteText(dir / "cut.Nddt", good.substr(0, cut) + good.substr(good.find("\r\n", cut) + 2));
  std::string header_bad;
  for (const char* l : {"R3 117", "Velta 89", "Intoal: 2", "CCCCK: 0"}) {
    header_bad += ScrambleLine(l) + "\r\n";
  }
  WriteText(dir / "hdr.Nddt", header_bad);
  WriteText(dir / "filters.txt", "Filter 1: ON PK Fc 1000 Hz Gain 1 dB Q 1\n");

  const std::vector<std::vector<std::string>> commands = {
      {"show", dir / "cut.Nddt"},
      {"json", dir / "cut.Nddt"},
      {"diff", dir / "cut.Nddt", dir / "cut.Nddt"},
      {"curve", dir / "cut.Nddt", "--channel", "music"},
      {"export-eq", dir / "cut.Nddt", "--channel", "music", "--format", "apo"},
      {"import-eq", dir / "cut.Nddt", "--channel", "music", "--from", dir / "filters.txt", "-o",
       dir / "out.Nddt"},
  };
  for (const auto& args : commands) {
    const auto r = RunTool(args, dir);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_NE(r.err.find("Data file is corrupted!"), std::string::npos) << args[0] << r.err;
    EXPECT_TRUE(r.out.empty()) << args[0];
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out.Nddt"));
  EXPECT_NE(RunTool({"show", "--lang", "zh", dir / "cut.Nddt"}, dir).err.find("数据文件损坏!"),
            std::string::npos);
  const auto header = RunTool({"show", dir / "hdr.Nddt"}, dir);
  EXPECT_EQ(header.status, 1);
  EXPECT_NE(header.err.find("File format error!"), std::string::npos);
  const auto missing = RunTool({"show", dir / "none.Nddt"}, dir);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("File not find!"), std::string::npos);
}

TEST(ToolCommandsTest, UsageErrorsAndHelp) {
  TempDir dir;
  WriteText(dir / "e.EQdt", EncodePresetFile(PresetKind::kEq, SampleValues()));
  const auto help = RunTool({"--help"}, dir);
  EXPECT_EQ(help.status, 0);
  for (const Channel& c : Channels()) {
    EXPECT_NE(help.out.find("  " + std::string(c.id) + " "), std::string::npos) << c.id;
  }
  EXPECT_EQ(RunTool({}, dir).status, 2);
  EXPECT_EQ(RunTool({"frobnicate"}, dir).status, 2);
  EXPECT_EQ(RunTool({"show", dir / "e.EQdt", "--lang", "fr"}, dir).status, 2);
  EXPECT_EQ(RunTool({"curve", dir / "e.EQdt", "--channel", "nowhere"}, dir).status, 2);
  // An EQ file holds only the hidden equalisers.
  const auto wrong = RunTool({"curve", dir / "e.EQdt", "--channel", "music"}, dir);
  EXPECT_EQ(wrong.status, 2);
  EXPECT_NE(wrong.err.find("hint-music"), std::string::npos);
  EXPECT_EQ(RunTool({"curve", dir / "e.EQdt", "--channel", "HINT-MIC1"}, dir).status, 0);
  EXPECT_EQ(RunTool({"export-eq", dir / "e.EQdt", "--channel", "hint-mic1", "--format", "csv"}, dir)
                .status,
            2);
  EXPECT_EQ(RunTool({"import-eq", dir / "e.EQdt", "--channel", "hint-mic1"}, dir).status, 2);
}

// Level at grid point k of a CSV curve.
double LevelAt(const std::string& csv, int k) {
  const std::string line = Lines(csv).at(k + 1);
  return std::stod(line.substr(line.find(',') + 1));
}

TEST(ToolCommandsTest, CurveFollowsTheChannelsOwnPage) {
  TempDir dir;
  ValueTable v = SampleValues();
  SetBand(v, 2, 0, 1, 204, 170, 16, 16);   // mic 2 band 1: +10 dB at 1 kHz
  SetBand(v, 6, 0, 1, 204, 100, 16, 16);   // main output, dance: -4 dB at 1 kHz
  SetBand(v, 22, 2, 1, 204, 180, 16, 16);  // hidden music band 3: never drawn by the console
  SetBand(v, 23, 2, 1, 204, 180, 16, 16);  // hidden mic 1 band 3: drawn
  v.Set(3, 9, 2);                          // echo high-pass, Butterworth at 354 Hz
  v.Set(3, 10, 150);
  WriteText(dir / "v.Nddt", EncodePresetFile(PresetKind::kMode, v));
  auto curve = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"curve", dir / "v.Nddt", "--channel"};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto r = RunTool(args, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  };
  const std::string music = curve({"music"});
  const auto lines = Lines(music);
  ASSERT_EQ(lines.size(), 464u);  // header and grid points 0..462
  EXPECT_EQ(lines[0], "frequency_hz,level_db");
  EXPECT_EQ(lines[1].rfind("10.00,", 0), 0u);
  EXPECT_EQ(lines[463].rfind("24000.00,", 0), 0u);
  EXPECT_NEAR(LevelAt(music, 273), 6.0, 0.05);  // 1 kHz sits at grid point 273
  const std::string echo = curve({"echo"});
  EXPECT_LT(LevelAt(echo, 41), -20.0);        // the high-pass cuts 20 Hz ...
  EXPECT_NEAR(LevelAt(echo, 451), 0.0, 0.1);  // ... and passes 20 kHz
  EXPECT_NEAR(LevelAt(music, 41), 0.0, 0.1);  // the music channel has no high-pass

  EXPECT_NEAR(LevelAt(curve({"mic2"}), 273), 10.0, 0.05);
  EXPECT_NEAR(LevelAt(curve({"mic1"}), 273), 0.0, 1e-9);
  EXPECT_NEAR(LevelAt(curve({"main", "--scene", "dance"}), 273), -4.0, 0.05);
  EXPECT_NEAR(LevelAt(curve({"main"}), 273), 0.0, 1e-9);
  EXPECT_NEAR(LevelAt(curve({"hint-music"}), 273), 0.0, 1e-9);
  EXPECT_NEAR(LevelAt(curve({"hint-mic1"}), 273), 12.0, 0.05);

  // The tool prints the console's own ChannelCurve, point for point (to the printed digits).
  ValueTable view;
  for (int s = 0; s < kSlotCount; ++s) view.Set(1, s, v.Get(2, s));
  auto table = std::make_unique<CurveTable>();
  table->LoadCurveTable(view, 1, kAllRows);
  table->ComputeRows(kAllRows);
  const std::string mic2 = curve({"mic2"});
  for (int k = 0; k <= 462; k += 7) EXPECT_NEAR(LevelAt(mic2, k), table->ChannelCurve(k), 0.0005);
}

TEST(ToolCommandsTest, ImportEqWritesOnlyTheChannelsBands) {
  TempDir dir;
  const ValueTable v = SampleValues();
  WriteText(dir / "v.Nddt", EncodePresetFile(PresetKind::kMode, v));
  WriteText(dir / "apo.txt",
            "Preamp: -3,5 dB\r\nFilter 1: ON PK Fc 125 Hz Gain -5 dB Q 4\r\n"
            "Filter 2: ON HP Fc 30 Hz\r\n");
  const auto r = RunTool({"import-eq", dir / "v.Nddt", "--channel", "echo", "--from",
                          dir / "apo.txt", "-o", dir / "out.Nddt"},
                         dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("line 1: Preamp -3,5 dB ignored"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 3: filter type HP is not on the box, left out"), std::string::npos);
  const DecodedPreset out = DecodePresetFile(PresetKind::kMode, ReadText(dir / "out.Nddt"));
  ASSERT_EQ(out.status, PresetStatus::kOk);
  ValueTable expected = v;
  SetBand(expected, 3, 0, 1, 96, 95, 40, 16);  // 125 Hz = index 96, -5 dB = 95, Q 4.00 = 40
  int differences = 0;
  for (const PresetEntry& e : out.entries) {
    EXPECT_EQ(e.value, expected.Get(e.page, e.slot)) << e.page << ":" << e.slot;
    differences += e.value != v.Get(e.page, e.slot);
  }
  EXPECT_EQ(differences, 4);  // band 1's type, frequency, gain and Q; nothing else
}

}  // namespace
}  // namespace kdsp::tool
