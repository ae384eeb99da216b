// Slot maps of view pages 22 (hidden equalisers), 25 (volume limits), 26 (equaliser reset
// commands) and 30 (system).

#include "model/slot_map_builders.h"

namespace kdsp::slot_map_internal {

void AppendSystemPages(Entries& out) {
  constexpr int kHidden = 22;
  AddSwitch(out, kHidden, 0, ControlClass::kBypassButton, "MusEQAllpassBtn");
  for (int b = 0; b < 5; ++b) {
    AddBand(out, kHidden, b, StandardColumn("Hint", "HintQUpDownBtn", b + 1), false);
  }

  // Volume limits: the system page formats their panes itself (kind 0).
  constexpr int kLimits = 25;
  static constexpr std::string_view kVolumeBars[9][2] = {
      {"SysMicNormalVolBar", "SysMicNormalVolPane"}, {"SysMusNormalVolBar", "SysMusNormalVolPane"},
      {"SysEffNormalVolBar", "SysEffNormalVolPane"}, {"SysMicMaxVolBar", "SysMicMaxVolPane"},
      {"SysMusMaxVolBar", "SysMusMaxVolPane"},       {"SysEffMaxVolBar", "SysEffMaxVolPane"},
      {"SysMicStartVolBar", "SysMicStartVolPane"},   {"SysMusStartVolBar", "SysMusStartVolPane"},
      {"SysEffStartVolBar", "SysEffStartVolPane"},
  };
  for (int slot = 0; slot < 9; ++slot) {
    AddTrackbar(out, kLimits, slot, kVolumeBars[slot][0], kVolumeBars[slot][1], 0, 84, 0);
  }
  AddButtonPair(out, kLimits, 9, "SysVolRunBtn1", "SysVolRunBtn2");

  // Writing 1 to slot n asks the box to reset equaliser block n; no control shows these.
  constexpr int kResets = 26;
  for (int block = 0; block <= 16; ++block) AddBare(out, kResets, block, 0, 1, -1);

  constexpr int kSystem = 30;
  AddSelector(out, kSystem, 2, ControlClass::kSelector, "SysModeBox", 15, ItemSource::kModeNames,
              {});
  AddButtonPair(out, kSystem, 4, "SysPanelBtn1", "SysPanelBtn2");
  AddSelector(out, kSystem, 23, ControlClass::kSelector, "SysCenRoutingBox", 2, ItemSource::kFixed,
              kRoutingItems);
  AddSelector(out, kSystem, 24, ControlClass::kSelector, "SysSubRoutingBox", 2, ItemSource::kFixed,
              kRoutingItems);
  AddSelector(out, kSystem, 34, ControlClass::kSelector, "SysMode2Box", 15,
              ItemSource::kHintModeNames, {});
}

}  // namespace kdsp::slot_map_internal
