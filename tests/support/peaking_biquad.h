#pragma once

#include <cmath>
#include <complex>

namespace kdsp::testing {

/// Level in dB at `f` of an ordinary peaking biquad at 48 kHz (not the box's steps): what the
/// synthetic rooms of the fit's tests and figures are made of.
inline double PeakingBiquadDb(double f0, double gain_db, double q, double f) {
  const double fs = 48000.0, pi = 3.14159265358979323846;
  const double a = std::pow(10.0, gain_db / 40.0), w0 = 2 * pi * f0 / fs;
  const double alpha = std::sin(w0) / (2 * q), c = std::cos(w0);
  const std::complex<double> z = std::polar(1.0, -2 * pi * f / fs);
  const std::complex<double> num = (1 + alpha * a) - 2 * c * z + (1 - alpha * a) * z * z;
  const std::complex<double> den = (1 + alpha / a) - 2 * c * z + (1 - alpha / a) * z * z;
  return 20 * std::log10(std::abs(num / den));
}

}  // namespace kdsp::testing
