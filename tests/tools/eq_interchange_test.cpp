#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "kdsp-tool/eq_bands.h"
#include "kdsp-tool/filter_text.h"
#include "model/page_layout.h"

namespace kdsp::tool {
namespace {

bool Mentions(const std::vector<std::string>& notes, const std::string& text) {
  for (const std::string& n : notes) {
    if (n.find(text) != std::string::npos) return true;
  }
  return false;
}

std::vector<BandState> FlatBands(int n) {
  return std::vector<BandState>(n, BandState{1, 204, 120, 16, 16});
}

constexpr const char* kRewExport =
    "Filter Settings file\r\n"
    "\r\n"
    "Room EQ V5.20\r\n"
    "Dated: 12-Mar-2024 21:04:11\r\n"
    "\r\n"
    "Notes:Living room, left\r\n"
    "\r\n"
    "Equaliser: Generic\r\n"
    "Averages 1\r\n"
    "Preamp: -6.5 dB\r\n"
    "Filter  1: ON  PK       Fc   63.0 Hz  Gain  -5.0 dB  Q  4.000\r\n"
    "Filter  2: ON  PK       Fc    125 Hz  Gain   3.2 dB  Q  2.000\r\n"
    "Filter  3: ON  LS       Fc   80.0 Hz  Gain   4.0 dB  Q  0.707\r\n"
    "Filter  4: ON  HS       Fc   8000 Hz  Gain  -2.5 dB\r\n"
    "Filter  5: ON  None\r\n"
    "Filter  6: OFF PK       Fc   1000 Hz  Gain   1.0 dB  Q  1.000\r\n"
    "Filter  7: ON  HP       Fc     30 Hz\r\n"
    "Filter  8: ON  PK       Fc  30000 Hz  Gain  15.0 dB  Q 200.0\r\n"
    "Filter  9: ON  LS 12dB  Fc    100 Hz  Gain   3.0 dB\r\n";

TEST(FilterTextTest, RealLookingRewExport) {
  const FilterText text = ParseFilterText(kRewExport);
  ASSERT_EQ(text.filters.size(), 9u);
  EXPECT_EQ(text.warnings, std::vector<std::string>{"line 10: Preamp -6.5 dB ignored"});
  EXPECT_EQ(text.filters[0].line_number, 11);
  EXPECT_EQ(text.filters[0].type, "PK");
  EXPECT_DOUBLE_EQ(*text.filters[0].fc_hz, 63.0);
  EXPECT_DOUBLE_EQ(*text.filters[0].gain_db, -5.0);
  EXPECT_DOUBLE_EQ(*text.filters[0].q, 4.0);
  EXPECT_FALSE(text.filters[3].q.has_value());
  EXPECT_EQ(text.filters[4].type, "NONE");
  EXPECT_FALSE(text.filters[5].on);
  EXPECT_EQ(text.filters[8].type, "LS 12DB");

  std::vector<BandState> bands = FlatBands(10);
  bands[3][kFieldSlope] = 5;
  const std::vector<std::string> notes = ImportFilters(text, bands);
  EXPECT_EQ(bands[0], (BandState{1, 60, 95, 40, 16}));   // 62.5 Hz is nearer 63 than 63.7
  EXPECT_EQ(bands[1], (BandState{1, 96, 136, 28, 16}));  // 125 Hz, +3.2 dB, Q 2.00
  EXPECT_EQ(bands[2], (BandState{2, 73, 140, 16, 16}));  // 80.3 Hz; Q 0.707 is slope 1.00
  EXPECT_EQ(bands[3], (BandState{3, 312, 108, 16, 5}));  // -2.5 dB: 107.5 to even, slope kept
  EXPECT_EQ(bands[4][kFieldType], 0);                    // None: bypassed, values kept
  EXPECT_EQ(bands[4], (BandState{0, 204, 120, 16, 16}));
  EXPECT_EQ(bands[5], (BandState{0, 204, 125, 16, 16}));   // OFF keeps its values, bypassed
  EXPECT_EQ(bands[6], (BandState{1, 360, 180, 100, 16}));  // clamped to the box's ends
  for (int b = 7; b < 10; ++b) EXPECT_EQ(bands[b][kFieldType], 0) << b;

  EXPECT_TRUE(Mentions(notes, "line 17: filter type HP is not on the box, left out"));
  EXPECT_TRUE(Mentions(notes, "line 19: filter type LS 12DB is not on the box, left out"));
  EXPECT_TRUE(Mentions(notes, "line 14: band 4: no slope, the band keeps its value 0.53"));
  EXPECT_TRUE(Mentions(notes, "line 18: band 7: Fc 30000 Hz clamped to the box's 20200 Hz"));
  EXPECT_TRUE(Mentions(notes, "line 18: band 7: gain 15 dB clamped to 12 dB"));
  EXPECT_TRUE(Mentions(notes, "line 18: band 7: Q 200 clamped to 128.00"));
  EXPECT_TRUE(Mentions(notes, "bands 8..10 have no filter and are bypassed"));
  EXPECT_EQ(notes.size(), 7u);

  // Five bands: the last peaking filter finds no band and is reported, never dropped quietly.
  std::vector<BandState> five = FlatBands(5);
  const std::vector<std::string> five_notes = ImportFilters(text, five);
  EXPECT_TRUE(Mentions(five_notes, "line 18: no band left (the channel has 5), left out"));
  EXPECT_EQ(five[4][kFieldType], 0);

  // Damaged text never puts a band field outside the box's ranges.
  std::mt19937 rng(99);
  const std::string source = kRewExport;
  const std::string_view kNoise("0123456789.,- \nQFcGainONOFFPKLSHSe+\0", 36);
  for (int round = 0; round < 500; ++round) {
    std::string damaged = source;
    for (int e = 0; e < 6; ++e) {
      damaged[rng() % damaged.size()] = kNoise[rng() % kNoise.size()];
    }
    std::vector<BandState> out = FlatBands(10);
    ImportFilters(ParseFilterText(damaged), out);
    for (const BandState& b : out) {
      ASSERT_GE(b[kFieldType], 0);
      ASSERT_LE(b[kFieldType], 3);
      ASSERT_GE(b[kFieldFreq], 0);
      ASSERT_LE(b[kFieldFreq], 360);
      ASSERT_GE(b[kFieldGain], 0);
      ASSERT_LE(b[kFieldGain], 180);
      ASSERT_GE(b[kFieldQ], 0);
      ASSERT_LE(b[kFieldQ], 100);
      ASSERT_GE(b[kFieldSlope], 0);
      ASSERT_LE(b[kFieldSlope], 24);
    }
  }
}

TEST(FilterTextTest, ApoWithCommaDecimalsAndLooseSpacing) {
  const FilterText text = ParseFilterText(
      "# living room\n"
      "Preamp: -3,5 dB\n"
      "Filter 1: ON PK Fc 1000,0 Hz Gain 6,0 dB Q 1,00\n"
      "Filter:\tON  LSC   Fc 99 Hz   Gain -3,4 dB Q 0,71\n"
      "Filter 3 : OFF PK Fc 2000 Hz Gain 2 dB Q 1\n"
      "filter 4: on hs fc 10000 hz gain 2,6 db q 0,5\n"
      "Filter 5: ON PK Fc 500 Hz Gain 1 dB BW Oct 1,0\n"
      "Filter 6: ON NO Fc 50 Hz\n"
      "Filter 7: ON PK Fc 2000 Hz Gain x dB Q 1\n"
      "Filter 8: PK Fc 2000 Hz Gain 1 dB Q 1\n"
      "Filter Settings file\n"
      "Filter 9: ON PK Fc 3000 Hz Gain -1,2 dB Q 2,5");  // no line end at the end
  EXPECT_EQ(text.filters.size(), 7u);
  ASSERT_EQ(text.warnings.size(), 3u);
  EXPECT_EQ(text.warnings[0], "line 2: Preamp -3,5 dB ignored");
  EXPECT_EQ(text.warnings[1], "line 9: GAIN without a number, filter passed over");
  EXPECT_EQ(text.warnings[2], "line 10: filter without ON/OFF, passed over");

  std::vector<BandState> bands = FlatBands(10);
  const std::vector<std::string> notes = ImportFilters(text, bands);
  EXPECT_EQ(bands[0], (BandState{1, 204, 150, 16, 16}));
  EXPECT_EQ(bands[1], (BandState{2, 84, 103, 16, 16}));   // 99 Hz; -3.4 dB = 103; Q 0.71: 1.00
  EXPECT_EQ(bands[2], (BandState{0, 240, 130, 16, 16}));  // OFF: bypassed with its values
  EXPECT_EQ(bands[3], (BandState{3, 324, 133, 16, 4}));   // 2.6 dB = 133; 0.50 = index 4
  EXPECT_EQ(bands[4], (BandState{1, 168, 125, 22, 16}));  // one octave = Q 1.41 -> 1.40
  EXPECT_EQ(bands[5], (BandState{1, 261, 114, 32, 16}));  // 3 kHz, -1.2 dB, Q 2.50
  EXPECT_TRUE(Mentions(notes, "line 8: filter type NO is not on the box, left out"));
}

TEST(FilterTextTest, ExportTextIsExact) {
  const std::vector<ExportBand> bands = {
      {1, 204, 150, 16}, {2, 84, 135, 10}, {3, 324, 100, 24}, {0, 0, 0, 0}, {7, 204, 120, 16}};
  EXPECT_EQ(FormatFilters(bands, FilterFormat::kApo, "note"),
            "# note\n"
            "Filter 1: ON PK Fc 1000 Hz Gain 6.0 dB Q 1.00\n"
            "Filter 2: ON LS Fc 99.0 Hz Gain 3.0 dB Q 0.595\n"  // slope 0.71 at +3 dB
            "Filter 3: ON HS Fc 10100 Hz Gain -4.0 dB Q 0.902\n"
            "Filter 4: OFF PK Fc 19.7 Hz Gain -24.0 dB Q 0.40\n"
            "Filter 5: OFF PK Fc 1000 Hz Gain 0.0 dB Q 1.00\n");
  EXPECT_EQ(FormatFilters(bands, FilterFormat::kRew, "note"),
            "Filter Settings file\r\n\r\nkdsp-tool\r\nNotes: note\r\n\r\nEqualiser: Generic\r\n"
            "Filter  1: ON  PK       Fc     1000 Hz  Gain   6.0 dB  Q   1.00\r\n"
            "Filter  2: ON  LS       Fc     99.0 Hz  Gain   3.0 dB  Q  0.595\r\n"
            "Filter  3: ON  HS       Fc    10100 Hz  Gain  -4.0 dB  Q  0.902\r\n"
            "Filter  4: ON  None\r\n"
            "Filter  5: ON  None\r\n");
}

TEST(FilterTextTest, ExportThenImportGivesTheSameIndexes) {
  // Every frequency, gain and Q index passes through both formats unchanged.
  for (const FilterFormat format : {FilterFormat::kApo, FilterFormat::kRew}) {
    for (int start = 0; start <= 360; start += 10) {
      std::vector<BandState> bands;
      for (int b = 0; b < 10; ++b) {
        const int i = start + b;
        const int type = i % 4;
        const int q = type >= 2 ? 3 : i % 101;
        const int slope = type >= 2 ? i % 25 : 7;
        bands.push_back({type, std::min(i, 360), (i * 7) % 181, q, slope});
      }
      std::vector<ExportBand> exported;
      for (const BandState& b : bands) exported.push_back(ToExportBand(b));
      // The import starts from the same file with every field the text carries changed, so
      // only what went through the text can bring it back.
      std::vector<BandState> imported = bands;
      for (BandState& b : imported) {
        const bool shelf = b[kFieldType] == 2 || b[kFieldType] == 3;
        const bool carried =
            format == FilterFormat::kApo || (b[kFieldType] >= 1 && b[kFieldType] <= 3);
        b[kFieldType] = (b[kFieldType] + 1) % 4;
        if (!carried) continue;
        b[kFieldFreq] = (b[kFieldFreq] + 100) % 361;
        b[kFieldGain] = (b[kFieldGain] + 50) % 181;
        b[shelf ? kFieldSlope : kFieldQ] = (b[shelf ? kFieldSlope : kFieldQ] + 5) % 25;
      }
      const std::vector<std::string> notes =
          ImportFilters(ParseFilterText(FormatFilters(exported, format, "x")), imported);
      EXPECT_EQ(imported, bands) << "start " << start;
      EXPECT_TRUE(notes.empty()) << notes.front();
    }
  }
  EXPECT_EQ(NearestQIndex(1.0, 100), 16);
  EXPECT_EQ(NearestQIndex(1000.0, 100), 100);
  EXPECT_EQ(NearestQIndex(5.0, 24), 24);
  EXPECT_EQ(NearestQIndex(0.01, 100), 0);
}

}  // namespace
}  // namespace kdsp::tool
