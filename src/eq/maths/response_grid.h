#pragma once

#include <cmath>

namespace kdsp {

/// `GridSteps`: the response grid has points 0..462 from 10 Hz to 24 kHz.
inline constexpr int kGridSteps = 462;
/// `GridDecades`: log10(2400), the decades spanned by the grid.
inline constexpr double kGridDecades = 3.380211241711606;
/// Length of a cached response: grid points 0..kGridSteps plus spare room.
inline constexpr int kResponseLength = 1025;

/// Nearest integer, ties to even, independent of the floating-point rounding mode.
inline double RoundHalfEven(double x) {
  const double f = std::floor(x);
  const double d = x - f;  // exact for every double below 2^52
  if (d > 0.5) return f + 1.0;
  if (d < 0.5) return f;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

/// Grid position E(f) of a frequency in hertz (f > 0): 20 Hz -> 41, 1 kHz -> 273.
inline int GridPosition(double freq_hz) {
  return static_cast<int>(RoundHalfEven((std::log10(freq_hz) - 1.0) / kGridDecades * kGridSteps));
}

/// The frequency that grid point k stands for.
inline double GridFrequency(double k) {
  return std::pow(10.0, 1.0 + k * kGridDecades / kGridSteps);
}

}  // namespace kdsp
