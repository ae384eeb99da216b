#pragma once

#include <algorithm>
#include <span>

#include "eq/maths/response_grid.h"

#include "spectrum/maths/spectrum_transform.h"

namespace kdsp {

/// Bars across the graph, bars that get a factor, and the bin width the bars assume (the true
/// width at 48 kHz is 23.4375 Hz).
inline constexpr int kBarCount = 120;
inline constexpr int kBarFactorCount = 47;
inline constexpr double kBarBinWidthHz = 23.0;
/// Magnitudes are capped at 120 and measured against 128, so a bar tops out at about -0.56 dB.
inline constexpr float kMagnitudeCeiling = 120.0f;
inline constexpr double kReferenceMagnitude = 128.0;
/// Bar floors in dB: normal and `LowFloor`.
inline constexpr double kNormalFloorDb = -52.0;
inline constexpr double kLowFloorDb = -64.0;

/// Level of a bin magnitude in dB against 128, after the ceiling (120), the zero guard (0.001)
/// and the floor (-52 dB, or -64 dB with `LowFloor`); never above 0.
double SpectrumLevelDb(float magnitude, bool low_floor);

/// Level to y on a graph of the given height: the floor at y = height - 2, 0 dB at y = -1.
double LevelToY(float magnitude, int height, bool low_floor);

/// Factor of the y coordinate of bar 0..46 (the low bars stand taller); 1 for other bars.
double BarFactor(int bar);

/// Bar pitch in pixels for a graph width: width div 120, at least 1.
int BarPitch(int width);

/// Transform bin shown by the bar whose first column is x: rnd(f / 23) with f the graph
/// frequency at the bar's middle column.
int BarBin(int x, int width);

/// Top y of every pixel column 0..width of the bar display, rounded to the nearest integer:
/// the first column of a bar computes the level of its bin (times the bar factor for the first
/// 47 bars), the other columns repeat it, and the last two columns of each bar hold `height` (a
/// gap: nothing drawn). `tops` needs room for width + 1 values; extra entries are untouched.
void ComputeBarTops(const SpectrumTransform& transform, int width, int height, bool low_floor,
                    std::span<int> tops);

/// Number of bars whose first column lies on a graph of the given width (0..width).
int BarsOnGraph(int width);

/// y of bar `bar` for a bin magnitude: level to y, times the bar factor.
double BarY(float magnitude, int bar, int height, bool low_floor);

/// `ComputeBarTops` with the magnitude of each bar's bin taken from `magnitude_of(bin)`, for
/// averaged spectra.
template <typename MagnitudeOfBin>
void ComputeBarTopsOf(MagnitudeOfBin magnitude_of, int width, int height, bool low_floor,
                      std::span<int> tops) {
  if (width < 1) return;
  const int pitch = BarPitch(width);
  const int last = std::min(width, static_cast<int>(tops.size()) - 1);
  double v = height;
  for (int x = 0; x <= last; ++x) {
    const int r = x % pitch;
    double column = v;
    if (r == 0) {
      v = BarY(magnitude_of(BarBin(x, width)), x / pitch, height, low_floor);
      column = v;
    } else if (r > pitch - 3) {
      column = height;  // the gap between bars
    }
    tops[x] = static_cast<int>(RoundHalfEven(column));
  }
}

/// The bin of every bar 0..BarsOnGraph(width) - 1: `BarBin` of its first column. Extra
/// entries are untouched.
void ComputeBarBins(int width, std::span<int> bins);

/// The rounded y of the bars whose bins are `bins` (from `ComputeBarBins`) for the magnitudes
/// `magnitude_of(bin)` (peak lines): the same rows as the bars' tops would have for those
/// magnitudes.
template <typename MagnitudeOfBin>
void ComputeBarRowsOf(MagnitudeOfBin magnitude_of, std::span<const int> bins, int height,
                      bool low_floor, std::span<int> rows) {
  const std::size_t bars = std::min(bins.size(), rows.size());
  for (std::size_t a = 0; a < bars; ++a) {
    const double v = BarY(magnitude_of(bins[a]), static_cast<int>(a), height, low_floor);
    rows[a] = static_cast<int>(RoundHalfEven(v));
  }
}

}  // namespace kdsp
