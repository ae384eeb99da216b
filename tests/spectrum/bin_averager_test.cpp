#include "spectrum/maths/bin_averager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kdsp {
namespace {

/// A spectrum whose every bin holds `amplitude` (power amplitude^2), bin 0 excepted: it stays 0.
std::vector<std::complex<float>> Flat(float amplitude) {
  std::vector<std::complex<float>> s(kFftLength, {0.0f, amplitude});
  s[0] = {0.0f, 0.0f};
  return s;
}

std::span<const std::complex<float>, kFftLength> View(const std::vector<std::complex<float>>& s) {
  return std::span<const std::complex<float>, kFftLength>(s.data(), kFftLength);
}

/// Feeds the same spectrum for `seconds` in steps of dt.
void Feed(BinAverager& a, const std::vector<std::complex<float>>& s, double seconds, double dt) {
  for (int i = 0; i < std::lround(seconds / dt); ++i) a.Update(View(s), dt);
}

TEST(BinAverager, OffKeepsOnlyTheNewestSpectrum) {
  BinAverager a;
  EXPECT_FALSE(a.Averaging());
  a.Update(View(Flat(3.0f)), 0.11);
  EXPECT_FLOAT_EQ(a.Power(7), 9.0f);
  EXPECT_FLOAT_EQ(a.Magnitude(7), 3.0f);
  std::vector<std::complex<float>> s = Flat(0.5f);
  s[100] = {3.0f, 4.0f};  // power from both parts
  a.Update(View(s), 0.11);
  EXPECT_FLOAT_EQ(a.Power(7), 0.25f);
  EXPECT_FLOAT_EQ(a.Magnitude(100), 5.0f);
  EXPECT_EQ(a.Power(-1), 0.0f);
  EXPECT_EQ(a.Power(kFftLength), 0.0f);
}

TEST(BinAverager, StepRisesWithTheTimeConstantWhateverTheStep) {
  for (double tau : {0.5, 2.0}) {
    for (double dt : {0.1, 0.01, 0.25}) {
      BinAverager a;
      a.SetTimeConstant(tau);
      Feed(a, Flat(10.0f), 0.5, dt);  // the same half second in steps of any size
      EXPECT_NEAR(a.Power(50) / 100.0, 1.0 - std::exp(-0.5 / tau), 1e-4) << tau << " " << dt;
      EXPECT_EQ(a.Power(0), 0.0f);
      Feed(a, Flat(10.0f), 5 * tau, dt);
      EXPECT_GT(a.Power(50), 99.0f);
      EXPECT_LE(a.Power(50), 100.0f + 1e-3f);
    }
  }
}

TEST(BinAverager, RisesGraduallyAndTheLongConstantIsSlower) {
  BinAverager fast;
  BinAverager slow;
  fast.SetTimeConstant(0.5);
  slow.SetTimeConstant(2.0);
  float last_fast = 0.0f;
  float last_slow = 0.0f;
  for (int i = 0; i < 10; ++i) {
    fast.Update(View(Flat(1.0f)), 0.11);
    slow.Update(View(Flat(1.0f)), 0.11);
    EXPECT_GT(fast.Power(9), last_fast) << i;  // every step closer, never overshooting
    EXPECT_GT(slow.Power(9), last_slow) << i;
    EXPECT_LT(fast.Power(9), 1.0f) << i;
    EXPECT_LT(slow.Power(9), fast.Power(9)) << i;
    last_fast = fast.Power(9);
    last_slow = slow.Power(9);
  }
  // The first step of 0.11 s moves 1 - exp(-0.22) = 19.7 % of the way at 0.5 s.
  BinAverager one;
  one.SetTimeConstant(0.5);
  one.Update(View(Flat(1.0f)), 0.11);
  EXPECT_NEAR(one.Power(9), 0.1975, 1e-3);
}

TEST(BinAverager, DecaysToExactSilenceAndResetForgets) {
  BinAverager a;
  a.SetTimeConstant(0.5);
  Feed(a, Flat(100.0f), 5.0, 0.11);
  // Half the power is gone after tau ln 2.
  a.Update(View(Flat(0.0f)), 0.5 * std::log(2.0));
  EXPECT_NEAR(a.Power(30), 5000.0f, 1.0f);
  // A long silence ends at zero, never in denormal numbers.
  Feed(a, Flat(0.0f), 60.0, 0.11);
  for (int k = 0; k < kFftLength; ++k) {
    ASSERT_NE(std::fpclassify(a.Power(k)), FP_SUBNORMAL) << k;
    ASSERT_EQ(a.Power(k), 0.0f) << k;
  }
  // Changing the time constant keeps the averages; Reset clears them.
  Feed(a, Flat(2.0f), 5.0, 0.11);
  const float before = a.Power(30);
  a.SetTimeConstant(2.0);
  EXPECT_EQ(a.Power(30), before);
  a.SetTimeConstant(-1.0);
  EXPECT_FALSE(a.Averaging());
  a.Reset();
  EXPECT_EQ(a.Power(30), 0.0f);
}

TEST(BinAverager, OnlyTheBinsOnShowAreFollowed) {
  for (double tau : {0.0, 0.5}) {
    BinAverager a;
    a.SetTimeConstant(tau);
    a.Update(View(Flat(2.0f)), 0.11, 1100);
    EXPECT_GT(a.Power(1099), 0.0f) << tau;
    EXPECT_EQ(a.Power(1100), 0.0f) << tau;
    EXPECT_EQ(a.Power(2047), 0.0f) << tau;
  }
}

}  // namespace
}  // namespace kdsp
