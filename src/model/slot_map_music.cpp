// Slot map of view page 0, the music input.

#include "model/slot_map_builders.h"

namespace kdsp::slot_map_internal {

void AppendMusicPage(Entries& out) {
  constexpr int kPage = 0;
  // Slot 0 stands for the gain of the current input source; slots 1..5 hold the other sources'
  // gains and are only ever reached through slot 0.
  AddEdit(out, kPage, 0, "MusGain1Edit", 0, 40, 5, "MusGain1UpDown");
  for (int slot = 1; slot <= 5; ++slot) AddBare(out, kPage, slot, 0, 40, 5);
  AddTrackbar(out, kPage, 6, "MusPitchBar", "MusPitchPane", 0, 14, 21);
  AddFilterBlock(out, kPage, 7, "MusHPTypeBox", "MusHPFREBar", "MusHPFREPane", "MusLPTypeBox",
                 "MusLPFREBar", "MusLPFREPane");
  AddSwitch(out, kPage, 12, ControlClass::kBypassButton, "MusEQAllpassBtn");
  for (int b = 0; b < 10; ++b) {
    AddBand(out, kPage, b, StandardColumn("Mus", "MusQUpDownBtn", b + 1), false);
  }
  AddButtonPair(out, kPage, 63, "AutoModeBtn", "ManulModeBtn");
  AddButtonPair(out, kPage, 64, "SingModeBtn", "DiscoModeBtn");
  AddSelector(out, kPage, 65, ControlClass::kSelector, "SysInputBox", 9, ItemSource::kInputNames,
              {});
}

}  // namespace kdsp::slot_map_internal
