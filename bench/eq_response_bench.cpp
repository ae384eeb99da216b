#include <benchmark/benchmark.h>

#include <memory>

#include "eq/maths/curve_table.h"
#include "model/page_layout.h"

namespace kdsp {
namespace {

// A microphone page with every band and both filters active: 22 rows, the largest channel.
ValueTable BusyMicPage() {
  ValueTable view;
  for (int b = 0; b < EqBandCount(1); ++b) {
    const int base = EqFirstSlot(1) + 5 * b;
    view.Set(1, base + kFieldType, 1 + b % 3);
    view.Set(1, base + kFieldFreq, 10 + 17 * b);
    view.Set(1, base + kFieldGain, 60 + 5 * b);
    view.Set(1, base + kFieldQ, 10 + 4 * b);
    view.Set(1, base + kFieldSlope, b);
  }
  const FilterSlots f = *FilterSlotsOf(1);
  view.Set(1, f.hp_type, 2);
  view.Set(1, f.hp_freq, 40);
  view.Set(1, f.lp_type, 2);
  view.Set(1, f.lp_freq, 330);
  return view;
}

void BM_OneRowRecomputed(benchmark::State& state) {
  auto table = std::make_unique<CurveTable>();
  const ValueTable view = BusyMicPage();
  table->LoadCurveTable(view, 1, kAllRows);
  const int row = static_cast<int>(state.range(0));
  for (auto _ : state) {
    table->LoadCurveTable(view, 1, row);
    table->ComputeRows(row);
    benchmark::DoNotOptimize(table->Row(row).response.data());
  }
}
// Row 3 is a peaking band, row 4 a low shelf, row 21 the second-order low-pass.
BENCHMARK(BM_OneRowRecomputed)->Arg(3)->Arg(4)->Arg(21)->Unit(benchmark::kMicrosecond);

void BM_CascadedFilterRow(benchmark::State& state) {
  auto scratch = std::make_unique<ResponseScratch>();
  std::array<float, kResponseLength> response{};
  for (auto _ : state) {
    BandResponse(kCodeLowPass + 11, 5000, 1.0f, 0.0f, response, *scratch);
    benchmark::DoNotOptimize(response.data());
  }
}
BENCHMARK(BM_CascadedFilterRow)->Unit(benchmark::kMicrosecond);

void BM_FullChannelRecomputedAndSummed(benchmark::State& state) {
  auto table = std::make_unique<CurveTable>();
  const ValueTable view = BusyMicPage();
  std::array<float, kGridSteps + 1> curve{};
  for (auto _ : state) {
    table->LoadCurveTable(view, 1, kAllRows);
    table->ComputeRows(kAllRows);
    table->ChannelCurve(curve);
    benchmark::DoNotOptimize(curve.data());
  }
}
BENCHMARK(BM_FullChannelRecomputedAndSummed)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kdsp
