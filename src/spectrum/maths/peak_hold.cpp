#include "spectrum/maths/peak_hold.h"

#include <algorithm>
#include <cmath>

namespace kdsp {

namespace {

constexpr float kSilentPower = 1e-12f;  // see BinAverager

// The power factor of falling for `seconds`.
double FallFactor(double seconds) {
  return std::pow(10.0, -PeakHold::kFallDbPerSecond * seconds / 10.0);
}

}  // namespace

void PeakHold::Reset() {
  peak_.fill(0.0f);
  hold_left_s_.fill(0.0f);
}

void PeakHold::Update(std::span<const float, kFftLength> power, double dt_s, int bins) {
  const double dt = std::max(0.0, dt_s);
  const float whole_step = static_cast<float>(FallFactor(dt));
  const int n = std::clamp(bins, 0, kFftLength);
  for (int k = 0; k < n; ++k) {
    const float p = power[k];
    float& peak = peak_[k];
    float& left = hold_left_s_[k];
    if (p >= peak) {
      peak = p;
      left = static_cast<float>(kHoldSeconds);
      continue;
    }
    const float before = left;
    left = std::max(0.0f, left - static_cast<float>(dt));
    if (before <= 0.0f) {
      peak *= whole_step;
    } else if (before < dt) {
      peak *= static_cast<float>(FallFactor(dt - before));  // the hold ran out during this step
    }
    if (peak < p) peak = p;
    if (peak < kSilentPower) peak = 0.0f;
  }
}

float PeakHold::Magnitude(int bin) const { return std::sqrt(Power(bin)); }

}  // namespace kdsp
