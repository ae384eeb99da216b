#include "eq/maths/shape_table.h"

#include <cmath>
#include <numbers>

namespace kdsp {

namespace {

constexpr int kHalf = kGridSteps / 2;  // D = 231, the centre (w = pi / 2)

// C: where the compressed middle part of a shelf or filter shape begins.
int WarpStart(ShapeWarp warp) {
  const double share = warp == ShapeWarp::kShelf ? 120.0 : 140.0;
  return static_cast<int>(RoundHalfEven(share * kGridSteps / 512.0));
}

ShapeTable MakeTerms(ShapeWarp warp) {
  const float step = static_cast<float>(std::numbers::pi / kGridSteps);
  ShapeTable p{};
  for (int j = 0; j <= kGridSteps; ++j) {
    const float w = WarpedIndex(warp, j) * step;
    const double half_sin = std::sin(w / 2.0);
    p[j] = static_cast<float>(4.0 * half_sin * half_sin);
  }
  return p;
}

}  // namespace

float WarpedIndex(ShapeWarp warp, int j) {
  if (warp == ShapeWarp::kNone) return static_cast<float>(j);
  const int c = WarpStart(warp);
  const double span = kHalf - c;
  // Filters hold the first value up to and including C; shelves start the slope at C (c_C = 0).
  const bool flat_start = warp == ShapeWarp::kFilter ? j <= c : j < c;
  if (flat_start) return 1.0f;
  if (j <= kHalf) return static_cast<float>(kHalf * (j - c) / span);
  if (j <= kGridSteps - c) return static_cast<float>(kHalf + kHalf * (j - kHalf) / span);
  return static_cast<float>(kGridSteps - 1);
}

const ShapeTable& ShapeTerms(ShapeWarp warp) {
  static const ShapeTable none = MakeTerms(ShapeWarp::kNone);
  static const ShapeTable shelf = MakeTerms(ShapeWarp::kShelf);
  static const ShapeTable filter = MakeTerms(ShapeWarp::kFilter);
  switch (warp) {
    case ShapeWarp::kShelf:
      return shelf;
    case ShapeWarp::kFilter:
      return filter;
    case ShapeWarp::kNone:
      break;
  }
  return none;
}

void ComputeShape(const BiquadCoefficients& section, ShapeWarp warp, bool hold_zeros,
                  ShapeTable& shape) {
  const SectionMagnitude magnitude(section);
  const ShapeTable& p = ShapeTerms(warp);
  for (int j = 0; j <= kGridSteps; ++j) {
    const double num = magnitude.Numerator(p[j]);
    const double den = magnitude.Denominator(p[j]);
    if (hold_zeros && (num == 0.0 || den == 0.0)) {
      // At w = pi a low-pass numerator vanishes; keep the curve finite.
      shape[j] = j > 0 ? shape[j - 1] : 0.0f;
      continue;
    }
    shape[j] = static_cast<float>(SectionMagnitude::Db(num, den));
  }
}

}  // namespace kdsp
