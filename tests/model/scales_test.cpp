#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "model/frequency_table.h"
#include "model/q_table.h"
#include "model/scale_tables.h"

namespace kdsp {
namespace {

// Reads a table text as a number, whatever the process locale.
template <typename T = double>
T Num(std::string_view text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(ec == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

TEST(FrequencyTable, TellingRowsAndTheirTexts) {
  const struct {
    int index;
    double hz;
    const char* text;
  } rows[] = {
      {0, 19.7, "19.7"},   {1, 20.1, "20.1"},     {24, 31.3, "31.3"},    {60, 62.5, "62.5"},
      {80, 91.9, "91.9"},  {81, 94.0, "94.0"},    {82, 95.0, "95.0"},    {83, 97.0, "97.0"},
      {84, 99.0, "99.0"},  {85, 101.0, "101.0"},  {203, 981.0, "981.0"}, {204, 1000, "1000"},
      {205, 1020, "1020"}, {359, 19800, "19800"}, {360, 20200, "20200"}, {361, 20600, "20600"}};
  for (const auto& row : rows) {
    EXPECT_EQ(FrequencyHz(row.index), row.hz) << row.index;
    EXPECT_EQ(FrequencyHzF(row.index), static_cast<float>(row.hz)) << row.index;
    EXPECT_EQ(FrequencyText(row.index), row.text) << row.index;
  }
  // Indexes outside the table read its ends.
  EXPECT_EQ(FrequencyHz(-4), 19.7);
  EXPECT_EQ(FrequencyText(362), "20600");
  EXPECT_EQ(FrequencyHzF(1000), 20600.0f);
}

TEST(FrequencyTable, EveryEntryFollowsTheRoundingRule) {
  for (int i = 0; i < kFrequencyCount; ++i) {
    const double exact = 1000.0 * std::exp2((i - 204) / 36.0);
    const double hz = FrequencyHz(i);
    // Whole hertz for 81..84, else three significant figures.
    const double unit =
        (i >= 81 && i <= 84) ? 1.0 : std::pow(10.0, std::floor(std::log10(exact)) - 2);
    const double steps = hz / unit;
    EXPECT_NEAR(steps, std::round(steps), 1e-9) << i;
    EXPECT_LE(std::fabs(hz - exact), unit / 2 + 1e-9) << i;
    if (i > 0) {
      EXPECT_GT(hz, FrequencyHz(i - 1)) << i;
    }
    // The text reads back as the entry, with one decimal exactly below 1000 Hz.
    const std::string text = FrequencyText(i);
    EXPECT_EQ(Num(text), hz) << i;
    EXPECT_EQ(text.find('.') != std::string::npos, hz < 1000) << text;
  }
  // 31.25 lies exactly halfway and rounds up, not to even.
  EXPECT_EQ(FrequencyText(24), "31.3");
}

TEST(FrequencyTable, NearestIndexFindsEveryEntryAndSplitsTiesLow) {
  for (int i = 0; i <= kFrequencyIndexMax; ++i) EXPECT_EQ(NearestFrequencyIndex(FrequencyHz(i)), i);
  EXPECT_EQ(NearestFrequencyIndex(20600), 360);  // index 361 is never a parameter
  EXPECT_EQ(NearestFrequencyIndex(1e9), 360);
  EXPECT_EQ(NearestFrequencyIndex(-5), 0);
  EXPECT_EQ(NearestFrequencyIndex(100), 84);  // halfway between 99 and 101
  EXPECT_EQ(NearestFrequencyIndex(100.01), 85);
  EXPECT_EQ(NearestFrequencyIndex(19600), 358);  // halfway between 19400 and 19800
  // Above 19800 the first entry not below is the last parameter index: no tie test there.
  EXPECT_EQ(NearestFrequencyIndex(19800.01), 360);
}

TEST(QTable, TextsValuesAndLookup) {
  EXPECT_EQ(QText(0), "0.40");
  EXPECT_EQ(QText(kQIndexUnity), "1.00");
  EXPECT_EQ(QText(17), "1.06");
  EXPECT_EQ(QText(kShelfQIndexMax), "1.60");
  EXPECT_EQ(QText(56), "10.10");
  EXPECT_EQ(QText(kQIndexMax), "128.00");
  EXPECT_EQ(QText(-1), "0.40");
  EXPECT_EQ(QText(101), "128.00");
  EXPECT_EQ(QValue(kQIndexUnity), 1.0f);
  EXPECT_EQ(QValue(kQIndexMax), 128.0f);
  EXPECT_EQ(QValue(13), 0.84f);
  for (int i = 0; i < kQCount; ++i) {
    const std::string text(QText(i));
    const std::size_t point = text.find('.');
    ASSERT_NE(point, std::string::npos) << i;
    EXPECT_EQ(text.size() - point, 3u) << text;  // two decimals
    EXPECT_EQ(QValue(i), Num<float>(text)) << i;
    if (i > 0) {
      EXPECT_GT(QValue(i), QValue(i - 1)) << i;
    }
    // The number of a text finds its own entry, never the next one.
    EXPECT_EQ(QIndexAtLeast(Num(text)), i) << text;
  }
  EXPECT_EQ(QIndexAtLeast(1.01), 17);
  EXPECT_EQ(QIndexAtLeast(0.1), 0);
  EXPECT_EQ(QIndexAtLeast(128.01), kQCount);
}

TEST(ScaleTables, SizesOrderAndSharedCaptions) {
  ASSERT_EQ(RatioTable().size(), 41u);
  ASSERT_EQ(ReleaseTable().size(), 8u);
  ASSERT_EQ(AttackTable().size(), 20u);
  for (std::size_t i = 1; i < RatioTable().size(); ++i) {
    EXPECT_GT(Num(RatioTable()[i]), Num(RatioTable()[i - 1])) << i;
  }
  for (std::size_t i = 1; i < AttackTable().size(); ++i) {
    EXPECT_GT(Num(AttackTable()[i]), Num(AttackTable()[i - 1])) << i;
  }
  EXPECT_EQ(TextAt(RatioTable(), -3), "1.0");
  EXPECT_EQ(TextAt(ReleaseTable(), 99), "Atk x 32");

  ASSERT_EQ(InputNames().size(), 10u);
  ASSERT_EQ(InputVolumeNames().size(), 10u);
  EXPECT_EQ(InputNames()[1].In(1), "模拟1");
  EXPECT_EQ(InputNames()[1].In(0), "RCA1");
  // Automatic shows the analogue 1 caption, every HDMI source the one HDMI caption.
  EXPECT_EQ(InputVolumeNames()[0].zh, InputVolumeNames()[1].zh);
  EXPECT_EQ(InputVolumeNames()[0].en, "RCA1 Vol");
  for (int source = 6; source <= 9; ++source) {
    EXPECT_EQ(InputVolumeNames()[source].zh, "HDMI音量") << source;
    EXPECT_EQ(InputVolumeNames()[source].en, "HDMI Vol") << source;
  }
  EXPECT_EQ(TextAt(InputVolumeNames(), 12).en, "HDMI Vol");
  EXPECT_EQ(TextAt(InputNames(), -1).en, "AUTO");
}

}  // namespace
}  // namespace kdsp
