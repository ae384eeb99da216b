#pragma once

#include <functional>

#include <QUndoCommand>

#include "edit/edit_step.h"

namespace kdsp {

/// One undo step on a `QUndoStack`. It holds device addresses and values, never widgets;
/// `apply` hands the values of one side (true: the values before) back to the edit path.
class ValueStepCommand : public QUndoCommand {
 public:
  using Apply = std::function<void(const EditStep& step, bool before)>;

  ValueStepCommand(EditStep step, Apply apply);

  /// The first redo is the user's own action, already done when the step is pushed.
  void redo() override;
  void undo() override;

  const EditStep& Step() const { return step_; }

 private:
  EditStep step_;
  Apply apply_;
  bool done_ = true;
};

}  // namespace kdsp
