// Filter text as other programs save it: encodings, line ends, channel sections, shelves, and
// text that holds no filter at all.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "kdsp-tool/eq_bands.h"
#include "kdsp-tool/filter_text.h"
#include "kdsp-tool/shelf_slope.h"
#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "model/q_table.h"
#include "presets/codec/preset_codec.h"
#include "tool_test_util.h"

namespace kdsp::tool {
namespace {

using testing::ReadText;
using testing::RunTool;
using testing::SampleValues;
using testing::TempDir;
using testing::WriteText;

// UTF-16 bytes of `text` with its byte-order mark.
std::string Utf16(std::u16string_view text, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t u : text) {
    const char hi = static_cast<char>(u >> 8);
    const char lo = static_cast<char>(u & 0xFF);
    out += big_endian ? hi : lo;
    out += big_endian ? lo : hi;
  }
  return out;
}

TEST(FilterImportTest, EncodingsAndLineEndsAreReadAsTheTextTheyHold) {
  const std::string lf =
      "# 客厅 🎵\nFilter 1: ON PK Fc 1000 Hz Gain 6 dB Q 1\nFilter 2: ON PK Fc 63 Hz Gain -3 dB "
      "Q 2\n";
  const std::u16string utf16 =
      u"# 客厅 🎵\r\nFilter 1: ON PK Fc 1000 Hz Gain 6 dB Q 1\r\nFilter 2: ON PK Fc 63 Hz "
      u"Gain -3 dB Q 2\r\n";
  std::string crlf, cr;
  for (const char c : lf) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cr += c == '\n' ? '\r' : c;
  }
  const std::string variants[] = {lf,  "\xEF\xBB\xBF" + lf, crlf, "\xEF\xBB\xBF" + crlf,
                                  cr,  Utf16(utf16, false), Utf16(utf16, true)};
  for (const std::string& bytes : variants) {
    const FilterText text = ParseFilterText(bytes);
    ASSERT_EQ(text.filters.size(), 2u) << bytes;
    EXPECT_TRUE(text.warnings.empty()) << text.warnings.front();
    EXPECT_EQ(text.filters[0].line_number, 2);
    EXPECT_DOUBLE_EQ(*text.filters[0].fc_hz, 1000.0);
    EXPECT_DOUBLE_EQ(*text.filters[1].q, 2.0);
  }
  // The mark right before the first filter must not hide it.
  const FilterText marked = ParseFilterText("\xEF\xBB\xBF" + lf.substr(lf.find('\n') + 1));
  ASSERT_EQ(marked.filters.size(), 2u);
  EXPECT_DOUBLE_EQ(*marked.filters[0].fc_hz, 1000.0);
  // A lone surrogate and an odd last byte are no reason to stop reading.
  const std::string broken = Utf16(u"Filter 1: ON PK Fc 500 Hz Gain 1 dB Q 1\n", false) +
                             std::string("\x00\xD8", 2) + "x";
  EXPECT_EQ(ParseFilterText(broken).filters.size(), 1u);
}

TEST(FilterImportTest, TextWithoutAFilterIsRefusedAndUnreadableFilterLinesAreNamed) {
  TempDir dir;
  WriteText(dir / "v.Nddt", EncodePresetFile(PresetKind::kMode, SampleValues()));
  const std::string not_filters[] = {"", std::string("\x7f" "ELF\x02\x01\x00\x00\xff\xfe", 10),
                                     "{\"format\":\"kdsp-preset\",\"version\":1}",
                                     "Filter Settings file\r\n\r\nNotes: nothing\r\n",
                                     "Filter 1 ON PK Fc 100 Hz Gain 1 dB Q 1\n"};
  for (const std::string& bytes : not_filters) {
    WriteText(dir / "f.txt", bytes);
    const auto r = RunTool({"import-eq", dir / "v.Nddt", "--channel", "music", "--from",
                            dir / "f.txt", "-o", dir / "out.Nddt"},
                           dir);
    EXPECT_EQ(r.status, 1) << bytes;
    EXPECT_NE(r.err.find("no filter found"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.Nddt")) << bytes;
  }

  const FilterText text = ParseFilterText(
      "Filter Settings file\nFilter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2 ON PK Fc 200 Hz\n"
      "FilterX: ON PK Fc 300 Hz\nFilters below were measured\n");
  EXPECT_EQ(text.filters.size(), 1u);
  EXPECT_EQ(text.warnings,
            (std::vector<std::string>{"line 3: unreadable filter line, passed over",
                                      "line 4: unreadable filter line, passed over",
                                      "line 5: unreadable filter line, passed over"}));
}

TEST(FilterImportTest, FrequenciesGoToTheTrulyNearestEntry) {
  EXPECT_EQ(FrequencyText(NearestImportFrequencyIndex(19900)), "19800");
  EXPECT_EQ(FrequencyText(NearestImportFrequencyIndex(20000)), "19800");  // a tie goes lower
  EXPECT_EQ(FrequencyText(NearestImportFrequencyIndex(20100)), "20200");
  EXPECT_EQ(FrequencyText(NearestImportFrequencyIndex(1e6)), "20200");
  EXPECT_EQ(NearestImportFrequencyIndex(1.0), 0);
  for (int i = 0; i <= kFrequencyIndexMax; ++i) {
    ASSERT_EQ(NearestImportFrequencyIndex(FrequencyHz(i)), i);
  }
  std::vector<BandState> bands(1, BandState{1, 204, 120, 16, 16});
  const auto notes =
      ImportFilters(ParseFilterText("Filter 1: ON PK Fc 19900 Hz Gain 0 dB Q 1\n"), bands);
  EXPECT_EQ(FrequencyText(bands[0][kFieldFreq]), "19800");
  EXPECT_TRUE(notes.empty()) << notes.front();
}

TEST(FilterImportTest, ShelvesTurnQIntoTheBoxsSlopeAndBack) {
  // A slope of 1 is the steepest shelf without overshoot: Q = 1/sqrt(2) at every gain.
  for (const double gain : {-24.0, -6.0, 0.0, 3.0, 12.0}) {
    EXPECT_NEAR(ShelfQFromSlope(1.0, gain), 1.0 / std::sqrt(2.0), 1e-12) << gain;
    for (int i = 0; i <= kShelfQIndexMax; ++i) {
      const double s = QValue(i);
      EXPECT_NEAR(ShelfSlopeFromQ(ShelfQFromSlope(s, gain), gain), s, 1e-9) << gain << " " << s;
    }
  }
  // At 0 dB the relation is Q = sqrt(S / 2).
  EXPECT_NEAR(ShelfQFromSlope(0.5, 0.0), 0.5, 1e-12);
  EXPECT_NEAR(ShelfSlopeFromQ(2.0, 0.0), 8.0, 1e-12);

  std::vector<BandState> bands(4, BandState{1, 204, 120, 16, 16});
  const std::vector<std::string> notes = ImportFilters(
      ParseFilterText("Filter 1: ON LSC Fc 100 Hz Gain 0 dB Q 0.5\n"
                      "Filter 2: ON HSC Fc 8000 Hz Gain 0 dB Q 0.894\n"
                      "Filter 3: ON LS Fc 100 Hz Gain 0 dB Q 0.3\n"
                      "Filter 4: ON HS Fc 8000 Hz Gain 0 dB Q 2\n"),
      bands);
  EXPECT_EQ(QText(bands[0][kFieldSlope]), "0.50");
  EXPECT_EQ(QText(bands[1][kFieldSlope]), "1.60");
  EXPECT_EQ(bands[2][kFieldSlope], 0);  // slope 0.18 below the box's 0.40
  EXPECT_EQ(bands[3][kFieldSlope], kShelfQIndexMax);
  for (const BandState& b : bands) EXPECT_EQ(b[kFieldQ], 16);  // a shelf's Q field stays
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0], "line 3: band 3: Q 0.3 is slope 0.18 at 0 dB, clamped to 0.40");
  EXPECT_EQ(notes[1], "line 4: band 4: Q 2 is slope 8 at 0 dB, clamped to 1.60");
}

TEST(FilterImportTest, ApoChannelSectionsAreChosenByName) {
  TempDir dir;
  WriteText(dir / "v.Nddt", EncodePresetFile(PresetKind::kMode, SampleValues()));
  WriteText(dir / "apo.txt",
            "Preamp: -2 dB\n"
            "Channel: L\n"
            "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\n"
            "Channel: R\n"
            "Filter 1: ON PK Fc 1000 Hz Gain -3 dB Q 2\n"
            "Channel: C SUB\n"
            "Filter 1: ON PK Fc 50 Hz Gain 1 dB Q 1\n");
  auto import = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"import-eq", dir / "v.Nddt", "--channel", "music",
                                     "--from",    dir / "apo.txt", "-o", dir / "out.Nddt"};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunTool(args, dir);
  };
  const auto refused = import({});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("several channels (L, R, C, SUB); choose one with --apo-channel"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.Nddt"));

  const auto unknown = import({"--apo-channel", "RL"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("no Channel section names RL"), std::string::npos) << unknown.err;

  const auto right = import({"--apo-channel", "r"});
  ASSERT_EQ(right.status, 0) << right.err;
  ValueTable out;
  ASSERT_EQ(LoadPresetBytes(PresetKind::kMode, ReadText(dir / "out.Nddt"), out),
            PresetStatus::kOk);
  const int first = EqFirstSlot(0);
  EXPECT_EQ(FrequencyText(out.Get(0, first + kFieldFreq)), "1000");
  EXPECT_EQ(out.Get(0, first + kFieldGain), 105);  // -3 dB
  EXPECT_EQ(out.Get(0, first + 5 + kFieldType), 0);  // one filter: band 2 on is bypassed

  // Filters before the first section and in "all" sections apply to every channel.
  const FilterText shared = ParseFilterText(
      "Filter 1: ON PK Fc 30 Hz Gain 1 dB Q 1\nChannel: all\nFilter 2: ON PK Fc 40 Hz Gain 1 dB "
      "Q 1\nChannel: L\nFilter 3: ON PK Fc 60 Hz Gain 1 dB Q 1\n");
  const ChannelPick left = PickApoChannel(shared, std::string("L"));
  ASSERT_TRUE(left.error.empty()) << left.error;
  EXPECT_EQ(left.text.filters.size(), 3u);
  EXPECT_EQ(PickApoChannel(shared, std::string("R")).text.filters.size(), 2u);
  const FilterText single = ParseFilterText("Channel: L R\nFilter 1: ON PK Fc 30 Hz Q 1\n");
  EXPECT_EQ(PickApoChannel(single, std::nullopt).text.filters.size(), 1u);
}

}  // namespace
}  // namespace kdsp::tool
