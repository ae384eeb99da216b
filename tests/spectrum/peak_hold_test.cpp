#include "spectrum/maths/peak_hold.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kdsp {
namespace {

class PeakHoldTest : public ::testing::Test {
 protected:
  /// Every bin at `power`.
  void Step(float power, double dt) {
    std::fill(power_.begin(), power_.end(), power);
    peaks_.Update(std::span<const float, kFftLength>(power_.data(), kFftLength), dt);
  }
  double PeakDb(int bin = 5) const { return 10.0 * std::log10(peaks_.Power(bin)); }

  PeakHold peaks_;
  std::vector<float> power_ = std::vector<float>(kFftLength);
};

TEST_F(PeakHoldTest, HoldsThreeSecondsThenFallsTwentyDbPerSecond) {
  Step(1.0f, 0.11);                // 0 dB
  for (int i = 1; i <= 27; ++i) {  // 2.97 s of quiet: still held
    Step(1e-4f, 0.11);
    ASSERT_EQ(peaks_.Power(5), 1.0f) << i;
  }
  Step(1e-4f, 0.11);  // 3.08 s: 0.08 s of falling
  EXPECT_NEAR(PeakDb(), -1.6, 1e-3);
  Step(1e-4f, 0.11);
  EXPECT_NEAR(PeakDb(), -3.8, 1e-3);
  EXPECT_NEAR(peaks_.Magnitude(5), std::pow(10.0, -3.8 / 20.0), 1e-4);
  // It stops falling where the signal is (-40 dB).
  for (int i = 0; i < 40; ++i) Step(1e-4f, 0.11);
  EXPECT_FLOAT_EQ(peaks_.Power(5), 1e-4f);
}

TEST_F(PeakHoldTest, HoldEndingWithinAStepFallsOnlyForTheRest) {
  Step(1.0f, 0.7);
  for (int i = 0; i < 5; ++i) Step(0.0f, 0.7);  // 0.2 s of hold were left before the last step
  EXPECT_NEAR(PeakDb(), -10.0, 1e-3);
  Step(0.0f, 0.7);
  EXPECT_NEAR(PeakDb(), -24.0, 1e-3);
}

TEST_F(PeakHoldTest, HigherPeaksRestartTheHoldLowerOnesDoNot) {
  Step(0.01f, 0.11);  // -20 dB
  for (int i = 0; i < 20; ++i) Step(0.001f, 0.11);
  Step(0.01f, 0.11);  // the same level again restarts the hold
  for (int i = 0; i < 20; ++i) Step(0.001f, 0.11);
  EXPECT_FLOAT_EQ(peaks_.Power(5), 0.01f);  // 2.2 s after the repeat, 4.6 s after the first
  Step(0.1f, 0.11);
  EXPECT_FLOAT_EQ(peaks_.Power(5), 0.1f);
  for (int i = 0; i < 27; ++i) Step(0.05f, 0.11);  // lower: held
  EXPECT_FLOAT_EQ(peaks_.Power(5), 0.1f);
  for (int i = 0; i < 5; ++i) Step(0.05f, 0.11);
  EXPECT_FLOAT_EQ(peaks_.Power(5), 0.05f);  // fell 3 dB onto the signal and stays on it
}

TEST_F(PeakHoldTest, BinsAreIndependentAndResetForgets) {
  power_.assign(kFftLength, 0.0f);
  power_[40] = 4.0f;
  peaks_.Update(std::span<const float, kFftLength>(power_.data(), kFftLength), 0.11);
  EXPECT_EQ(peaks_.Power(40), 4.0f);
  EXPECT_EQ(peaks_.Magnitude(40), 2.0f);
  EXPECT_EQ(peaks_.Power(41), 0.0f);
  EXPECT_EQ(peaks_.Power(-3), 0.0f);
  // Long silence ends at zero rather than in denormal numbers.
  for (int i = 0; i < 400; ++i) Step(0.0f, 0.11);
  EXPECT_EQ(peaks_.Power(40), 0.0f);
  Step(1.0f, 0.11);
  peaks_.Reset();
  EXPECT_EQ(peaks_.Power(40), 0.0f);
  // Bins beyond those on show keep their peaks.
  Step(1.0f, 0.11);
  std::fill(power_.begin(), power_.end(), 0.0f);
  for (int i = 0; i < 60; ++i) {
    peaks_.Update(std::span<const float, kFftLength>(power_.data(), kFftLength), 0.11, 1000);
  }
  EXPECT_LT(peaks_.Power(999), 1e-7f);  // fallen some 70 dB
  EXPECT_EQ(peaks_.Power(1000), 1.0f);
}

}  // namespace
}  // namespace kdsp
