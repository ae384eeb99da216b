#include "spectrum/maths/pink_noise.h"

#include <algorithm>
#include <cmath>

namespace kdsp {

namespace {

// Kellet's refined filter: pole and input weight of the six recursive sections, then the
// weight of the one-sample delayed input and of the direct input.
constexpr std::array<double, 6> kPole = {0.99886, 0.99332, 0.96900, 0.86650, 0.55000, -0.7616};
constexpr std::array<double, 6> kWeight = {0.0555179, 0.0750759, 0.1538520,
                                           0.3104856, 0.5329522, -0.0168980};
constexpr double kDelayedWeight = 0.115926;
constexpr double kDirectWeight = 0.5362;
// Variance of the white noise: uniform on [-1, 1).
constexpr double kWhiteVariance = 1.0 / 3.0;

// Output variance of the filter for white input of unit variance, exactly: the sections are
// first-order recursions driven by the same noise, so their covariances are w_i w_j /
// (1 - p_i p_j); the direct input meets each section's own share w_i, and the delayed input
// meets that share one step later, p_i w_i.
double FilterVariance() {
  double v = kDelayedWeight * kDelayedWeight + kDirectWeight * kDirectWeight;
  for (std::size_t i = 0; i < kPole.size(); ++i) {
    for (std::size_t j = 0; j < kPole.size(); ++j) {
      v += kWeight[i] * kWeight[j] / (1.0 - kPole[i] * kPole[j]);
    }
    v += 2.0 * kWeight[i] * (kDirectWeight + kDelayedWeight * kPole[i]);
  }
  return v;
}

}  // namespace

PinkNoise::PinkNoise(std::uint32_t seed) : state_(seed != 0 ? seed : 1u) {
  SetLevelDbfs(kDefaultLevelDbfs);
}

double PinkNoise::RmsOfLevel(double level_dbfs) {
  return std::pow(10.0, level_dbfs / 20.0) / std::sqrt(2.0);
}

void PinkNoise::SetLevelDbfs(double level_dbfs) {
  level_dbfs_ = level_dbfs;
  static const double kFilterRms = std::sqrt(FilterVariance() * kWhiteVariance);
  gain_ = RmsOfLevel(level_dbfs) / kFilterRms;
}

double PinkNoise::White() {
  // xorshift32: fast, and good enough for noise that is filtered and listened to.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<std::int32_t>(state_) / 2147483648.0;
}

float PinkNoise::Next() {
  const double w = White();
  double sum = b_[6] + kDirectWeight * w;
  for (std::size_t i = 0; i < kPole.size(); ++i) {
    b_[i] = kPole[i] * b_[i] + kWeight[i] * w;
    sum += b_[i];
  }
  b_[6] = kDelayedWeight * w;
  return static_cast<float>(std::clamp(sum * gain_, -1.0, 1.0));
}

void PinkNoise::Fill(std::span<float> out) {
  for (float& s : out) s = Next();
}

}  // namespace kdsp
