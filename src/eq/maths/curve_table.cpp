#include "eq/maths/curve_table.h"

#include <optional>

#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "model/q_table.h"

namespace kdsp {

namespace {

constexpr int kAuxPage = 21;
constexpr int kHintPage = 22;
// A high-pass filter at the lowest frequency step is off and labelled with this corner.
constexpr float kHighPassOffHz = 19.0f;

// The second microphone page shares the filter slots of the first.
std::optional<FilterSlots> FiltersOf(int page) { return FilterSlotsOf(page == 2 ? 1 : page); }

PointControls FilterControls(int page, int freq_slot) {
  return PointControls{MakeAddr(page, freq_slot), std::nullopt, std::nullopt, true};
}

}  // namespace

void CurveTable::LoadFilterRows(const ValueTable& view_values, int page, int bands) {
  const FilterSlots slots = *FiltersOf(page);

  CurveEntry& hp = rows_[bands];
  const int hp_index = view_values.Get(page, slots.hp_freq);
  hp.type = kCodeHighPass + view_values.Get(page, slots.hp_type);
  if (hp_index == 0) {
    hp.type = kCodeHighPass;
    hp.frequency = kHighPassOffHz;
  } else {
    hp.frequency = FrequencyHzF(hp_index);
  }
  hp.gain = 0.0f;
  hp.q = 0.0f;

  CurveEntry& lp = rows_[bands + 1];
  const int lp_index = view_values.Get(page, slots.lp_freq);
  lp.type = kCodeLowPass + view_values.Get(page, slots.lp_type);
  if (lp_index >= kFrequencyIndexMax) lp.type = kCodeLowPass;
  lp.frequency = FrequencyHzF(lp_index);
  lp.gain = 0.0f;
  lp.q = 0.0f;

  controls_[bands] = controls_[kHighPassPoint] = FilterControls(page, slots.hp_freq);
  controls_[bands + 1] = controls_[kLowPassPoint] = FilterControls(page, slots.lp_freq);
}

void CurveTable::LoadBandRow(const ValueTable& view_values, int page, int first_slot, int band,
                             bool record_controls) {
  const int base = first_slot + 5 * band;
  CurveEntry& row = rows_[band];
  row.type = view_values.Get(page, base + kFieldType);
  row.frequency = FrequencyHzF(view_values.Get(page, base + kFieldFreq));
  row.gain = static_cast<float>(view_values.Get(page, base + kFieldGain) / 5.0 - 24.0);
  // Shelves take their slope from field 4, every other type its Q from field 3.
  const int q_field = row.type > kCodePeaking ? kFieldSlope : kFieldQ;
  row.q = QValue(view_values.Get(page, base + q_field));
  if (record_controls) {
    controls_[band] =
        PointControls{MakeAddr(page, base + kFieldFreq), MakeAddr(page, base + kFieldGain),
                      MakeAddr(page, base + kFieldQ), false};
  }
}

int CurveTable::LoadCurveTable(const ValueTable& view_values, int page, int selector,
                               const CurveLoadContext& context) {
  int bands = EqBandCount(page);
  const int first_slot = EqFirstSlot(page);
  if (page == kHintPage && !context.hint_band3_visible) bands = 2;
  const int filters = FiltersOf(page) ? 2 : 0;
  page_ = page;
  if (bands <= 0) {  // no equaliser on this page: nothing to draw
    last_row_ = -1;
    return -1;
  }
  last_row_ = bands - 1 + filters;

  if (filters == 2 && (selector == kAllRows || selector >= bands - 1)) {
    LoadFilterRows(view_values, page, bands);
  }
  for (int i = 0; i < bands; ++i) {
    if (selector == kAllRows || selector == i) {
      LoadBandRow(view_values, page, first_slot, i, selector == kAllRows);
    }
  }
  if (page == kAuxPage) {
    // Only the half of the tone equaliser that holds the selected band is drawn.
    const int off_half = context.aux_first_half_selected ? 3 : 0;
    for (int i = off_half; i < off_half + 3; ++i) rows_[i].type = kCodeBypass;
  }
  return bands - 1 + 100 * filters;
}

void CurveTable::ComputeRows(int selector) {
  for (int i = 0; i <= last_row_ && i < kCurveRows; ++i) {
    if (selector != kAllRows && selector != i) continue;
    CurveEntry& row = rows_[i];
    const int freq = static_cast<int>(RoundHalfEven(row.frequency));
    BandResponse(row.type, freq, row.q, row.gain, row.response, scratch_);
  }
}

float CurveTable::ChannelCurve(int k) const {
  float sum = 0.0f;
  for (int i = 0; i <= last_row_ && i < kCurveRows; ++i) {
    if (page_ == kAuxPage && rows_[i].type == kCodeBypass) continue;  // may be stale
    sum += rows_[i].response[k];
  }
  return sum;
}

void CurveTable::ChannelCurve(std::span<float, kGridSteps + 1> curve) const {
  for (int k = 0; k <= kGridSteps; ++k) curve[k] = ChannelCurve(k);
}

}  // namespace kdsp
