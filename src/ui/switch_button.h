#pragma once

#include "edit/bound_widgets.h"

namespace kdsp::ui {

/// A two-state picture button of the channel pages: a phase switch ("+" released, "−" pressed:
/// the signal is inverted) or a mute switch (a speaker beside its caption, crossed out and on an
/// orange ground while muted). Its state stays in the Hint and its look in `CurrentLook`, as
/// for every picture button; only the drawing is its own.
class SwitchButton : public PictureButton {
  Q_OBJECT
 public:
  enum class Kind { kPhase, kMute };
  SwitchButton(Kind kind, QWidget* parent);
  Kind SwitchKind() const { return kind_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
};

}  // namespace kdsp::ui
