#pragma once

// Coordinate maps of the equaliser graph and the geometry of a marker drag. Plain arithmetic on
// the drawing surface's size: no widget needed, so the spectrum and the tests use them directly.

#include <cmath>

#include "eq/maths/response_grid.h"

namespace kdsp {

/// `GraphTopDb` / `GraphBottomDb`: the level axis runs from +12 dB at the top to -24 dB.
inline constexpr int kGraphTopDb = 12;
inline constexpr int kGraphBottomDb = -24;
/// Bounds of a marker drag; the same values as the axis, kept apart on purpose.
inline constexpr int kDragTopDb = 12;
inline constexpr int kDragBottomDb = -24;

/// The maps of a drawing surface of `width` x `height` pixels: a logarithmic frequency axis
/// from 10 Hz at x 0 to 24 kHz at x = width, a linear level axis from +12 dB at y 0 to -24 dB
/// at y = height - 1. Results are real; callers round where they place pixels.
struct GraphGeometry {
  int width = 883;
  int height = 268;

  /// `GraphScale`: pixels per grid step.
  double Scale() const { return static_cast<double>(width) / kGridSteps; }

  double FreqToX(double freq_hz) const {
    return (std::log10(freq_hz) - 1.0) / kGridDecades * kGridSteps * Scale();
  }
  double XToFreq(double x) const {
    return std::pow(10.0, x * kGridDecades / (kGridSteps * Scale()) + 1.0);
  }
  double DbToY(double gain_db) const {
    return (kGraphTopDb - gain_db) / (kGraphTopDb - kGraphBottomDb) * (height - 1);
  }
  double YToDb(double y) const {
    return kGraphTopDb - y / (height - 1) * (kGraphTopDb - kGraphBottomDb);
  }

  /// x of curve point k: rnd(k x (W / N)) with W / N held in single precision.
  int CurvePointX(int k) const {
    const float step = static_cast<float>(width) / static_cast<float>(kGridSteps);
    return static_cast<int>(RoundHalfEven(k * static_cast<double>(step)));
  }
  /// y of a curve level in dB, rounded to the pixel row.
  int CurvePointY(double gain_db) const { return static_cast<int>(RoundHalfEven(DbToY(gain_db))); }
};

/// Step thresholds and the vertical range of a marker's top edge during a drag. `half` is half
/// the marker's height, rounded towards zero (7 for the 14-pixel markers).
struct DragGeometry {
  int step_x = 2;            ///< `DragStepX`
  int step_y = 1;            ///< `DragStepY`
  int marker_top_min = -7;   ///< `MarkerTopMin`
  int marker_top_max = 260;  ///< `MarkerTopMax`

  static DragGeometry For(const GraphGeometry& g, int half) {
    DragGeometry d;
    d.step_x = static_cast<int>(RoundHalfEven(g.width / 361.0 / 1.5));
    d.step_y = static_cast<int>(
        RoundHalfEven(static_cast<double>(g.height) / ((kDragTopDb - kDragBottomDb) * 10)));
    d.marker_top_min = static_cast<int>(RoundHalfEven(g.DbToY(kDragTopDb) - half));
    d.marker_top_max = static_cast<int>(RoundHalfEven(g.DbToY(kDragBottomDb) - half));
    return d;
  }
};

}  // namespace kdsp
