// Slot maps of view pages 3 (echo) and 4 (reverb).

#include "model/slot_map_builders.h"

namespace kdsp::slot_map_internal {

void AppendEffectPages(Entries& out) {
  constexpr int kEcho = 3;
  AddTrackbar(out, kEcho, 0, "EchoEffLevelBar", "EchoEffLevelPane", 0, 100, 8);
  AddSwitch(out, kEcho, 1, ControlClass::kPhaseSwitch, "EchoEffPhaseBtn");
  // The pre-delay counts whole milliseconds, the delay two milliseconds per step.
  AddTrackbar(out, kEcho, 4, "EchoPreDelayBar", "EchoPreDelayPane", 0, 250, 26);
  AddTrackbar(out, kEcho, 5, "EchoTimeBar", "EchoTimePane", 0, 250, 11);
  AddTrackbar(out, kEcho, 6, "EchoRepeatBar", "EchoRepeatPane", 0, 80, 8);
  AddTrackbar(out, kEcho, 7, "EchoRPreDelayBar", "EchoRPreDelayPane", 0, 50, 8);
  AddTrackbar(out, kEcho, 8, "EchoRTimeBar", "EchoRTimePane", 0, 100, 10);
  AddFilterBlock(out, kEcho, 9, "EchoHPTypeBox", "EchoHPFreBar", "EchoHPFrePane", "EchoLPTypeBox",
                 "EchoLPFreBar", "EchoLPFrePane");
  AddSwitch(out, kEcho, 13, ControlClass::kBypassButton, "MusEQAllpassBtn");
  for (int b = 0; b < 10; ++b) {
    AddBand(out, kEcho, b, StandardColumn("Echo", "EchoQUpDownBtn", b + 1), false);
  }

  constexpr int kReverb = 4;
  AddTrackbar(out, kReverb, 0, "RvbEffLevelBar", "RvbEffLevelPane", 0, 100, 8);
  AddSwitch(out, kReverb, 1, ControlClass::kPhaseSwitch, "RvbEffPhaseBtn");
  AddTrackbar(out, kReverb, 2, "RvbDirectLevelBar", "RvbDirectLevelPane", 0, 100, 8);
  AddSwitch(out, kReverb, 3, ControlClass::kPhaseSwitch, "RvbDirectPhaseBtn");
  AddTrackbar(out, kReverb, 4, "RvbPreDelayBar", "RvbPreDelayPane", 0, 100, 11);
  AddTrackbar(out, kReverb, 5, "RvbTimeBar", "RvbTimePane", 0, 80, 12);
  AddFilterBlock(out, kReverb, 6, "RvbHPTypeBox", "RvbHPFreBar", "RvbHPFrePane", "RvbLPTypeBox",
                 "RvbLPFreBar", "RvbLPFrePane");
  AddSwitch(out, kReverb, 10, ControlClass::kBypassButton, "MusEQAllpassBtn");
  for (int b = 0; b < 10; ++b) {
    AddBand(out, kReverb, b, StandardColumn("Rvb", "RvbQUpDownBtn", b + 1), false);
  }
}

}  // namespace kdsp::slot_map_internal
