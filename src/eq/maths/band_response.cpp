#include "eq/maths/band_response.h"

#include <algorithm>
#include <cmath>

namespace kdsp {

namespace {

constexpr int kShapeCentre = kGridSteps / 2;  // M = rnd(N / 2) = 231

// One section of a filter row, by the kind of slope row it belongs to.
enum class Section { kBypass, kFirstOrder, kBessel, kButterworth2, kOrder4A, kOrder4B, kOrder3 };

BiquadCoefficients FilterSection(Section section, bool high_pass) {
  switch (section) {
    case Section::kBypass:
      return BypassSection();
    case Section::kFirstOrder:
      return FirstOrderSection(high_pass);
    case Section::kBessel:
      return SecondOrderSection(high_pass, AlphaForQuality(1.0 / std::sqrt(3.0)));
    case Section::kButterworth2:
      return SecondOrderSection(high_pass, AlphaForQuality(1.0 / std::sqrt(2.0)));
    case Section::kOrder4A:
      return SecondOrderSection(high_pass, ButterworthAlpha(4, 0));
    case Section::kOrder4B:
      return SecondOrderSection(high_pass, ButterworthAlpha(4, 1));
    case Section::kOrder3:
      return SecondOrderSection(high_pass, ButterworthAlpha(3, 0));
  }
  return BypassSection();
}

// The slope rows: sections r and s and the weights of r + weight_s * s, all times `scale`.
struct SlopeRow {
  Section r;
  Section s;  // unused when single
  bool single;
  double weight_s;
  double scale;
};

constexpr SlopeRow kSlopeRows[kSlopeRowMax + 1] = {
    {Section::kBypass, Section::kBypass, true, 0, 1},
    {Section::kFirstOrder, Section::kBypass, true, 0, 1},
    {Section::kBessel, Section::kBypass, true, 0, 1},
    {Section::kButterworth2, Section::kBypass, true, 0, 1},
    {Section::kFirstOrder, Section::kFirstOrder, false, 1, 1},
    {Section::kBessel, Section::kFirstOrder, false, 1, 1},
    {Section::kButterworth2, Section::kFirstOrder, false, 1, 1},
    {Section::kBessel, Section::kBessel, false, 1, 1},
    {Section::kOrder4A, Section::kOrder4B, false, 1, 1},
    {Section::kButterworth2, Section::kButterworth2, false, 1, 1},
    {Section::kBessel, Section::kBessel, false, 2, 1},
    {Section::kOrder4A, Section::kOrder4B, false, 2, 1},
    {Section::kOrder3, Section::kFirstOrder, false, 1, 2},
};

void FilterShape(int slope_row, bool high_pass, ResponseScratch& scratch) {
  const SlopeRow& row = kSlopeRows[slope_row];
  const bool hold = !high_pass;  // only low-pass shapes reach a zero numerator
  if (row.single) {
    ComputeShape(FilterSection(row.r, high_pass), ShapeWarp::kFilter, hold, scratch.shape);
    return;
  }
  ComputeShape(FilterSection(row.r, high_pass), ShapeWarp::kFilter, hold, scratch.r);
  ComputeShape(FilterSection(row.s, high_pass), ShapeWarp::kFilter, hold, scratch.s);
  for (int j = 0; j <= kGridSteps; ++j) {
    const double sum = static_cast<double>(scratch.r[j]) + row.weight_s * scratch.s[j];
    scratch.shape[j] = static_cast<float>(row.scale * sum);
  }
}

}  // namespace

float RemapQ(float q) {
  if (q == 102.0f) return 98.0f;
  if (q == 108.0f) return 100.0f;
  if (q == 114.0f) return 101.0f;
  if (q == 121.0f) return 102.0f;
  if (q == 128.0f) return 103.0f;
  return q;
}

bool RowShape(int code, float q, float gain_db, ResponseScratch& scratch) {
  q = RemapQ(q);
  if (code < 0 || code >= 300) return false;
  if (code < 100) {
    switch (code) {
      case kCodePeaking:
        ComputeShape(PeakingSection(q, gain_db), ShapeWarp::kNone, false, scratch.shape);
        break;
      case kCodeLowShelf:
        ComputeShape(LowShelfSection(q, gain_db), ShapeWarp::kShelf, false, scratch.shape);
        break;
      case kCodeHighShelf:
        ComputeShape(HighShelfSection(q, gain_db), ShapeWarp::kShelf, false, scratch.shape);
        break;
      default:  // bypass: a peaking band of 0 dB, exactly flat
        ComputeShape(PeakingSection(q, 0.0f), ShapeWarp::kNone, false, scratch.shape);
        break;
    }
    return true;
  }
  // Filter codes above 119 and 219 wrap onto the slope rows in steps of 20.
  const int slope_row = code % 20;
  if (slope_row > kSlopeRowMax) return false;
  FilterShape(slope_row, code < 200, scratch);
  return true;
}

void PlaceShape(const ShapeTable& shape, int position, std::span<float, kResponseLength> response) {
  const int e = std::clamp(position, 0, kResponseLength - 1);
  for (int m = 0; m <= e; ++m) {
    response[e - m] = kShapeCentre - m >= 0 ? shape[kShapeCentre - m] : shape[0];
  }
  if (e > kGridSteps) return;
  for (int m = 0; m <= kGridSteps - e; ++m) {
    response[e + m] =
        kShapeCentre + m < kGridSteps ? shape[kShapeCentre + m] : shape[kGridSteps - 1];
  }
}

void BandResponse(int code, int frequency_hz, float q, float gain_db,
                  std::span<float, kResponseLength> response, ResponseScratch& scratch) {
  if (!RowShape(code, q, gain_db, scratch)) {
    // No shape: the row is flat, never a response left over from an earlier computation.
    std::fill(response.begin(), response.end(), 0.0f);
    return;
  }
  const int freq = std::max(frequency_hz, 10);
  PlaceShape(scratch.shape, GridPosition(freq), response);
}

}  // namespace kdsp
