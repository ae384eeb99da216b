#include "tuning/window/band_writer.h"

#include "edit/edit_pipeline.h"
#include "edit/edit_recorder.h"
#include "edit/page_refresh.h"
#include "model/page_layout.h"

namespace kdsp {

int BandWriter::ShownDevicePage() const {
  const int view = ctx_.channel.view_page;
  if (EqBandCount(view) <= 0) return -1;
  return PageOf(ctx_.ToDevice(MakeAddr(view, EqFirstSlot(view))));
}

std::vector<BandSetting> BandWriter::Read(int device_page) const {
  std::vector<BandSetting> bands;
  const int first = EqFirstSlot(device_page);
  for (int b = 0; b < EqBandCount(device_page); ++b) {
    auto at = [&](int field) { return ctx_.device_values.Get(device_page, first + 5 * b + field); };
    bands.push_back({at(kFieldType), at(kFieldFreq), at(kFieldGain), at(kFieldQ), at(kFieldSlope)});
  }
  return bands;
}

void BandWriter::Write(int device_page, const std::vector<std::pair<int, BandSetting>>& bands) {
  const std::vector<BandSetting> now = Read(device_page);
  const int first = EqFirstSlot(device_page);
  recorder_.Begin();  // every field of every band: one undo step
  for (const auto& [band, s] : bands) {
    if (band < 0 || band >= static_cast<int>(now.size())) continue;
    const int fields[5] = {s.type, s.freq_index, s.gain_raw, s.q_index, s.slope_index};
    const int before[5] = {now[band].type, now[band].freq_index, now[band].gain_raw,
                           now[band].q_index, now[band].slope_index};
    for (int f = 0; f < 5; ++f) {
      if (fields[f] != before[f]) {
        pipeline_.WriteDevice(MakeAddr(device_page, first + 5 * band + f), fields[f]);
      }
    }
  }
  recorder_.End();
  refresh_.RefreshPage(ctx_.channel.view_page);
  if (ctx_.graph != nullptr) ctx_.graph->DrawEqCurve(100, ctx_.channel.view_page);
}

}  // namespace kdsp
