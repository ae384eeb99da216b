#include "eq/cardinal_spline.h"

namespace kdsp {

BezierControls CardinalSegment(std::span<const SplinePoint> points, std::size_t i, double tension) {
  const std::size_t last = points.size() - 1;
  const SplinePoint& before = points[i == 0 ? 0 : i - 1];
  const SplinePoint& from = points[i];
  const SplinePoint& to = points[i + 1];
  const SplinePoint& after = points[i + 2 > last ? last : i + 2];
  const double k = tension / 3.0;
  return BezierControls{
      {from.x + k * (to.x - before.x), from.y + k * (to.y - before.y)},
      {to.x - k * (after.x - from.x), to.y - k * (after.y - from.y)},
  };
}

SplinePoint BezierPoint(const SplinePoint& p0, const BezierControls& c, const SplinePoint& p3,
                        double s) {
  const double u = 1.0 - s;
  const double b0 = u * u * u;
  const double b1 = 3 * u * u * s;
  const double b2 = 3 * u * s * s;
  const double b3 = s * s * s;
  return {b0 * p0.x + b1 * c.c1.x + b2 * c.c2.x + b3 * p3.x,
          b0 * p0.y + b1 * c.c1.y + b2 * c.c2.y + b3 * p3.y};
}

}  // namespace kdsp
