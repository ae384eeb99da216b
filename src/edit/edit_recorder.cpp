#include "edit/edit_recorder.h"

#include <algorithm>

#include <QTimer>

namespace kdsp {

void EditRecorder::Note(ParamAddr device_addr, int before, int after) {
  if (Paused() || !IsUndoable(device_addr)) return;
  auto it = std::find_if(changes_.begin(), changes_.end(),
                         [device_addr](const ValueChange& c) { return c.addr == device_addr; });
  if (it != changes_.end()) {
    it->after = after;  // the step keeps the first value before and the last after
  } else if (before != after) {
    changes_.push_back({device_addr, before, after});
  } else {
    return;
  }
  if (depth_ == 0 && !gesture_open_ && !implicit_open_) {
    implicit_open_ = true;
    const unsigned generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
      if (generation == generation_ && implicit_open_ && depth_ == 0 && !gesture_open_) Emit();
    });
  }
}

void EditRecorder::BeginGesture() {
  if (gesture_open_ && !gesture_ending_) return;  // the press travels up to the parents
  Flush();
  if (depth_ == 0 && implicit_open_) Emit();
  gesture_open_ = true;
  gesture_ending_ = false;
}

void EditRecorder::EndGestureLater() {
  if (!gesture_open_ || gesture_ending_) return;
  gesture_ending_ = true;
  const unsigned generation = generation_;
  QTimer::singleShot(0, this, [this, generation] {
    if (generation == generation_ && gesture_ending_) FinishGesture();
  });
}

void EditRecorder::FinishGesture() {
  if (before_gesture_end_) before_gesture_end_();
  gesture_open_ = false;
  gesture_ending_ = false;
  if (depth_ == 0) Emit();
}

void EditRecorder::Begin() {
  if (depth_ == 0 && implicit_open_ && !gesture_open_) Emit();
  ++depth_;
}

void EditRecorder::End(StepReload reload) {
  reload_ = std::max(reload_, reload);
  if (depth_ > 0) --depth_;
  if (depth_ == 0 && !gesture_open_) Emit();
}

void EditRecorder::Flush() {
  if (depth_ > 0) return;  // an operation in progress ends its own step
  if (gesture_open_) {
    FinishGesture();
  } else if (implicit_open_) {
    Emit();
  }
}

void EditRecorder::NewInput() {
  if (depth_ == 0 && !gesture_open_ && implicit_open_) Emit();
}

void EditRecorder::Emit() {
  ++generation_;
  implicit_open_ = false;
  EditStep step;
  step.changes.swap(changes_);
  step.reload = std::exchange(reload_, StepReload::kNone);
  // A value that came back to where it was is no change at all.
  std::erase_if(step.changes, [](const ValueChange& c) { return c.before == c.after; });
  if (step.changes.empty()) return;
  std::sort(step.changes.begin(), step.changes.end(),
            [](const ValueChange& a, const ValueChange& b) { return a.addr < b.addr; });
  if (sink_) sink_(std::move(step));
}

RecordedScope::RecordedScope(EditRecorder* recorder, const ValueTable& table, StepReload reload)
    : recorder_(recorder), table_(table), before_(table), reload_(reload) {
  if (recorder_ != nullptr) recorder_->Begin();
}

RecordedScope::~RecordedScope() {
  if (recorder_ == nullptr) return;
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const int before = before_.Get(page, slot);
      const int after = table_.Get(page, slot);
      if (before != after) recorder_->Note(MakeAddr(page, slot), before, after);
    }
  }
  recorder_->End(reload_);
}

}  // namespace kdsp
