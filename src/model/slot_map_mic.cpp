// Slot map of view page 1 (the microphone shown, device page `MicPage`) and of view page 2,
// which only carries the microphone 2 effect volume.

#include "model/slot_map_builders.h"

namespace kdsp::slot_map_internal {

void AppendMicrophonePages(Entries& out) {
  constexpr int kPage = 1;
  AddTrackbar(out, kPage, 0, "MicInputGainBar", "MicInputGainPane", 0, 40, 22);
  AddTrackbar(out, kPage, 1, "MicFBEBar", "MicFBEPane", 0, 4, 23);
  AddTrackbar(out, kPage, 2, "MicNoiseLevelBar", "MicNoiseLevelPane", 0, 60, 24);
  AddTrackbar(out, kPage, 3, "MicNoiseAttackBar", "MicNoiseAttackPane", 0, 19, 17);
  AddTrackbar(out, kPage, 4, "MicNoiseReleaseBar", "MicNoiseReleasePane", 0, 7, 16);
  AddTrackbar(out, kPage, 5, "MicRmsLevelBar", "MicRmsLevelPane", 0, 34, 25);
  AddTrackbar(out, kPage, 6, "MicRmsAttackBar", "MicRmsAttackPane", 0, 19, 17);
  AddTrackbar(out, kPage, 7, "MicRmsReleaseBar", "MicRmsReleasePane", 0, 7, 16);
  AddTrackbar(out, kPage, 8, "MicRmsRatioBar", "MicRmsRatioPane", 0, 40, 15);
  AddFilterBlock(out, kPage, 9, "MicHPTypeBox", "MicHPFreBar", "MicHPFrePane", "MicLPTypeBox",
                 "MicLPFreBar", "MicLPFrePane");
  // The sync flag always lives on device page 1; the button's own Tag is its sync state.
  AddSwitch(out, kPage, 13, ControlClass::kSyncButton, "SameBtn");
  AddSwitch(out, kPage, 14, ControlClass::kBypassButton, "MusEQAllpassBtn");
  for (int b = 0; b < 20; ++b) {
    // The spin buttons of the microphone columns really are spelled "MIc".
    AddBand(out, kPage, b, StandardColumn("Mic", "MIcQUpDownBtn", b + 1), false);
  }
  AddEdit(out, kPage, 115, "MICAEffectEdit", 0, 100, 29, "MICAEffectSpinButtons");

  AddEdit(out, 2, 115, "MICBEffectEdit", 0, 100, 29, "MICBEffectEditSpinButtons");
}

}  // namespace kdsp::slot_map_internal
