#include "spectrum/maths/spectrum_bars.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace kdsp {
namespace {

constexpr int kWidth = 883;  // graph size at design
constexpr int kHeight = 268;

std::vector<std::uint8_t> Sine(double freq_hz, double amplitude) {
  std::vector<std::uint8_t> block(kSamplesPerTransform);
  for (int i = 0; i < kSamplesPerTransform; ++i) {
    block[i] = static_cast<std::uint8_t>(
        std::lround(128.0 + amplitude * std::sin(2.0 * std::numbers::pi * freq_hz * i / 48000.0)));
  }
  return block;
}

std::vector<int> Tops(const SpectrumTransform& t, bool low_floor, int width = kWidth) {
  std::vector<int> tops(width + 1, -1000);
  ComputeBarTops(t, width, kHeight, low_floor, tops);
  return tops;
}

TEST(SpectrumLevel, CeilingFloorsAndScale) {
  // Zero is taken as 0.001 and lands on the floor, y = H - 2.
  EXPECT_EQ(SpectrumLevelDb(0.0f, false), -52.0);
  EXPECT_EQ(SpectrumLevelDb(0.0f, true), -64.0);
  EXPECT_DOUBLE_EQ(LevelToY(0.0f, kHeight, false), 266.0);
  EXPECT_DOUBLE_EQ(LevelToY(0.0f, kHeight, true), 266.0);
  // The ceiling: 120 against 128 is -0.56 dB, the highest a bar can reach.
  const double top_db = 20.0 * std::log10(120.0 / 128.0);
  EXPECT_NEAR(top_db, -0.5606, 1e-4);
  EXPECT_DOUBLE_EQ(SpectrumLevelDb(120.0f, false), top_db);
  EXPECT_DOUBLE_EQ(SpectrumLevelDb(5000.0f, false), top_db);
  EXPECT_NEAR(LevelToY(120.0f, kHeight, false), 266.0 - (52.0 + top_db) / 52.0 * 267.0, 1e-9);
  EXPECT_NEAR(LevelToY(120.0f, kHeight, false), 1.878, 1e-3);
  // Between the ceiling and the floor the scale is linear in dB: -26 dB is half way up.
  const float half = static_cast<float>(128.0 * std::pow(10.0, -26.0 / 20.0));
  EXPECT_NEAR(LevelToY(half, kHeight, false), 266.0 - 0.5 * 267.0, 1e-4);
  // A level of -58 dB is on the normal floor but above the low one.
  const float weak = static_cast<float>(128.0 * std::pow(10.0, -58.0 / 20.0));
  EXPECT_DOUBLE_EQ(LevelToY(weak, kHeight, false), 266.0);
  EXPECT_NEAR(LevelToY(weak, kHeight, true), 266.0 - 6.0 / 64.0 * 267.0, 1e-4);
}

TEST(SpectrumBars, PitchBinsAndFactors) {
  EXPECT_EQ(BarPitch(883), 7);
  EXPECT_EQ(BarPitch(1200), 10);
  EXPECT_EQ(BarPitch(60), 1);  // a very narrow graph still has a pitch
  // The first bar shows bin 0 (about 10 Hz), the bar around 1 kHz bin 43.
  EXPECT_EQ(BarBin(0, kWidth), 0);
  EXPECT_EQ(BarBin(518, kWidth), 43);       // bar 74, middle column 521: about 987 Hz
  EXPECT_EQ(BarBin(525, kWidth), 46);       // bar 75, middle column 528: about 1050 Hz
  EXPECT_EQ(BarBin(kWidth, kWidth), 1071);  // middle column 886: 24.6 kHz
  EXPECT_DOUBLE_EQ(BarFactor(0), 0.40);
  EXPECT_DOUBLE_EQ(BarFactor(2), 0.25);
  EXPECT_DOUBLE_EQ(BarFactor(10), 0.31);
  EXPECT_DOUBLE_EQ(BarFactor(46), 0.99);
  EXPECT_DOUBLE_EQ(BarFactor(47), 1.0);
  EXPECT_DOUBLE_EQ(BarFactor(-1), 1.0);
}

TEST(SpectrumBars, SilenceStandsOnTheFloorTimesFactor) {
  SpectrumTransform t;
  t.Run(std::vector<std::uint8_t>(kSamplesPerTransform, 128));
  for (bool low : {false, true}) {
    const auto tops = Tops(t, low);
    for (int x = 0; x <= kWidth; ++x) {
      const int bar = x / 7;
      const int r = x % 7;
      if (r >= 5) {
        ASSERT_EQ(tops[x], kHeight) << x;  // gap columns
      } else {
        const double factor = bar < 47 ? BarFactor(bar) : 1.0;
        ASSERT_EQ(tops[x], static_cast<int>(std::nearbyint(266.0 * factor))) << x;
      }
    }
    EXPECT_EQ(tops[0], 106);  // 266 * 0.40 = 106.4
    EXPECT_EQ(tops[14], 66);  // 266 * 0.25 = 66.5, tie to even
    EXPECT_EQ(tops[350], 266);
  }
}

TEST(SpectrumBars, FullScaleSineTopsTheBarNearestOneKilohertz) {
  SpectrumTransform t;
  t.Run(Sine(1000.0, 127.0));
  const int bin = BarBin(518, kWidth);
  EXPECT_NEAR(SpectrumLevelDb(t.Magnitude(bin), false), -0.5606, 1e-3);
  const auto tops = Tops(t, false);
  for (int x = 518; x <= 522; ++x) EXPECT_EQ(tops[x], 2) << x;  // y 1.878
  EXPECT_EQ(tops[523], kHeight);
  EXPECT_EQ(tops[524], kHeight);
  // Far from the tone the bars sit well below the top.
  EXPECT_GT(tops[7 * 110], 100);
  // Bin 0 is damped to nothing: the first bar stands on the floor whatever the input.
  EXPECT_EQ(t.Magnitude(0), 0.0f);
  EXPECT_EQ(tops[0], 106);
  t.Run(std::vector<std::uint8_t>(kSamplesPerTransform, 255));  // full DC offset
  EXPECT_EQ(t.Magnitude(0), 0.0f);
  EXPECT_EQ(Tops(t, false)[0], 106);
  EXPECT_EQ(Tops(t, true)[0], 106);
}

TEST(SpectrumBars, LowFloorShowsWeakSignals) {
  // One sample 20 steps off silence gives every bin magnitude 20/128: -58.3 dB.
  std::vector<std::uint8_t> block(kSamplesPerTransform, 128);
  block[0] = 148;
  SpectrumTransform t;
  t.Run(block);
  EXPECT_FLOAT_EQ(t.Magnitude(500), 0.15625f);
  const auto normal = Tops(t, false);
  const auto low = Tops(t, true);
  const int expected_low = static_cast<int>(
      std::lround(266.0 - (20.0 * std::log10(0.15625 / 128.0) + 64.0) / 64.0 * 267.0));
  EXPECT_EQ(expected_low, 242);
  for (int bar = 47; bar < 126; ++bar) {
    const int x = bar * 7;
    ASSERT_EQ(normal[x], 266) << bar;
    ASSERT_EQ(low[x], expected_low) << bar;
  }
}

TEST(SpectrumBars, NarrowGraphAndShortBuffer) {
  SpectrumTransform t;
  t.Run(Sine(1000.0, 127.0));
  // Width below 120 columns: pitch 1, every column is a bar, nothing divides by zero.
  const auto tops = Tops(t, false, 100);
  for (int x = 0; x <= 100; ++x) EXPECT_LT(tops[x], kHeight) << x;
  // A buffer shorter than the width is filled as far as it goes.
  std::vector<int> few(10, -1);
  ComputeBarTops(t, kWidth, kHeight, false, few);
  EXPECT_EQ(few[0], 106);
  EXPECT_EQ(few[5], kHeight);
}

TEST(SpectrumBars, PeakRowsMeetTheBarTopsOfTheSameMagnitudes) {
  SpectrumTransform t;
  t.Run(Sine(2500.0, 20.0));
  for (int width : {kWidth, 1596, 100}) {
    const std::vector<int> tops = Tops(t, true, width);
    std::vector<int> bins(BarsOnGraph(width) + 1, -7);
    ComputeBarBins(width, bins);
    const int pitch = BarPitch(width);
    ASSERT_EQ(BarsOnGraph(width), width / pitch + 1);
    for (int a = 0; a < BarsOnGraph(width); ++a) ASSERT_EQ(bins[a], BarBin(a * pitch, width)) << a;
    EXPECT_EQ(bins.back(), -7);  // room beyond the bars is left alone
    bins.pop_back();
    std::vector<int> rows(bins.size());
    ComputeBarRowsOf([&t](int bin) { return t.Magnitude(bin); }, bins, kHeight, true, rows);
    for (int a = 0; a < BarsOnGraph(width); ++a) ASSERT_EQ(rows[a], tops[a * pitch]) << a;
  }
  // Another source of magnitudes (an average) goes through the same scale and factors.
  std::vector<int> tops(kWidth + 1);
  ComputeBarTopsOf([](int) { return 0.0f; }, kWidth, kHeight, false, tops);
  EXPECT_EQ(tops[0], static_cast<int>(RoundHalfEven(266.0 * 0.40)));
  EXPECT_EQ(tops[441], 266);  // bar 63, beyond the factored bars
}

}  // namespace
}  // namespace kdsp
