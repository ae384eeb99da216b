#include "spectrum/maths/spectrum_bars.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "eq/maths/response_grid.h"

namespace kdsp {

namespace {

// Heights of the lowest bars, from the lowest frequency up.
constexpr std::array<double, kBarFactorCount> kBarFactors = {
    0.40, 0.42, 0.25, 0.47, 0.30, 0.53, 0.76, 0.69, 0.73, 0.57, 0.31, 0.45, 0.79, 0.84, 0.89, 0.94,
    0.90, 0.92, 0.95, 0.77, 0.86, 0.93, 0.86, 0.89, 0.93, 0.87, 0.91, 0.85, 0.99, 0.94, 0.99, 0.94,
    0.96, 0.92, 0.95, 0.97, 0.96, 0.93, 0.96, 0.99, 0.93, 0.97, 0.96, 0.95, 0.99, 0.94, 0.99};

// The graph's own x to frequency map, so that the bars share the curve's axis.
double GraphXToFreq(double x, int width) {
  const double scale = static_cast<double>(width) / kGridSteps;
  return std::pow(10.0, x * kGridDecades / (kGridSteps * scale) + 1.0);
}

}  // namespace

double SpectrumLevelDb(float magnitude, bool low_floor) {
  float m = magnitude;
  if (m > kMagnitudeCeiling) {
    m = kMagnitudeCeiling;
  } else if (m == 0.0f) {
    m = 0.001f;
  }
  double level = 20.0 * std::log10(m / kReferenceMagnitude);
  const double floor_db = low_floor ? kLowFloorDb : kNormalFloorDb;
  if (level < floor_db) {
    level = floor_db;
  } else if (level > 0.0) {
    level = 0.0;
  }
  return level;
}

double LevelToY(float magnitude, int height, bool low_floor) {
  const double floor_db = low_floor ? kLowFloorDb : kNormalFloorDb;
  const double level = SpectrumLevelDb(magnitude, low_floor);
  return (height - 2) - (level - floor_db) / (0.0 - floor_db) * (height - 1);
}

double BarFactor(int bar) { return bar >= 0 && bar < kBarFactorCount ? kBarFactors[bar] : 1.0; }

int BarPitch(int width) { return std::max(1, width / kBarCount); }

int BarBin(int x, int width) {
  const int pitch = BarPitch(width);
  const double f = GraphXToFreq(x + pitch / 2, width);
  const double bin = RoundHalfEven(f / kBarBinWidthHz);
  return static_cast<int>(std::clamp(bin, 0.0, static_cast<double>(kFftLength - 1)));
}

void ComputeBarTops(const SpectrumTransform& transform, int width, int height, bool low_floor,
                    std::span<int> tops) {
  ComputeBarTopsOf([&transform](int bin) { return transform.Magnitude(bin); }, width, height,
                   low_floor, tops);
}

void ComputeBarBins(int width, std::span<int> bins) {
  if (width < 1) return;
  const int pitch = BarPitch(width);
  const std::size_t bars = std::min(bins.size(), static_cast<std::size_t>(BarsOnGraph(width)));
  for (std::size_t a = 0; a < bars; ++a) bins[a] = BarBin(static_cast<int>(a) * pitch, width);
}

int BarsOnGraph(int width) { return width < 0 ? 0 : width / BarPitch(width) + 1; }

double BarY(float magnitude, int bar, int height, bool low_floor) {
  // The y coordinate itself is scaled, so the low bars stand taller.
  return LevelToY(magnitude, height, low_floor) * BarFactor(bar);
}

}  // namespace kdsp
