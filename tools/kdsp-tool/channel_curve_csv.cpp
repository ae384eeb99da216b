#include "kdsp-tool/channel_curve_csv.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>

#include "eq/maths/curve_table.h"
#include "eq/maths/response_grid.h"
#include "model/page_layout.h"

namespace kdsp::tool {

std::string ChannelCurveCsv(const ValueTable& device_values, const Channel& channel, int page) {
  // The graph reads view values: give the channel's device page the view page that shows it.
  const int view_page = ViewPageOf(page, EqFirstSlot(page));
  ValueTable view_values;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    view_values.Set(view_page, slot, device_values.Get(page, slot));
  }
  CurveLoadContext context;
  context.hint_band3_visible = channel.hint_band3_visible;
  context.aux_first_half_selected = channel.aux_first_half;
  auto table = std::make_unique<CurveTable>();
  table->LoadCurveTable(view_values, view_page, kAllRows, context);
  table->ComputeRows(kAllRows);
  std::array<float, kGridSteps + 1> curve{};
  table->ChannelCurve(curve);

  std::string csv = "frequency_hz,level_db\n";
  for (int k = 0; k <= kGridSteps; ++k) {
    double level = curve[k];
    if (std::fabs(level) < 0.0005) level = 0.0;  // no "-0.000"
    char line[64];
    std::snprintf(line, sizeof line, "%.2f,%.3f\n", GridFrequency(k), level);
    csv += line;
  }
  return csv;
}

}  // namespace kdsp::tool
