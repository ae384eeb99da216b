#include "eq/maths/band_response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "eq/maths/biquad_section.h"

namespace kdsp {
namespace {

using Response = std::array<float, kResponseLength>;
constexpr int N = kGridSteps;

struct Fixture {
  std::unique_ptr<ResponseScratch> scratch = std::make_unique<ResponseScratch>();

  Response Compute(int code, int freq, float q, float gain) {
    Response r;
    r.fill(0.0f);
    BandResponse(code, freq, q, gain, r, *scratch);
    return r;
  }
  ShapeTable Shape(int code, float q = 1.0f, float gain = 0.0f) {
    EXPECT_TRUE(RowShape(code, q, gain, *scratch));
    return scratch->shape;
  }
};

bool SameOnGrid(const Response& a, const Response& b) {
  return std::equal(a.begin(), a.begin() + N + 1, b.begin());
}

TEST(ResponseGrid, PositionsRoundingAndDesignPoint) {
  EXPECT_DOUBLE_EQ(kGridDecades, std::log10(2400.0));
  EXPECT_EQ(GridPosition(10), 0);
  EXPECT_EQ(GridPosition(20), 41);
  EXPECT_EQ(GridPosition(1000), 273);
  EXPECT_EQ(GridPosition(20000), 451);
  EXPECT_EQ(GridPosition(20600), 453);
  EXPECT_EQ(GridPosition(24000), 462);
  EXPECT_NEAR(GridFrequency(462), 24000.0, 1e-8);
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(19.7), 20.0);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3.0);
  // The design point is pi/2 in single precision, so c is tiny but not zero.
  EXPECT_EQ(Design().w0, 1.5707963705062866);
  EXPECT_NEAR(Design().c, -4.371139e-8, 1e-14);
  EXPECT_LT(Design().c, 0.0);
}

TEST(BiquadSection, DesignsUseTheSinglePrecisionDesignPoint) {
  // -2c is tiny but present in every section's middle term.
  const float two_c = 8.742278e-08f;
  // Peaking, Q 1.00, +12 dB: Q' = 2.8 * 1.01, alpha = 1 / (5.6 * 1.01), A = 10^0.3.
  const BiquadCoefficients peak = PeakingSection(1.0f, 12.0f);
  EXPECT_FLOAT_EQ(peak.b0, 1.3527691f);
  EXPECT_FLOAT_EQ(peak.b2, 0.64723086f);
  EXPECT_FLOAT_EQ(peak.a0, 1.0886116f);
  EXPECT_FLOAT_EQ(peak.a2, 0.9113884f);
  EXPECT_FLOAT_EQ(peak.b1, two_c);
  EXPECT_FLOAT_EQ(peak.a1, two_c);
  // Low shelf, slope 6.00 (worked as 4.001), +6 dB.
  const BiquadCoefficients shelf = LowShelfSection(6.0f, 6.0f);
  EXPECT_FLOAT_EQ(shelf.b0, 4.48211f);
  EXPECT_FLOAT_EQ(shelf.a0, 3.1730907f);
  // First-order high-pass: 1 + c rounds below 1, and s - c - 1 is not zero.
  const BiquadCoefficients hp1 = FirstOrderSection(true);
  EXPECT_EQ(hp1.b0, 0.99999994f);
  EXPECT_EQ(hp1.a0, 2.0f);
  EXPECT_FLOAT_EQ(hp1.a1, 4.371139e-08f);
  // Butterworth and Bessel qualities.
  EXPECT_FLOAT_EQ(ButterworthAlpha(4, 0), 0.38268343f);  // q = 1.3066
  EXPECT_FLOAT_EQ(ButterworthAlpha(4, 1), 0.9238795f);   // q = 0.5412
  EXPECT_FLOAT_EQ(ButterworthAlpha(3, 0), 0.5f);         // q = 1
  EXPECT_FLOAT_EQ(AlphaForQuality(1 / std::sqrt(3.0)), 0.8660254f);
  EXPECT_FLOAT_EQ(AlphaForQuality(1 / std::sqrt(2.0)), 0.70710677f);
}

TEST(BandResponse, FlatRowsAreExactlyZero) {
  Fixture f;
  // A 0 dB peaking band at any Q, every bypass code whatever its gain, and filter bypass.
  for (float q : {0.4f, 1.0f, 7.1f, 128.0f}) {
    for (int freq : {10, 1000, 20600}) {
      const Response r = f.Compute(kCodePeaking, freq, q, 0.0f);
      for (int k = 0; k <= N; ++k) ASSERT_EQ(r[k], 0.0f) << q << " " << freq << " " << k;
    }
  }
  for (int code : {0, 4, 50, 99, 100, 200}) {
    Response r;
    r.fill(5.0f);
    BandResponse(code, 1000, 1.0f, 12.0f, r, *f.scratch);
    for (int k = 0; k <= N; ++k) ASSERT_EQ(r[k], 0.0f) << code << " " << k;
  }
}

TEST(BandResponse, PeakingBandPeaksOnItsFrequencyAndIsSymmetric) {
  Fixture f;
  const Response r = f.Compute(kCodePeaking, 1000, 1.0f, 12.0f);
  const auto peak = std::max_element(r.begin(), r.begin() + N + 1) - r.begin();
  EXPECT_EQ(peak, 273);
  EXPECT_NEAR(r[273], 12.0f, 1e-3);
  // Symmetric in grid steps as far as the right side reaches (273 + 189 = 462).
  for (int m = 1; m <= N - 273; ++m) {
    ASSERT_NEAR(r[273 - m], r[273 + m], 1e-4) << m;
  }
  EXPECT_LT(r[273 + 40], 6.0f);  // a real bell, not a plateau
  EXPECT_GT(r[273 + 40], 0.5f);
  // The left tail beyond the shape's start repeats its first value.
  for (int k = 0; k <= 273 - 231; ++k) ASSERT_EQ(r[k], r[273 - 231]) << k;
  // A cut is the mirror image of the boost.
  const Response cut = f.Compute(kCodePeaking, 1000, 1.0f, -12.0f);
  for (int k = 0; k <= N; ++k) ASSERT_NEAR(cut[k], -r[k], 1e-5) << k;
  // Higher Q, narrower bell.
  const Response narrow = f.Compute(kCodePeaking, 1000, 4.0f, 12.0f);
  EXPECT_NEAR(narrow[273], 12.0f, 1e-3);
  EXPECT_LT(narrow[273 + 40], r[273 + 40]);
}

TEST(BandResponse, EqualBandsAreShiftsOfEachOther) {
  Fixture f;
  for (int code : {kCodePeaking, kCodeLowShelf, kCodeHighShelf, 102, 208}) {
    const Response a = f.Compute(code, 500, 2.0f, -6.0f);
    const Response b = f.Compute(code, 4000, 2.0f, -6.0f);
    const int shift = GridPosition(4000) - GridPosition(500);
    EXPECT_EQ(shift, 124);
    for (int k = 0; k + shift <= N; ++k) ASSERT_EQ(a[k], b[k + shift]) << code << " " << k;
  }
}

TEST(BandResponse, HighestQValuesAreRemapped) {
  EXPECT_EQ(RemapQ(102.0f), 98.0f);
  EXPECT_EQ(RemapQ(108.0f), 100.0f);
  EXPECT_EQ(RemapQ(114.0f), 101.0f);
  EXPECT_EQ(RemapQ(121.0f), 102.0f);
  EXPECT_EQ(RemapQ(128.0f), 103.0f);
  EXPECT_EQ(RemapQ(96.0f), 96.0f);
  EXPECT_EQ(RemapQ(101.99f), 101.99f);
  Fixture f;
  auto peak = [&](float q) { return f.Compute(kCodePeaking, 1000, q, 6.0f); };
  EXPECT_TRUE(SameOnGrid(peak(128.0f), peak(103.0f)));
  EXPECT_TRUE(SameOnGrid(peak(102.0f), peak(98.0f)));
  EXPECT_TRUE(SameOnGrid(peak(108.0f), peak(100.0f)));
  // One step only: 121 is drawn as 102, not carried on to 98.
  EXPECT_FALSE(SameOnGrid(peak(121.0f), peak(102.0f)));
  EXPECT_FALSE(SameOnGrid(peak(96.0f), peak(98.0f)));
  EXPECT_FALSE(SameOnGrid(peak(96.0f), peak(95.0f)));
}

TEST(BandResponse, LowFrequenciesAreRaisedToTenHertz) {
  Fixture f;
  const Response at10 = f.Compute(kCodePeaking, 10, 1.0f, 12.0f);
  EXPECT_TRUE(SameOnGrid(f.Compute(kCodePeaking, 5, 1.0f, 12.0f), at10));
  EXPECT_TRUE(SameOnGrid(f.Compute(kCodePeaking, -3, 1.0f, 12.0f), at10));
  EXPECT_FALSE(SameOnGrid(f.Compute(kCodePeaking, 11, 1.0f, 12.0f), at10));
  EXPECT_EQ(std::max_element(at10.begin(), at10.begin() + N + 1) - at10.begin(), 0);
}

TEST(BandResponse, ShelvesLevelOffAtTheirGainWithSlopeCappedAtFour) {
  EXPECT_EQ(ShelfSlope(6.0f), 4.001f);
  EXPECT_EQ(ShelfSlope(4.0f), 4.001f);
  EXPECT_EQ(ShelfSlope(1.0f), 1.001f);
  Fixture f;
  // Shape points: C = 108 is zero frequency, 231 the design point, N - C = 354 is pi.
  const ShapeTable low = f.Shape(kCodeLowShelf, 1.0f, 6.0f);
  EXPECT_NEAR(low[108], 6.0f, 1e-4);
  EXPECT_NEAR(low[231], 3.0f, 1e-3);
  EXPECT_NEAR(low[354], 0.0f, 1e-4);
  EXPECT_NEAR(low[0], 6.0f, 0.01);  // held just above zero frequency
  EXPECT_EQ(low[461], low[N]);      // both held at N - 1
  const ShapeTable high = f.Shape(kCodeHighShelf, 1.0f, 6.0f);
  EXPECT_NEAR(high[108], 0.0f, 1e-4);
  EXPECT_NEAR(high[231], 3.0f, 1e-3);
  EXPECT_NEAR(high[354], 6.0f, 1e-4);
  // Slopes above 4 all work as 4.001; a gentler slope gives a different shape.
  auto shelf = [&](float q) { return f.Compute(kCodeLowShelf, 300, q, -9.0f); };
  EXPECT_TRUE(SameOnGrid(shelf(6.0f), shelf(4.0f)));
  EXPECT_TRUE(SameOnGrid(shelf(128.0f), shelf(4.0f)));
  EXPECT_FALSE(SameOnGrid(shelf(3.8f), shelf(4.0f)));
  EXPECT_FALSE(SameOnGrid(shelf(0.5f), shelf(1.0f)));
}

// Level of a filter row at its corner frequency (shape point 231, w = pi/2).
double CornerDb(Fixture& f, int code) { return f.Shape(code)[231]; }

TEST(BandResponse, FilterSlopeRowsHaveTheirCornerLevels) {
  Fixture f;
  const double third = 20 * std::log10(1 / std::sqrt(3.0));  // -4.77 dB, q = 1/sqrt(3)
  const double half = 20 * std::log10(1 / std::sqrt(2.0));   // -3.01 dB
  const double q40 = 20 * std::log10(1 / (2 * std::sin(std::acos(-1.0) / 8)));
  const double q41 = 20 * std::log10(1 / (2 * std::sin(3 * std::acos(-1.0) / 8)));
  const double expected[13] = {
      0,         half,      third,    half,      2 * half,      third + half,  2 * half,
      2 * third, q40 + q41, 2 * half, 3 * third, q40 + 2 * q41, 2 * (0 + half)};
  for (int n = 0; n <= kSlopeRowMax; ++n) {
    EXPECT_NEAR(CornerDb(f, kCodeHighPass + n), expected[n], 1e-4) << "high-pass " << n;
    EXPECT_NEAR(CornerDb(f, kCodeLowPass + n), expected[n], 1e-4) << "low-pass " << n;
  }
  // Cascades of equal sections are exact multiples of the single section.
  const ShapeTable first = f.Shape(101), bessel = f.Shape(102), butter = f.Shape(103);
  const ShapeTable doubled = f.Shape(104), nine = f.Shape(109), ten = f.Shape(110);
  for (int j = 0; j <= N; ++j) {
    ASSERT_EQ(doubled[j], 2 * first[j]) << j;
    ASSERT_EQ(nine[j], 2 * butter[j]) << j;
    ASSERT_EQ(ten[j], 3 * bessel[j]) << j;
  }
}

TEST(BandResponse, FilterShapesFallOnTheRightSide) {
  Fixture f;
  for (int n = 1; n <= kSlopeRowMax; ++n) {
    const ShapeTable hp = f.Shape(kCodeHighPass + n);
    const ShapeTable lp = f.Shape(kCodeLowPass + n);
    EXPECT_LT(hp[130], -10.0f) << n;  // high-pass cuts the low end
    EXPECT_NEAR(hp[330], 0.0f, 0.5f) << n;
    EXPECT_LT(lp[330], -10.0f) << n;  // low-pass cuts the high end
    EXPECT_NEAR(lp[130], 0.0f, 0.5f) << n;
    // The warp is symmetric, so a low-pass is the high-pass read backwards. Near w = pi the
    // single-precision p = 4 sin^2(w/2) keeps fewer digits of the distance to 4 than it keeps
    // of p near 0, so deep attenuations agree to a relative 1e-4 only.
    for (int j = 127; j < 336; ++j) {
      ASSERT_NEAR(lp[j], hp[N - j], 1e-3 + 1e-4 * std::fabs(hp[N - j])) << n << " " << j;
    }
  }
  // Steeper rows cut more below the corner.
  EXPECT_LT(f.Shape(104)[160], f.Shape(101)[160]);
  EXPECT_LT(f.Shape(111)[160], f.Shape(108)[160]);
  // The filter shape is held flat up to and including C = 126.
  const ShapeTable hp = f.Shape(102);
  for (int j = 0; j <= 126; ++j) ASSERT_EQ(hp[j], hp[0]) << j;
  EXPECT_NE(hp[127], hp[0]);
}

TEST(BandResponse, LowPassZeroGuardKeepsEverythingFinite) {
  Fixture f;
  // At j = N - C = 336 the low-pass numerator vanishes (w = pi).
  for (int code : {201, 202, 203, 212}) {
    const ShapeTable lp = f.Shape(code);
    EXPECT_EQ(lp[336], lp[335]) << code;
    EXPECT_LT(lp[335], -20.0f) << code;
  }
  const ShapeTable second = f.Shape(202);
  for (int j = 337; j <= N; ++j) EXPECT_LT(second[j], second[336]) << j;
  // No code, gain or Q produces an infinite or undefined value.
  std::vector<int> codes = {0, 1, 2, 3, 4};
  for (int n = 0; n <= kSlopeRowMax; ++n) {
    codes.push_back(kCodeHighPass + n);
    codes.push_back(kCodeLowPass + n);
  }
  for (int code : codes) {
    for (float gain : {-24.0f, -0.2f, 0.0f, 12.0f}) {
      for (float q : {0.4f, 1.0f, 4.0f, 128.0f}) {
        for (int freq : {10, 19, 1000, 20600, 30000}) {
          const Response r = f.Compute(code, freq, q, gain);
          for (int k = 0; k <= N; ++k) {
            ASSERT_TRUE(std::isfinite(r[k])) << code << " " << gain << " " << q << " " << k;
          }
        }
      }
    }
  }
}

TEST(BandResponse, CodesWithoutShapeWriteAFlatRow) {
  Fixture f;
  // Slope rows 13..19 (code mod 20) and codes outside the three kinds have no response: the
  // whole row becomes 0 dB, whatever it held before.
  for (int code : {113, 119, 133, 139, 153, 173, 199, 213, 219, 233, 259, 299, 300, 1000, -1}) {
    Response r;
    r.fill(7.5f);
    BandResponse(code, 1000, 1.0f, 6.0f, r, *f.scratch);
    for (int k = 0; k < kResponseLength; ++k) ASSERT_EQ(r[k], 0.0f) << code << " " << k;
    // Also right after a row that had a response.
    BandResponse(kCodeHighPass + 2, 1000, 1.0f, 0.0f, r, *f.scratch);
    ASSERT_LT(r[0], -10.0f);
    BandResponse(code, 1000, 1.0f, 6.0f, r, *f.scratch);
    for (int k = 0; k <= N; ++k) ASSERT_EQ(r[k], 0.0f) << code << " " << k;
  }
}

TEST(BandResponse, FilterTypesFromTwentyUpWrapOntoTheSlopeRows) {
  Fixture f;
  for (int n = 0; n <= kSlopeRowMax; ++n) {
    const Response high = f.Compute(kCodeHighPass + n, 500, 0.0f, 0.0f);
    const Response low = f.Compute(kCodeLowPass + n, 500, 0.0f, 0.0f);
    for (int t = n + 20; t < 100; t += 20) {
      EXPECT_TRUE(SameOnGrid(f.Compute(kCodeHighPass + t, 500, 0.0f, 0.0f), high)) << t;
      EXPECT_TRUE(SameOnGrid(f.Compute(kCodeLowPass + t, 500, 0.0f, 0.0f), low)) << t;
    }
  }
  // Type 21 is a first-order slope, not the unchanged row it used to be.
  const Response first_order = f.Compute(kCodeHighPass + 21, 500, 0.0f, 0.0f);
  EXPECT_LT(first_order[GridPosition(50)], -10.0f);
  EXPECT_NEAR(first_order[GridPosition(15000)], 0.0f, 0.5f);
}

TEST(BandResponse, PlacementClampsTailsAndStaysInsideTheRow) {
  ShapeTable shape;
  for (int j = 0; j <= N; ++j) shape[j] = static_cast<float>(j);
  Response r;
  r.fill(-1.0f);
  PlaceShape(shape, 273, r);
  EXPECT_EQ(r[273], 231.0f);
  EXPECT_EQ(r[272], 230.0f);
  EXPECT_EQ(r[0], 0.0f);  // left tail holds Y[0]
  EXPECT_EQ(r[42], 0.0f);
  EXPECT_EQ(r[43], 1.0f);
  EXPECT_EQ(r[N], 420.0f);
  EXPECT_EQ(r[N + 1], -1.0f);  // spare room untouched
  r.fill(-1.0f);
  PlaceShape(shape, 0, r);
  EXPECT_EQ(r[0], 231.0f);
  EXPECT_EQ(r[230], 461.0f);  // Y[N - 1]
  EXPECT_EQ(r[231], 461.0f);  // Y[N] is never placed
  EXPECT_EQ(r[N], 461.0f);
  // Beyond the grid only the left part runs, into the spare room; never past the row.
  r.fill(-1.0f);
  PlaceShape(shape, 500, r);
  EXPECT_EQ(r[500], 231.0f);
  EXPECT_EQ(r[501], -1.0f);
  PlaceShape(shape, 5000, r);
  EXPECT_EQ(r[kResponseLength - 1], 231.0f);
  Fixture f;
  Response huge;
  huge.fill(0.0f);
  BandResponse(kCodePeaking, 2000000000, 1.0f, 6.0f, huge, *f.scratch);
  EXPECT_NEAR(huge[kResponseLength - 1], 6.0f, 1e-3);
}

}  // namespace
}  // namespace kdsp
