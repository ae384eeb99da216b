#include "spectrum/maths/bin_averager.h"

#include <algorithm>
#include <cmath>

namespace kdsp {

namespace {

// Averages that decay below this are silence; flushing them keeps the arithmetic out of
// denormal numbers, which are slow. It is some 130 dB under the lowest bar floor.
constexpr float kSilentPower = 1e-12f;

}  // namespace

void BinAverager::Update(std::span<const std::complex<float>, kFftLength> spectrum, double dt_s,
                         int bins) {
  const int n = std::clamp(bins, 0, kFftLength);
  if (tau_s_ <= 0.0) {
    for (int k = 0; k < n; ++k) power_[k] = std::norm(spectrum[k]);
    return;
  }
  const float a = static_cast<float>(1.0 - std::exp(-std::max(0.0, dt_s) / tau_s_));
  for (int k = 0; k < n; ++k) {
    float p = power_[k] + a * (std::norm(spectrum[k]) - power_[k]);
    power_[k] = p < kSilentPower ? 0.0f : p;
  }
}

float BinAverager::Magnitude(int bin) const { return std::sqrt(Power(bin)); }

}  // namespace kdsp
