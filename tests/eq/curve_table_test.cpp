#include "eq/maths/curve_table.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "model/q_table.h"

namespace kdsp {
namespace {

constexpr int N = kGridSteps;

struct Band {
  int type = 1, freq = 204, gain = 120, q = 16, slope = 16;
};

void SetBand(ValueTable& view, int page, int band, const Band& b) {
  const int base = EqFirstSlot(page) + 5 * band;
  view.Set(page, base + 0, b.type);
  view.Set(page, base + 1, b.freq);
  view.Set(page, base + 2, b.gain);
  view.Set(page, base + 3, b.q);
  view.Set(page, base + 4, b.slope);
}

// Every band flat, both filters present but switched off by frequency.
ValueTable FlatPage(int page) {
  ValueTable view;
  for (int b = 0; b < EqBandCount(page); ++b) SetBand(view, page, b, Band{.freq = 30 * b});
  if (auto f = FilterSlotsOf(page == 2 ? 1 : page)) {
    view.Set(page, f->hp_type, 2);
    view.Set(page, f->hp_freq, 0);
    view.Set(page, f->lp_type, 2);
    view.Set(page, f->lp_freq, 360);
  }
  return view;
}

bool AllZero(const CurveEntry& row) {
  for (int k = 0; k <= N; ++k) {
    if (row.response[k] != 0.0f) return false;
  }
  return true;
}

struct TableTest : ::testing::Test {
  std::unique_ptr<CurveTable> table = std::make_unique<CurveTable>();
  ResponseScratch scratch;
};

TEST_F(TableTest, LoadsBandRowsWithScalesAndControls) {
  ValueTable view = FlatPage(0);
  SetBand(view, 0, 2, Band{.type = 1, .freq = 204, .gain = 180, .q = 16});
  SetBand(view, 0, 3, Band{.type = 2, .freq = 100, .gain = 0, .q = 40, .slope = 5});
  SetBand(view, 0, 4, Band{.type = 3, .freq = 300, .gain = 151, .q = 40, .slope = 30});
  SetBand(view, 0, 5, Band{.type = 0, .freq = 361, .gain = 119, .q = 100, .slope = 0});
  EXPECT_EQ(table->LoadCurveTable(view, 0, kAllRows), 9 + 200);
  EXPECT_EQ(table->LastRow(), 11);
  EXPECT_EQ(table->Page(), 0);

  const CurveEntry& peak = table->Row(2);
  EXPECT_EQ(peak.type, 1);
  EXPECT_EQ(peak.frequency, 1000.0f);
  EXPECT_EQ(peak.gain, 12.0f);
  EXPECT_EQ(peak.q, 1.0f);
  // Shelves take the slope field, other types the Q field.
  EXPECT_EQ(table->Row(3).gain, -24.0f);
  EXPECT_EQ(table->Row(3).q, QValue(5));
  EXPECT_EQ(table->Row(3).frequency, FrequencyHzF(100));
  EXPECT_EQ(table->Row(4).q, QValue(30));
  EXPECT_EQ(table->Row(4).gain, 6.2f);
  EXPECT_EQ(table->Row(5).q, 128.0f);
  EXPECT_EQ(table->Row(5).gain, -0.2f);
  EXPECT_EQ(table->Row(5).frequency, 20600.0f);

  // Band 3 of page 0 lives at slots 13 + 10 + field.
  const PointControls& c = table->Controls(2);
  EXPECT_EQ(c.freq, MakeAddr(0, 24));
  EXPECT_EQ(c.gain, MakeAddr(0, 25));
  EXPECT_EQ(c.q, MakeAddr(0, 26));
  EXPECT_FALSE(c.filter);
  // The filters under their rows and under the fixed points 20 and 21.
  for (int point : {10, kHighPassPoint}) {
    EXPECT_EQ(table->Controls(point).freq, MakeAddr(0, 8)) << point;
    EXPECT_FALSE(table->Controls(point).gain.has_value());
    EXPECT_FALSE(table->Controls(point).q.has_value());
    EXPECT_TRUE(table->Controls(point).filter);
  }
  for (int point : {11, kLowPassPoint}) {
    EXPECT_EQ(table->Controls(point).freq, MakeAddr(0, 10)) << point;
  }
}

TEST_F(TableTest, FilterRowsSwitchOffAtTheirEndSteps) {
  ValueTable view = FlatPage(0);
  table->LoadCurveTable(view, 0, kAllRows);
  table->ComputeRows(kAllRows);
  // High-pass at index 0 and low-pass at 360: off, whatever their type.
  EXPECT_EQ(table->Row(10).type, 100);
  EXPECT_EQ(table->Row(10).frequency, 19.0f);
  EXPECT_EQ(table->Row(11).type, 200);
  EXPECT_EQ(table->Row(11).frequency, 20200.0f);
  EXPECT_TRUE(AllZero(table->Row(10)));
  EXPECT_TRUE(AllZero(table->Row(11)));
  for (int k = 0; k <= N; ++k) ASSERT_EQ(table->ChannelCurve(k), 0.0f) << k;

  view.Set(0, 8, 1);     // high-pass one step up: on
  view.Set(0, 10, 359);  // low-pass one step down: on
  EXPECT_EQ(table->LoadCurveTable(view, 0, kAllRows), 209);
  table->ComputeRows(kAllRows);
  EXPECT_EQ(table->Row(10).type, 102);
  EXPECT_EQ(table->Row(10).frequency, 20.1f);
  EXPECT_EQ(table->Row(11).type, 202);
  EXPECT_EQ(table->Row(11).frequency, 19800.0f);
  EXPECT_LT(table->Row(10).response[0], -10.0f);
  // The low-pass corner at 19.8 kHz is grid point 450: -4.77 dB there, falling beyond.
  const float corner = table->Row(11).response[GridPosition(19800)];
  EXPECT_NEAR(corner, -4.77f, 0.01f);
  EXPECT_LT(table->Row(11).response[N], corner - 1.0f);
  EXPECT_EQ(table->ChannelCurve(N), table->Row(10).response[N] + table->Row(11).response[N]);
  EXPECT_NEAR(table->ChannelCurve(273), 0.0f, 0.01f);

  // A type the selectors never offer: 5 is slope row 5, and so are 25 and 45 (type mod 20);
  // 13..19 have no slope row and 40 is row 0: the row is flat, never what it had before.
  view.Set(0, 9, 5);
  table->LoadCurveTable(view, 0, kAllRows);
  table->ComputeRows(11);
  const float before = table->Row(11).response[400];
  EXPECT_LT(before, table->Row(10).response[400]);  // a steeper cut than the second order
  for (int type : {13, 19, 40}) {
    view.Set(0, 9, type);
    table->LoadCurveTable(view, 0, kAllRows);
    table->ComputeRows(kAllRows);
    EXPECT_EQ(table->Row(11).type, 200 + type);
    EXPECT_TRUE(AllZero(table->Row(11))) << type;
  }
  for (int type : {25, 45}) {
    view.Set(0, 9, type);
    table->LoadCurveTable(view, 0, kAllRows);
    table->ComputeRows(kAllRows);
    EXPECT_EQ(table->Row(11).response[400], before) << type;
  }
}

TEST_F(TableTest, BandAtLowestStepIsComputedAtWholeHertz) {
  ValueTable view = FlatPage(0);
  SetBand(view, 0, 0, Band{.type = 1, .freq = 0, .gain = 180, .q = 16});
  table->LoadCurveTable(view, 0, kAllRows);
  EXPECT_EQ(table->Row(0).frequency, 19.7f);
  table->ComputeRows(0);
  std::array<float, kResponseLength> at20{}, at19{};
  BandResponse(1, 20, 1.0f, 12.0f, at20, scratch);
  BandResponse(1, 19, 1.0f, 12.0f, at19, scratch);
  EXPECT_TRUE(std::equal(at20.begin(), at20.begin() + N + 1, table->Row(0).response.begin()));
  EXPECT_FALSE(std::equal(at19.begin(), at19.begin() + N + 1, table->Row(0).response.begin()));
  EXPECT_EQ(
      std::max_element(table->Row(0).response.begin(), table->Row(0).response.begin() + N + 1) -
          table->Row(0).response.begin(),
      41);
}

TEST_F(TableTest, SingleRowLoadsAndRecomputesOnlyThatRow) {
  ValueTable view = FlatPage(3);
  table->LoadCurveTable(view, 3, kAllRows);
  table->ComputeRows(kAllRows);
  SetBand(view, 3, 4, Band{.freq = 150, .gain = 150});
  SetBand(view, 3, 5, Band{.freq = 160, .gain = 90});
  view.Set(3, 10, 40);  // high-pass on
  EXPECT_EQ(table->LoadCurveTable(view, 3, 4), 209);
  EXPECT_EQ(table->Row(4).gain, 6.0f);
  EXPECT_EQ(table->Row(5).gain, 0.0f);  // not reloaded
  EXPECT_EQ(table->Row(10).type, 100);  // filters only from the last band on
  table->ComputeRows(4);
  EXPECT_NEAR(table->Row(4).response[GridPosition(FrequencyHzF(150))], 6.0f, 1e-3);
  EXPECT_TRUE(AllZero(table->Row(5)));
  EXPECT_TRUE(AllZero(table->Row(10)));

  table->LoadCurveTable(view, 3, 9);  // the last band also reloads the filters
  EXPECT_EQ(table->Row(10).type, 102);
  EXPECT_EQ(table->Row(5).gain, 0.0f);
  table->LoadCurveTable(view, 3, 5);
  EXPECT_EQ(table->Row(5).gain, -6.0f);
  table->ComputeRows(kAllRows);
  const int k = GridPosition(FrequencyHzF(150));
  float sum = 0.0f;
  for (int i = 0; i <= 11; ++i) sum += table->Row(i).response[k];
  EXPECT_EQ(table->ChannelCurve(k), sum);
  std::array<float, N + 1> curve{};
  table->ChannelCurve(curve);
  EXPECT_EQ(curve[k], sum);
  EXPECT_EQ(curve[0], table->ChannelCurve(0));
}

TEST_F(TableTest, PageGeometry) {
  // Microphone page: 20 bands, the filters are rows 20 and 21 (the fixed filter points).
  ValueTable mic = FlatPage(1);
  EXPECT_EQ(table->LoadCurveTable(mic, 1, kAllRows), 19 + 200);
  EXPECT_EQ(table->LastRow(), 21);
  EXPECT_EQ(table->Controls(20).freq, MakeAddr(1, 10));
  EXPECT_EQ(table->Controls(21).freq, MakeAddr(1, 12));
  EXPECT_EQ(table->Controls(19).freq, MakeAddr(1, 15 + 95 + 1));
  EXPECT_EQ(table->LoadCurveTable(FlatPage(2), 2, kAllRows), 219);
  // Output and reverb pages.
  EXPECT_EQ(table->LoadCurveTable(FlatPage(5), 5, kAllRows), 209);
  EXPECT_EQ(table->Controls(kLowPassPoint).freq, MakeAddr(5, 25));
  EXPECT_EQ(table->LoadCurveTable(FlatPage(4), 4, kAllRows), 209);
  EXPECT_EQ(table->Controls(kHighPassPoint).freq, MakeAddr(4, 7));
  // Hidden equalisers: five bands, or two while the third group is hidden; no filters.
  ValueTable hint = FlatPage(22);
  EXPECT_EQ(table->LoadCurveTable(hint, 22, kAllRows), 4);
  EXPECT_EQ(table->LastRow(), 4);
  EXPECT_EQ(table->LoadCurveTable(hint, 22, kAllRows, {.hint_band3_visible = false}), 1);
  EXPECT_EQ(table->LastRow(), 1);
  // Pages without an equaliser load nothing.
  EXPECT_EQ(table->LoadCurveTable(hint, 25, kAllRows), -1);
  EXPECT_EQ(table->LastRow(), -1);
  EXPECT_EQ(table->ChannelCurve(100), 0.0f);
}

TEST_F(TableTest, AuxiliaryPageDrawsOnlyTheSelectedHalf) {
  ValueTable view;
  for (int b = 0; b < 6; ++b) {
    SetBand(view, 21, b, Band{.type = 1, .freq = 204, .gain = b < 3 ? 150 : 90});
  }
  // No label of bands 1..3 highlighted: the second half (cuts) is drawn.
  EXPECT_EQ(table->LoadCurveTable(view, 21, kAllRows), 5);
  EXPECT_EQ(table->LastRow(), 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(table->Row(i).type, 0) << i;
  table->ComputeRows(kAllRows);
  EXPECT_NEAR(table->ChannelCurve(273), -18.0f, 1e-3);

  // First half selected: rows 3..5 go to bypass; rows 0..2 still hold their last (flat)
  // responses until recomputed, and rows of type 0 are skipped even when stale.
  table->LoadCurveTable(view, 21, kAllRows, {.aux_first_half_selected = true});
  for (int i = 3; i < 6; ++i) EXPECT_EQ(table->Row(i).type, 0) << i;
  EXPECT_EQ(table->ChannelCurve(273), 0.0f + table->Row(0).response[273] +
                                          table->Row(1).response[273] +
                                          table->Row(2).response[273]);
  table->ComputeRows(kAllRows);
  EXPECT_NEAR(table->ChannelCurve(273), 18.0f, 1e-3);
}

TEST_F(TableTest, ValuesOutsideTheScalesStayInside) {
  ValueTable view = FlatPage(0);
  SetBand(view, 0, 0, Band{.type = 7, .freq = 5000, .gain = 65535, .q = 900, .slope = 900});
  view.Set(0, 8, 65535);
  view.Set(0, 10, 65535);
  table->LoadCurveTable(view, 0, kAllRows);
  EXPECT_EQ(table->Row(0).frequency, FrequencyHzF(361));
  EXPECT_EQ(table->Row(0).q, 128.0f);  // a type above 1 reads the slope field
  EXPECT_EQ(table->Row(10).frequency, FrequencyHzF(361));
  EXPECT_EQ(table->Row(11).type, 200);
  table->ComputeRows(kAllRows);
  EXPECT_TRUE(AllZero(table->Row(0)));  // type 7 draws as bypass
}

TEST_F(TableTest, ARecomputedTableMatchesAFreshOneWhateverTheFilterTypes) {
  const FilterSlots slots = *FilterSlotsOf(0);
  ValueTable view = FlatPage(0);
  view.Set(0, slots.hp_freq, 120);
  view.Set(0, slots.lp_freq, 200);
  auto fresh_curve = [&view](int k) {
    auto fresh = std::make_unique<CurveTable>();
    fresh->LoadCurveTable(view, 0, kAllRows);
    fresh->ComputeRows(kAllRows);
    return fresh->ChannelCurve(k);
  };
  auto same_as_fresh = [&] {
    for (int k = 0; k <= N; ++k) {
      if (table->ChannelCurve(k) != fresh_curve(k)) return false;
    }
    return true;
  };
  table->LoadCurveTable(view, 0, kAllRows);
  table->ComputeRows(kAllRows);
  ASSERT_LT(table->Row(10).response[0], -10.0f);  // a second-order high-pass
  ASSERT_LT(table->Row(11).response[N], -10.0f);

  // Types without a slope row: the filter rows go flat, on a full and on a one-row redraw.
  for (int hp_type : {13, 19, 33, 155}) {
    view.Set(0, slots.hp_type, hp_type);
    view.Set(0, slots.lp_type, hp_type);
    table->LoadCurveTable(view, 0, kAllRows);
    table->ComputeRows(kAllRows);
    EXPECT_TRUE(AllZero(table->Row(10))) << hp_type;
    EXPECT_TRUE(AllZero(table->Row(11))) << hp_type;
    EXPECT_TRUE(same_as_fresh()) << hp_type;
    view.Set(0, slots.hp_type, 2);
    table->LoadCurveTable(view, 0, 10);
    table->ComputeRows(10);
    view.Set(0, slots.hp_type, hp_type);
    table->LoadCurveTable(view, 0, 10);
    table->ComputeRows(10);
    EXPECT_TRUE(AllZero(table->Row(10))) << hp_type;
  }
  // Types from 20 up draw the slope row of their type mod 20.
  view.Set(0, slots.hp_type, 22);
  view.Set(0, slots.lp_type, 41);
  table->LoadCurveTable(view, 0, kAllRows);
  table->ComputeRows(kAllRows);
  EXPECT_TRUE(same_as_fresh());
  const std::array<float, kResponseLength> wrapped_hp = table->Row(10).response;
  const std::array<float, kResponseLength> wrapped_lp = table->Row(11).response;
  view.Set(0, slots.hp_type, 2);
  view.Set(0, slots.lp_type, 1);
  table->LoadCurveTable(view, 0, kAllRows);
  table->ComputeRows(kAllRows);
  EXPECT_EQ(table->Row(10).response, wrapped_hp);
  EXPECT_EQ(table->Row(11).response, wrapped_lp);
}

}  // namespace
}  // namespace kdsp
