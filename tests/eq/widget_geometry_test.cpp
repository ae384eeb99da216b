// Coordinate maps, drag geometry, label texts and the spline conversion of the graph.

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "eq/cardinal_spline.h"
#include "eq/graph_geometry.h"
#include "eq/graph_texts.h"

namespace kdsp {
namespace {

TEST(GraphGeometry, MapsPutTheAxisEndsOnTheSurfaceEdges) {
  const GraphGeometry g{883, 268};
  EXPECT_NEAR(g.FreqToX(10), 0.0, 1e-9);
  EXPECT_NEAR(g.FreqToX(24000), 883.0, 1e-9);
  EXPECT_NEAR(g.DbToY(12), 0.0, 1e-12);
  EXPECT_NEAR(g.DbToY(-24), 267.0, 1e-12);
  // The 1 kHz line: 522.45 rounds to 522; a flat curve sits on row 89.
  EXPECT_NEAR(g.FreqToX(1000), 522.45, 0.01);
  EXPECT_EQ(RoundHalfEven(g.FreqToX(1000)), 522.0);
  EXPECT_EQ(g.CurvePointY(0.0), 89);
  EXPECT_EQ(g.CurvePointX(0), 0);
  EXPECT_EQ(g.CurvePointX(kGridSteps), 883);
  for (double f : {19.5, 100.0, 1234.5, 20600.0}) EXPECT_NEAR(g.XToFreq(g.FreqToX(f)), f, 1e-9 * f);
  for (double d : {-24.0, -3.2, 0.0, 11.9}) EXPECT_NEAR(g.YToDb(g.DbToY(d)), d, 1e-12);

  const GraphGeometry wide{1920, 1080};
  EXPECT_NEAR(wide.FreqToX(24000), 1920.0, 1e-9);
  EXPECT_NEAR(wide.DbToY(-24), 1079.0, 1e-12);
  EXPECT_EQ(wide.CurvePointY(0.0), 360);  // 1079 / 3 = 359.67
}

TEST(GraphGeometry, DragGeometryFollowsTheSurfaceSize) {
  const DragGeometry d = DragGeometry::For(GraphGeometry{883, 268}, 7);
  EXPECT_EQ(d.step_x, 2);
  EXPECT_EQ(d.step_y, 1);
  EXPECT_EQ(d.marker_top_min, -7);
  EXPECT_EQ(d.marker_top_max, 260);
  const DragGeometry big = DragGeometry::For(GraphGeometry{1596, 737}, 7);
  EXPECT_EQ(big.step_x, 3);  // 1596 / 541.5 = 2.95
  EXPECT_EQ(big.step_y, 2);  // 737 / 360 = 2.05
  EXPECT_EQ(big.marker_top_max, 729);
}

TEST(GraphTexts, ValueLabelsAndAxisTexts) {
  EXPECT_EQ(BandValueText(-3.2f, 1.0f, 1000.0f), "-3.2dB\nQ:1.00\n1000.00Hz");
  EXPECT_EQ(BandValueText(12.0f, 128.0f, 19.7f), "12.0dB\nQ:128.00\n19.70Hz");
  EXPECT_EQ(FilterValueText(false, 19.0f), "HPF:19.00Hz");
  EXPECT_EQ(FilterValueText(true, 20600.0f), "LPF:20600.00Hz");
  // The display patterns take halves away from zero.
  EXPECT_EQ(FormatFixed(0.25, 1), "0.3");
  EXPECT_EQ(FormatFixed(-0.25, 1), "-0.3");
  EXPECT_EQ(FormatFixed(2.5, 0), "3");
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
  EXPECT_EQ(FormatFixed(-0.04, 1), "0.0");
  EXPECT_EQ(FormatFixed(0.05, 2), "0.05");
  EXPECT_EQ(LevelAxisText(0), "-24dB");
  EXPECT_EQ(LevelAxisText(4), "0dB");
  EXPECT_EQ(LevelAxisText(10), "36dB");
}

// The cardinal spline in Hermite form: tangent t (P[i+1] - P[i-1]) with the end points
// repeated, evaluated independently of the Bezier conversion.
SplinePoint Hermite(const std::vector<SplinePoint>& p, std::size_t i, double t, double s) {
  const std::size_t last = p.size() - 1;
  auto at = [&](long k) { return p[static_cast<std::size_t>(std::clamp<long>(k, 0, last))]; };
  const long k = static_cast<long>(i);
  const SplinePoint a = at(k), b = at(k + 1);
  const SplinePoint ma{t * (at(k + 1).x - at(k - 1).x), t * (at(k + 1).y - at(k - 1).y)};
  const SplinePoint mb{t * (at(k + 2).x - at(k).x), t * (at(k + 2).y - at(k).y)};
  const double h00 = 2 * s * s * s - 3 * s * s + 1, h10 = s * s * s - 2 * s * s + s;
  const double h01 = -2 * s * s * s + 3 * s * s, h11 = s * s * s - s * s;
  return {h00 * a.x + h10 * ma.x + h01 * b.x + h11 * mb.x,
          h00 * a.y + h10 * ma.y + h01 * b.y + h11 * mb.y};
}

TEST(CardinalSpline, BezierSegmentsTraceTheCardinalSpline) {
  const std::vector<SplinePoint> pts = {{0, 89}, {2, 80}, {4, 60}, {5, 61}, {7, 120}, {9, 89}};
  for (double tension : {0.4, 0.0, 1.0}) {
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
      const BezierControls c = CardinalSegment(pts, i, tension);
      for (double s : {0.0, 0.25, 0.5, 0.8, 1.0}) {
        const SplinePoint b = BezierPoint(pts[i], c, pts[i + 1], s);
        const SplinePoint h = Hermite(pts, i, tension, s);
        EXPECT_NEAR(b.x, h.x, 1e-9) << "segment " << i << " s " << s << " t " << tension;
        EXPECT_NEAR(b.y, h.y, 1e-9) << "segment " << i << " s " << s << " t " << tension;
      }
    }
  }
  // Neighbouring segments meet with one tangent: the controls mirror each other.
  for (std::size_t i = 0; i + 2 < pts.size(); ++i) {
    const BezierControls left = CardinalSegment(pts, i, 0.4);
    const BezierControls right = CardinalSegment(pts, i + 1, 0.4);
    EXPECT_NEAR(pts[i + 1].x - left.c2.x, right.c1.x - pts[i + 1].x, 1e-12);
    EXPECT_NEAR(pts[i + 1].y - left.c2.y, right.c1.y - pts[i + 1].y, 1e-12);
  }
  // Tension 0 draws the straight chord.
  const BezierControls flat = CardinalSegment(pts, 2, 0.0);
  const SplinePoint mid = BezierPoint(pts[2], flat, pts[3], 0.5);
  EXPECT_NEAR(mid.x, 4.5, 1e-12);
  EXPECT_NEAR(mid.y, 60.5, 1e-12);
}

}  // namespace
}  // namespace kdsp
