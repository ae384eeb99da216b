#pragma once

#include <array>
#include <complex>
#include <span>

#include "spectrum/maths/spectrum_transform.h"

namespace kdsp {

/// Exponential averaging of the power in every transform bin. Each new spectrum moves the
/// average towards its power by 1 - exp(-dt / tau), so a steady signal is reached with the time
/// constant tau whatever the update rate. With averaging off (tau 0) the power of the newest
/// spectrum is kept as it is. Power, not dB, is averaged: the mean of a noise is its power.
class BinAverager {
 public:
  /// tau in seconds; 0 (or less) turns averaging off. The averages are kept.
  void SetTimeConstant(double tau_s) { tau_s_ = tau_s > 0.0 ? tau_s : 0.0; }
  double TimeConstant() const { return tau_s_; }
  bool Averaging() const { return tau_s_ > 0.0; }

  /// Forgets everything: every bin starts again from silence.
  void Reset() { power_.fill(0.0f); }

  /// One new spectrum, `dt_s` seconds after the previous one, for bins 0..bins - 1 (the bins
  /// on show); the others keep their values.
  void Update(std::span<const std::complex<float>, kFftLength> spectrum, double dt_s,
              int bins = kFftLength);

  /// Averaged power |X|^2 of a bin (0 outside 0..2047).
  float Power(int bin) const { return bin >= 0 && bin < kFftLength ? power_[bin] : 0.0f; }
  /// Square root of the averaged power, on the scale of a transform magnitude.
  float Magnitude(int bin) const;
  std::span<const float, kFftLength> Powers() const { return power_; }

 private:
  double tau_s_ = 0.0;
  std::array<float, kFftLength> power_{};
};

}  // namespace kdsp
