#include "edit/ab_compare.h"

#include <utility>
#include <vector>

#include "edit/edit_step.h"

namespace kdsp {

AbCompare::AbCompare(BindingContext& ctx, EditHistory& history, QObject* parent)
    : QObject(parent), ctx_(ctx), history_(history) {
  connect(&history_, &EditHistory::PagesReplaced, this, &AbCompare::End);
}

void AbCompare::PressB() {
  history_.SettleEntry();
  if (!active_) {
    history_.Recorder().Flush();
    // A refresh first brings stored values into the ranges the controls show (as every refresh
    // does), so that A and B start from the same, settled tables.
    history_.ApplyValues({}, StepReload::kNone);
    other_ = ctx_.device_values;  // A: the values as they are now
    active_ = true;
    shown_ = kB;
    history_.SplitForComparison();
    emit Changed();
    return;
  }
  SwitchTo(kB);
}

void AbCompare::PressA() {
  history_.SettleEntry();
  if (active_) SwitchTo(kA);
}

void AbCompare::SwitchTo(int setting) {
  if (setting == shown_) return;
  history_.Recorder().Flush();  // a step in progress belongs to the setting it was made on
  std::vector<std::pair<ParamAddr, int>> differing;
  ValueTable shown_values = ctx_.device_values;
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const ParamAddr a = MakeAddr(page, slot);
      if (!IsCompared(a)) continue;
      const int wanted = other_.Get(page, slot);
      if (wanted != shown_values.Get(page, slot)) differing.emplace_back(a, wanted);
    }
  }
  other_ = shown_values;
  shown_ = setting;
  history_.UseSetting(setting);
  history_.ApplyValues(differing, StepReload::kNone);
  // The differences go out one after the other as the box acknowledges each.
  if (!differing.empty() && ctx_.link != nullptr) ctx_.link->ExpediteQueue();
  emit Changed();
}

void AbCompare::End() {
  if (!active_) return;
  active_ = false;
  history_.DropOtherSetting();
  emit Changed();
}

}  // namespace kdsp
