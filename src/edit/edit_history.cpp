#include "edit/edit_history.h"

#include <algorithm>

#include "edit/channel_ops.h"
#include "edit/page_refresh.h"
#include "edit/value_step_command.h"

namespace kdsp {

namespace {
constexpr ParamAddr kMicSyncAddr = MakeAddr(1, 13);  // the sync flag, on microphone 1's page
constexpr int kMic2Page = 2;
constexpr int kLastSyncedSlot = 114;  // microphone 2's own effect volume (115) is never synced
}  // namespace

EditHistory::EditHistory(BindingContext& ctx, EditPipeline& pipeline, PageRefresh& refresh,
                         ChannelOps& channels, QObject* parent)
    : QObject(parent), ctx_(ctx), pipeline_(pipeline), refresh_(refresh), channels_(channels) {
  stacks_[0] = NewStack();
  stacks_[1] = NewStack();
  recorder_.SetSink([this](EditStep step) { Push(std::move(step)); });
  ctx_.recorder = &recorder_;
}

EditHistory::~EditHistory() {
  // The stacks go first and say nothing on their way out.
  for (auto& stack : stacks_) stack->disconnect(this);
  blockSignals(true);
  if (ctx_.recorder == &recorder_) ctx_.recorder = nullptr;
}

std::unique_ptr<QUndoStack> EditHistory::NewStack() {
  auto stack = std::make_unique<QUndoStack>();
  connect(stack.get(), &QUndoStack::indexChanged, this, &EditHistory::Changed);
  return stack;
}

void EditHistory::Push(EditStep step) {
  const bool replaces_pages = step.reload != StepReload::kNone;
  ActiveStack().push(new ValueStepCommand(
      std::move(step), [this](const EditStep& s, bool before) { ApplyStep(s, before); }));
  if (replaces_pages) emit PagesReplaced();
  emit Changed();
}

void EditHistory::Undo() {
  pipeline_.SettleEntry();
  recorder_.Flush();  // the step in progress is the one to undo
  if (ActiveStack().canUndo()) ActiveStack().undo();
  emit Changed();
}

void EditHistory::Redo() {
  pipeline_.SettleEntry();
  recorder_.Flush();
  if (ActiveStack().canRedo()) ActiveStack().redo();
  emit Changed();
}

void EditHistory::Clear() {
  recorder_.Flush();
  for (auto& stack : stacks_) stack->clear();
  emit PagesReplaced();
  emit Changed();
}

void EditHistory::ApplyStep(const EditStep& step, bool before) {
  std::vector<std::pair<ParamAddr, int>> values;
  values.reserve(step.changes.size());
  for (const ValueChange& c : step.changes)
    values.emplace_back(c.addr, before ? c.before : c.after);
  ApplyValues(values, step.reload);
}

void EditHistory::ApplyValues(const std::vector<std::pair<ParamAddr, int>>& values,
                              StepReload reload) {
  EditRecorder::Pause pause(recorder_);
  auto sorted = values;
  std::sort(sorted.begin(), sorted.end());
  // While microphone sync is on, the box keeps microphone 2 in step with microphone 1 itself:
  // its values are stored, never written, and the table follows microphone 1 as the box does.
  int sync = ctx_.device_values.Get(kMicSyncAddr);
  for (const auto& [addr, value] : sorted) {
    if (addr == kMicSyncAddr) sync = value;
  }
  const auto derived = [sync](ParamAddr a) {
    return sync == 1 && PageOf(a) == kMic2Page && SlotOf(a) <= kLastSyncedSlot;
  };
  auto write_all = [this, &sorted, &derived] {
    for (const auto& [addr, value] : sorted) {
      if (derived(addr)) {
        pipeline_.Suppressed([&] { pipeline_.WriteDevice(addr, value); });
      } else {
        pipeline_.WriteDevice(addr, value);
      }
    }
  };
  if (reload == StepReload::kNone) {
    write_all();
  } else {
    pipeline_.Suppressed(write_all);  // the pages go to the box as a whole below
  }
  if (sync == 1) {
    for (int slot = 0; slot <= kLastSyncedSlot; ++slot) {
      ctx_.device_values.Set(kMic2Page, slot, ctx_.device_values.Get(kMic2Page - 1, slot));
    }
  }
  // Every page shows the tables again; the scene and the output page follow the stored scene.
  refresh_.RefreshPage(PageRefresh::kAllPages);
  channels_.SelectChannel(ctx_.channel.current_tab);
  refresh_.RefreshPage(ctx_.channel.view_page);
  const bool online = ctx_.link != nullptr && ctx_.link->IsOnline();
  if (reload != StepReload::kNone && online && download_) download_(reload);
}

void EditHistory::SplitForComparison() {
  recorder_.Flush();
  // The stack edited so far becomes B's; A starts with a copy of its undo steps.
  if (active_ != 1) std::swap(stacks_[0], stacks_[1]);
  active_ = 1;
  QUndoStack& b = *stacks_[1];
  QUndoStack& a = *stacks_[0];
  a.clear();
  for (int i = 0; i < b.index(); ++i) {
    const auto* cmd = static_cast<const ValueStepCommand*>(b.command(i));
    a.push(new ValueStepCommand(cmd->Step(),
                                [this](const EditStep& s, bool before) { ApplyStep(s, before); }));
  }
  emit Changed();
}

void EditHistory::UseSetting(int setting) {
  recorder_.Flush();
  active_ = setting == 0 ? 0 : 1;
  emit Changed();
}

void EditHistory::DropOtherSetting() {
  stacks_[1 - active_]->clear();
  emit Changed();
}

}  // namespace kdsp
