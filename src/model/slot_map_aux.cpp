// Slot map of view page 21, the auxiliary page: gain step, six user tone bands and their
// boost/cut limits.

#include <string>

#include "model/slot_map_builders.h"

namespace kdsp::slot_map_internal {

namespace {

// Band columns of the auxiliary page. The music and microphone columns each count their edits
// 1..3, while gain trackbars, spin buttons and type labels count across all six bands.
BandColumn AuxColumn(std::string_view channel, int n, int band_number) {
  const std::string c = std::string("AUX") + std::string(channel);
  const std::string num = std::to_string(n);
  const std::string all = std::to_string(band_number);
  BandColumn col;
  col.type_box = c + "ModeBox" + num;
  col.freq_edit = c + "FreEdit" + num;
  col.gain_edit = c + "GainEdit" + num;    // sheet "起始音量设置"
  col.gain_edit2 = c + "2GainEdit" + num;  // sheet "用户均衡限制"
  col.gain_bar = "AUXEQGainBar" + all;
  col.q_edit = c + "QEdit" + num;
  col.q_spin = "AUXQUpDownBtn" + all;
  col.type_labels = {"AUXBYBtn" + all, "AUXPEQBtn" + all, "AUXLSQBtn" + all, "AUXHSQBtn" + all};
  return col;
}

}  // namespace

void AppendAuxiliaryPage(Entries& out) {
  constexpr int kPage = 21;
  AddSelector(out, kPage, 0, ControlClass::kSelector, "AUXGainBox", 4, ItemSource::kFixed,
              kGainStepItems);
  for (int n = 1; n <= 3; ++n) {
    AddBand(out, kPage, n - 1, AuxColumn("MUS", n, n), true);
  }
  for (int n = 1; n <= 3; ++n) {
    AddBand(out, kPage, n + 2, AuxColumn("MIC", n, n + 3), true);
  }
  // Boost limit (0..+12 dB) then cut limit (-12..0 dB) of each tone band, in band order.
  static constexpr std::string_view kLimitEdits[6][2] = {
      {"AUXMUSBassMaxAddEdit", "AUXMUSBassMaxDecEdit"},
      {"AUXMUSMidMaxAddEdit", "AUXMUSMidMaxDecEdit"},
      {"AUXMUSHighMaxAddEdit", "AUXMUSHighMaxDecEdit"},
      {"AUXMICBassMaxAddEdit", "AUXMICBassMaxDecEdit"},
      {"AUXMICMidMaxAddEdit", "AUXMICMidMaxDecEdit"},
      {"AUXMICHighMaxAddEdit", "AUXMICHighMaxDecEdit"},
  };
  for (int band = 0; band < 6; ++band) {
    AddEdit(out, kPage, 31 + 2 * band, kLimitEdits[band][0], 120, 180, 27);
    AddEdit(out, kPage, 32 + 2 * band, kLimitEdits[band][1], 60, 120, 28);
  }
}

}  // namespace kdsp::slot_map_internal
