#pragma once

// A cardinal spline drawn as cubic Bezier segments. The spline through P0..Pn-1 with tension t
// has the tangent t (P[i+1] - P[i-1]) at Pi, and t (P1 - P0), t (Pn-1 - Pn-2) at the ends; the
// Bezier segment from Pi to Pi+1 with the control points below has exactly those tangents.

#include <cstddef>
#include <span>

namespace kdsp {

struct SplinePoint {
  double x = 0;
  double y = 0;
  bool operator==(const SplinePoint&) const = default;
};

/// The two inner control points of segment i (from points[i] to points[i+1]):
/// c1 = P[i] + t/3 (P[i+1] - P[i-1]) and c2 = P[i+1] - t/3 (P[i+2] - P[i]), an index outside
/// the points standing for the nearest end point. Needs at least two points and i < n - 1.
struct BezierControls {
  SplinePoint c1;
  SplinePoint c2;
};
BezierControls CardinalSegment(std::span<const SplinePoint> points, std::size_t i, double tension);

/// The point at parameter s (0..1) of the cubic Bezier p0, c1, c2, p3.
SplinePoint BezierPoint(const SplinePoint& p0, const BezierControls& c, const SplinePoint& p3,
                        double s);

}  // namespace kdsp
