// Slot maps of view page 5 (the output shown, device page `OutputPage`) and of the
// right-channel cells of views 7, 15 and 19.

#include "model/slot_map_builders.h"

namespace kdsp::slot_map_internal {

void AppendOutputPages(Entries& out) {
  constexpr int kPage = 5;
  AddTrackbar(out, kPage, 0, "MainMusLevelBar", "MainMusLevelPane", 0, 200, 9);
  AddSwitch(out, kPage, 1, ControlClass::kPhaseSwitch, "MainMusPhaseBtn");
  AddTrackbar(out, kPage, 4, "MainMicLevelBar", "MainMicLevelPane", 0, 200, 9);
  AddSwitch(out, kPage, 5, ControlClass::kPhaseSwitch, "MainMicPhaseBtn");
  AddTrackbar(out, kPage, 8, "MainEchoALevelBar", "MainEchoALevelPane", 0, 200, 9);
  AddSwitch(out, kPage, 9, ControlClass::kPhaseSwitch, "MainEchoAPhaseBtn");
  AddTrackbar(out, kPage, 12, "MainRvbLevelBar", "MainRvbLevelPane", 0, 200, 9);
  AddSwitch(out, kPage, 13, ControlClass::kPhaseSwitch, "MainRvbPhaseBtn");
  AddTrackbar(out, kPage, 16, "MainLdelayBar", "MainLdelayPane", 0, 1000, 18);
  AddSwitch(out, kPage, 17, ControlClass::kMuteSwitch, "MainLmuteBtn");
  AddTrackbar(out, kPage, 18, "MainRmsLevelBar", "MainRmsLevelPane", 0, 34, 14);
  AddTrackbar(out, kPage, 19, "MainRmsAttackBar", "MainRmsAttackPane", 0, 19, 17);
  AddTrackbar(out, kPage, 20, "MainRmsReleaseBar", "MainRmsReleasePane", 0, 7, 16);
  AddTrackbar(out, kPage, 21, "MainRmsRatioBar", "MainRmsRatioPane", 0, 40, 15);
  AddFilterBlock(out, kPage, 22, "MainHPTypeBox", "MainMusHPFreBar", "MainMusHPFrePane",
                 "MainLPTypeBox", "MainMusLPFreBar", "MainMusLPFrePane");
  AddSwitch(out, kPage, 26, ControlClass::kBypassButton, "MusEQAllpassBtn");
  for (int b = 0; b < 10; ++b) {
    AddBand(out, kPage, b, StandardColumn("Main", "MainQUpDownBtn", b + 1), false);
  }
  AddTrackbar(out, kPage, 77, "MainOutLevelBar", "MainOutLevelPane", 0, 100, 9);
  AddSwitch(out, kPage, 78, ControlClass::kPhaseSwitch, "MainOutphasebtn");

  // The right channel of a stereo output sits on the pair after its left channel; the view
  // rebuild re-addresses these three controls to the open output's right-channel view.
  for (int right_view : {7, 15, 19}) {
    AddTrackbar(out, right_view, 16, "MainRdelayBar", "MainRdelayPane", 0, 1000, 18);
    AddSwitch(out, right_view, 17, ControlClass::kMuteSwitch, "MainRmuteBtn");
  }
}

}  // namespace kdsp::slot_map_internal
