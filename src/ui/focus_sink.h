#pragma once

#include <QEvent>
#include <QLineEdit>

namespace kdsp::ui {

/// The invisible edit `Examplexx` that holds the keyboard focus when no control should: it
/// claims no key for itself, so every window key (undo, redo, the single-key shortcuts) acts.
class FocusSink : public QLineEdit {
  Q_OBJECT
 public:
  explicit FocusSink(QWidget* parent = nullptr) : QLineEdit(parent) {}

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      event->ignore();
      return true;
    }
    return QLineEdit::event(event);
  }
};

}  // namespace kdsp::ui
