#pragma once

#include <vector>

#include "model/param_addr.h"

namespace kdsp {

/// One device value changed by the user: its device address, the value before and after.
struct ValueChange {
  ParamAddr addr = 0;
  int before = 0;
  int after = 0;
  bool operator==(const ValueChange&) const = default;
};

/// How a step reaches the box when it is undone or redone: value by value through the edit
/// path, or stored and then downloaded as whole pages, as a preset load does.
enum class StepReload { kNone = 0, kHintPages = 1, kAllPages = 2 };

/// One undoable step: every device value one user action changed, in address order.
struct EditStep {
  std::vector<ValueChange> changes;
  StepReload reload = StepReload::kNone;
};

/// True for the device addresses that hold settings the user changes: the parameter pages
/// 0..25 and, on the system page, the panel lock and the two routings. Reset commands, mode
/// recalls and the link's own items are not undone.
bool IsUndoable(ParamAddr device_addr);

/// True for the settings an A/B comparison switches: those of `IsUndoable` without the panel
/// lock, which is not part of a sound.
bool IsCompared(ParamAddr device_addr);

}  // namespace kdsp
