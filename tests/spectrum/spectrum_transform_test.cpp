#include "spectrum/maths/spectrum_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace kdsp {
namespace {

// Reference: X[k] = sum x[n] e^(-2 pi i k n / 2048) over the 1024 samples, in double.
std::complex<double> NaiveBin(const std::vector<std::uint8_t>& block, int k) {
  std::complex<double> sum = 0.0;
  for (int n = 0; n < kSamplesPerTransform; ++n) {
    const double x = block[n] / 128.0 - 1.0;
    const double phase = -2.0 * std::numbers::pi * k * n / kFftLength;
    sum += x * std::complex<double>(std::cos(phase), std::sin(phase));
  }
  return sum;
}

std::vector<std::uint8_t> RandomBlock(unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> dist(0, 255);
  std::vector<std::uint8_t> block(kSamplesPerTransform);
  for (auto& b : block) b = static_cast<std::uint8_t>(dist(gen));
  return block;
}

TEST(SpectrumTransform, InputIsScaledSamplesZeroPadded) {
  SpectrumTransform t;
  for (const auto& v : t.FftInput()) EXPECT_EQ(v, std::complex<float>(0, 0));
  std::vector<std::uint8_t> block(kSamplesPerTransform, 128);
  block[0] = 0;
  block[1] = 255;
  block[2] = 64;
  block[1023] = 192;
  t.Run(block);
  const auto in = t.FftInput();
  EXPECT_EQ(in[0], std::complex<float>(-1.0f, 0));
  EXPECT_EQ(in[1], std::complex<float>(0.9921875f, 0));
  EXPECT_EQ(in[2], std::complex<float>(-0.5f, 0));
  EXPECT_EQ(in[3], std::complex<float>(0.0f, 0));
  EXPECT_EQ(in[1023], std::complex<float>(0.5f, 0));
  for (int i = kSamplesPerTransform; i < kFftLength; ++i) {
    ASSERT_EQ(in[i], std::complex<float>(0, 0)) << i;
  }
  // A short block: the missing samples count as silence, not as the previous block's values.
  const std::vector<std::uint8_t> short_block(10, 200);
  t.Run(short_block);
  EXPECT_EQ(t.FftInput()[9].real(), 200.0f / 128.0f - 1.0f);
  EXPECT_EQ(t.FftInput()[10].real(), 0.0f);
  EXPECT_EQ(t.FftInput()[1023].real(), 0.0f);
}

TEST(SpectrumTransform, MatchesUnscaledForwardDftAndDampsLowestBins) {
  SpectrumTransform t;
  const auto block = RandomBlock(7);
  t.Run(block);
  const auto out = t.FftOutput();
  for (int k : {3, 4, 17, 42, 511, 1024, 1500, 2047}) {
    const auto ref = NaiveBin(block, k);
    EXPECT_NEAR(out[k].real(), ref.real(), 1e-3 * (1 + std::abs(ref))) << k;
    EXPECT_NEAR(out[k].imag(), ref.imag(), 1e-3 * (1 + std::abs(ref))) << k;
    EXPECT_FLOAT_EQ(t.Magnitude(k), static_cast<float>(std::abs(std::complex<double>(out[k]))));
  }
  // Bins 0, 1, 2 are multiplied by 0, 0.1 and 0.8.
  const double factors[3] = {0.0, 0.1, 0.8};
  for (int k = 0; k < 3; ++k) {
    const auto ref = NaiveBin(block, k) * factors[k];
    EXPECT_NEAR(out[k].real(), ref.real(), 1e-3 * (1 + std::abs(ref))) << k;
    EXPECT_NEAR(out[k].imag(), ref.imag(), 1e-3 * (1 + std::abs(ref))) << k;
  }
  EXPECT_EQ(t.Magnitude(0), 0.0f);
  EXPECT_EQ(t.Magnitude(-1), 0.0f);
  EXPECT_EQ(t.Magnitude(kFftLength), 0.0f);
}

TEST(SpectrumTransform, FullScaleSineAndSilence) {
  SpectrumTransform t;
  std::vector<std::uint8_t> sine(kSamplesPerTransform);
  for (int i = 0; i < kSamplesPerTransform; ++i) {
    sine[i] = static_cast<std::uint8_t>(
        std::lround(128.0 + 127.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0)));
  }
  t.Run(sine);
  // 1 kHz lies at bin 42.67 of 23.4375 Hz; without scaling its peak is near 1024 * 127/128 / 2.
  int peak = 3;
  for (int k = 3; k < kFftLength / 2; ++k) {
    if (t.Magnitude(k) > t.Magnitude(peak)) peak = k;
  }
  EXPECT_EQ(peak, 43);
  EXPECT_GT(t.Magnitude(43), 400.0f);
  EXPECT_LT(t.Magnitude(43), 512.0f);
  // Real input: the upper half mirrors the lower half.
  EXPECT_NEAR(t.Magnitude(kFftLength - 43), t.Magnitude(43), 1e-2);

  t.Run(std::vector<std::uint8_t>(kSamplesPerTransform, 128));
  for (int k = 0; k < kFftLength; ++k) ASSERT_EQ(t.Magnitude(k), 0.0f) << k;
  t.Run({});  // no block yet: silence as well
  for (int k = 0; k < kFftLength; ++k) ASSERT_EQ(t.Magnitude(k), 0.0f) << k;
}

}  // namespace
}  // namespace kdsp
