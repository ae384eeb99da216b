#include "edit/value_step_command.h"

namespace kdsp {

ValueStepCommand::ValueStepCommand(EditStep step, Apply apply)
    : step_(std::move(step)), apply_(std::move(apply)) {
  setText(QString::number(step_.changes.size()));
}

void ValueStepCommand::redo() {
  if (done_) return;
  done_ = true;
  apply_(step_, false);
}

void ValueStepCommand::undo() {
  done_ = false;
  apply_(step_, true);
}

}  // namespace kdsp
