#include "edit/edit_step.h"

namespace kdsp {

namespace {
constexpr int kLastParameterPage = 25;
constexpr int kSystemPage = 30;
constexpr int kPanelLockSlot = 4;
constexpr int kCentreRoutingSlot = 23;
constexpr int kSubRoutingSlot = 24;
}  // namespace

bool IsCompared(ParamAddr device_addr) {
  const int page = PageOf(device_addr);
  const int slot = SlotOf(device_addr);
  if (slot >= kSlotCount) return false;
  if (page <= kLastParameterPage) return true;
  return page == kSystemPage && (slot == kCentreRoutingSlot || slot == kSubRoutingSlot);
}

bool IsUndoable(ParamAddr device_addr) {
  return IsCompared(device_addr) || device_addr == MakeAddr(kSystemPage, kPanelLockSlot);
}

}  // namespace kdsp
