#pragma once

#include <array>
#include <span>

#include "eq/maths/biquad_section.h"
#include "eq/maths/response_grid.h"

namespace kdsp {

/// One shape table: the response of a section at points 0..N of a (possibly warped) linear
/// frequency axis from 0 to pi.
using ShapeTable = std::array<float, kGridSteps + 1>;

/// How a row's shape is sampled: peaking and bypass bands unwarped; shelves and filters
/// compressed around the centre with flat ends (C = 108 and C = 126).
enum class ShapeWarp { kNone, kShelf, kFilter };

/// Warped index c_j (single precision) of point j for a warp.
float WarpedIndex(ShapeWarp warp, int j);

/// p = 4 sin^2(w_j / 2) of every point of a warp, with w_j = c_j * (pi / N) in single precision.
/// Computed once for the run.
const ShapeTable& ShapeTerms(ShapeWarp warp);

/// Fills `shape` with dB(w_j) of one section. With `hold_zeros` (low-pass rows) a point whose
/// numerator or denominator term is exactly 0 repeats the previous point instead of taking a
/// logarithm of 0.
void ComputeShape(const BiquadCoefficients& section, ShapeWarp warp, bool hold_zeros,
                  ShapeTable& shape);

}  // namespace kdsp
