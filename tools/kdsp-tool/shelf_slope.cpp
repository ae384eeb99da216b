#include "kdsp-tool/shelf_slope.h"

#include <cmath>
#include <limits>

namespace kdsp::tool {

namespace {

double APlusInverse(double gain_db) {
  const double a = std::pow(10.0, gain_db / 40.0);
  return a + 1.0 / a;
}

}  // namespace

double ShelfQFromSlope(double slope, double gain_db) {
  const double inv_q_squared = APlusInverse(gain_db) * (1.0 / slope - 1.0) + 2.0;
  // The box's slopes end at 1.60, where the term stays positive for every gain it holds.
  return inv_q_squared > 0 ? 1.0 / std::sqrt(inv_q_squared)
                           : std::numeric_limits<double>::infinity();
}

double ShelfSlopeFromQ(double q, double gain_db) {
  const double inv_slope = (1.0 / (q * q) - 2.0) / APlusInverse(gain_db) + 1.0;
  return inv_slope > 0 ? 1.0 / inv_slope : std::numeric_limits<double>::infinity();
}

}  // namespace kdsp::tool
