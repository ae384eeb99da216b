#pragma once

#include <functional>

#include <QObject>

#include "edit/edit_step.h"
#include "model/value_table.h"

namespace kdsp {

/// Groups the device values the edit path changes into undo steps. A change made outside any
/// group opens a step of its own that ends when control returns to the event loop or the next
/// input arrives (a typed value, an arrow key, a wheel notch). A mouse gesture groups
/// everything from the press to the release (a trackbar move, a marker drag, a click), and
/// `Begin`/`End` group an operation explicitly. A finished step goes to the sink.
class EditRecorder : public QObject {
  Q_OBJECT
 public:
  using Sink = std::function<void(EditStep)>;

  explicit EditRecorder(QObject* parent = nullptr) : QObject(parent) {}

  void SetSink(Sink sink) { sink_ = std::move(sink); }
  /// Runs before a gesture's step ends: hands over values a drag still holds back.
  void SetBeforeGestureEnd(std::function<void()> fn) { before_gesture_end_ = std::move(fn); }

  /// A device value is about to change from `before` to `after` by the user's action.
  void Note(ParamAddr device_addr, int before, int after);

  /// A mouse button went down: the step of the gesture begins (earlier steps end first).
  void BeginGesture();
  /// The buttons are up: the gesture's step ends once the release has been handled.
  void EndGestureLater();

  /// Explicit grouping, nestable; the step ends with the outermost `End`.
  void Begin();
  void End(StepReload reload = StepReload::kNone);

  /// Ends every open step now (an implicit step, a released gesture).
  void Flush();
  /// A new input (a key, a wheel notch, a choice) arrives: an implicit step still open ends
  /// before it; a gesture in progress goes on.
  void NewInput();

  bool Paused() const { return paused_ > 0; }

  /// While alive, nothing is recorded: undo, redo, A/B switches and the link's own writes.
  class Pause {
   public:
    explicit Pause(EditRecorder& r) : r_(r) { ++r_.paused_; }
    ~Pause() { --r_.paused_; }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

   private:
    EditRecorder& r_;
  };

 private:
  void FinishGesture();
  void Emit();

  Sink sink_;
  std::function<void()> before_gesture_end_;
  std::vector<ValueChange> changes_;
  StepReload reload_ = StepReload::kNone;
  int depth_ = 0;
  int paused_ = 0;
  bool implicit_open_ = false;
  bool gesture_open_ = false;
  bool gesture_ending_ = false;
  unsigned generation_ = 0;  ///< tells a deferred end whether its step is still the open one
};

/// Records every cell of `table` that differs between construction and destruction as one
/// explicit group: for operations that write the device table in bulk (an equaliser reset,
/// the microphone copy of a sync, a preset load).
class RecordedScope {
 public:
  RecordedScope(EditRecorder* recorder, const ValueTable& table,
                StepReload reload = StepReload::kNone);
  ~RecordedScope();
  RecordedScope(const RecordedScope&) = delete;
  RecordedScope& operator=(const RecordedScope&) = delete;

 private:
  EditRecorder* recorder_;
  const ValueTable& table_;
  ValueTable before_;
  StepReload reload_;
};

}  // namespace kdsp
