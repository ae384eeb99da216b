#include "spectrum/maths/pink_noise.h"

#include <fftw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kdsp {
namespace {

constexpr double kRate = 48000.0;

double RmsDbfs(const std::vector<float>& x) {
  double sum = 0.0;
  for (float v : x) sum += static_cast<double>(v) * v;
  return 20.0 * std::log10(std::sqrt(sum / x.size()) * std::sqrt(2.0));
}

std::vector<float> Samples(PinkNoise& noise, std::size_t n) {
  std::vector<float> x(n);
  noise.Fill(x);
  return x;
}

/// Welch estimate of the power density: Hann-windowed segments of n samples, half overlapping.
std::vector<double> PowerDensity(const std::vector<float>& x, int n) {
  std::vector<float> in(n);
  std::vector<fftwf_complex> out(n / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, in.data(), out.data(), FFTW_ESTIMATE);
  std::vector<double> density(n / 2 + 1, 0.0);
  for (std::size_t start = 0; start + n <= x.size(); start += n / 2) {
    for (int i = 0; i < n; ++i) {
      in[i] =
          static_cast<float>(x[start + i] * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n)));
    }
    fftwf_execute(plan);
    for (int k = 0; k <= n / 2; ++k) {
      density[k] +=
          static_cast<double>(out[k][0]) * out[k][0] + static_cast<double>(out[k][1]) * out[k][1];
    }
  }
  fftwf_destroy_plan(plan);
  return density;
}

TEST(PinkNoise, RmsLevelInDbfsWithAFullScaleSineAtZero) {
  EXPECT_NEAR(PinkNoise::RmsOfLevel(0.0), 1.0 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(PinkNoise::RmsOfLevel(-20.0), 0.0707107, 1e-6);
  PinkNoise noise;
  EXPECT_EQ(noise.LevelDbfs(), -20.0);  // the default
  Samples(noise, 48000);                // past the filter's start
  EXPECT_NEAR(RmsDbfs(Samples(noise, 1 << 21)), -20.0, 0.1);
  noise.SetLevelDbfs(-40.0);
  const std::vector<float> quiet = Samples(noise, 1 << 21);
  EXPECT_NEAR(RmsDbfs(quiet), -40.0, 0.1);
  EXPECT_LT(*std::max_element(quiet.begin(), quiet.end()), 0.1f);
  // No offset: the mean of a long run is far below the RMS.
  double mean = 0.0;
  for (float v : quiet) mean += v;
  EXPECT_LT(std::abs(mean / quiet.size()), 0.002);
}

TEST(PinkNoise, LoudLevelsClipAtFullScale) {
  PinkNoise noise;
  noise.SetLevelDbfs(6.0);
  const std::vector<float> x = Samples(noise, 200000);
  const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
  EXPECT_EQ(*hi, 1.0f);
  EXPECT_EQ(*lo, -1.0f);
}

TEST(PinkNoise, SameSeedSameNoiseOtherSeedOtherNoise) {
  PinkNoise a(7);
  PinkNoise b(7);
  PinkNoise c(8);
  const std::vector<float> xa = Samples(a, 4096);
  EXPECT_EQ(xa, Samples(b, 4096));
  const std::vector<float> xc = Samples(c, 4096);
  EXPECT_NE(xa, xc);
  EXPECT_GT(std::count_if(xa.begin(), xa.end(), [](float v) { return v != 0.0f; }), 4000);
}

TEST(PinkNoise, FallsThreeDbPerOctaveFromFiftyHertzToFifteenKilohertz) {
  PinkNoise noise(99);
  Samples(noise, 48000);
  const std::vector<float> x = Samples(noise, 1 << 22);
  constexpr int kN = 8192;
  const std::vector<double> density = PowerDensity(x, kN);
  // Third-octave bands from 50 Hz up to 15 kHz: a pink density times f is the same in each.
  std::vector<double> octave;
  std::vector<double> level_db;
  for (double centre = 50.0; centre <= 15000.0 * 1.0001; centre *= std::pow(2.0, 1.0 / 3.0)) {
    const double lo = centre * std::pow(2.0, -1.0 / 6.0);
    const double hi = centre * std::pow(2.0, 1.0 / 6.0);
    double sum = 0.0;
    double weight = 0.0;
    for (int k = 1; k <= kN / 2; ++k) {
      const double f = k * kRate / kN;
      if (f < lo || f >= hi) continue;
      sum += density[k] * f;  // 1/f density times f is flat
      weight += 1.0;
    }
    ASSERT_GT(weight, 0.0) << centre;
    octave.push_back(std::log2(centre / 1000.0));
    level_db.push_back(10.0 * std::log10(sum / weight));
  }
  ASSERT_GE(octave.size(), 25u);
  // Best straight line through the band levels of density (not density times f).
  const double n = static_cast<double>(octave.size());
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < octave.size(); ++i) {
    const double y = level_db[i] - 10.0 * std::log10(1000.0 * std::pow(2.0, octave[i]));
    sx += octave[i];
    sy += y;
    sxx += octave[i] * octave[i];
    sxy += octave[i] * y;
  }
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  EXPECT_NEAR(slope, -10.0 * std::log10(2.0), 0.1) << "dB per octave";
  // Against the ideal -3 dB per octave line through the mean, every band within 1 dB.
  double mean = 0.0;
  for (double l : level_db) mean += l / n;
  for (std::size_t i = 0; i < level_db.size(); ++i) {
    EXPECT_NEAR(level_db[i], mean, 1.0) << "band at " << 1000.0 * std::pow(2.0, octave[i]);
  }
}

}  // namespace
}  // namespace kdsp
