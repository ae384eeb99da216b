#pragma once

#include <array>
#include <span>

#include "spectrum/maths/spectrum_transform.h"

namespace kdsp {

/// Peak hold per transform bin: the highest power seen stays for the hold time after it was
/// reached, then falls at a fixed rate in dB per second until the signal meets it again.
class PeakHold {
 public:
  static constexpr double kHoldSeconds = 3.0;
  static constexpr double kFallDbPerSecond = 20.0;

  /// Forgets every peak.
  void Reset();

  /// The powers of one new spectrum, `dt_s` seconds after the previous one, for bins
  /// 0..bins - 1 (the bins on show); the others keep their peaks.
  void Update(std::span<const float, kFftLength> power, double dt_s, int bins = kFftLength);

  /// Held power of a bin (0 outside 0..2047).
  float Power(int bin) const { return bin >= 0 && bin < kFftLength ? peak_[bin] : 0.0f; }
  /// Square root of the held power, on the scale of a transform magnitude.
  float Magnitude(int bin) const;

 private:
  std::array<float, kFftLength> peak_{};
  std::array<float, kFftLength> hold_left_s_{};
};

}  // namespace kdsp
