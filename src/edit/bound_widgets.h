#pragma once

// The small set of widget classes that carry a parameter address (`Tag`) and a display kind or
// two-state text (`Hint`). The edit pipeline dispatches on these classes with qobject_cast.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QString>
#include <QWidget>

#include "model/param_addr.h"

class QToolButton;

namespace kdsp {

/// Address and hint shared by every bound control.
class Bound {
 public:
  virtual ~Bound() = default;
  ParamAddr Tag() const { return tag_; }
  void SetTag(ParamAddr tag) { tag_ = tag; }
  const QString& Hint() const { return hint_; }
  void SetHint(const QString& hint) { hint_ = hint; }
  /// The hint read as a display kind: 0 when empty, -1 when it is not a number.
  int Kind() const;

 private:
  ParamAddr tag_ = 0;
  QString hint_;
};

/// The bound part of any widget, or nullptr for widgets that carry no address.
Bound* AsBound(QObject* widget);

/// Value edit. Key, click and leave events go to the edit handlers through signals; the edit
/// itself lets only backspace, Enter, '-', '.' and digits reach its text.
class ParamEdit : public QLineEdit, public Bound {
  Q_OBJECT
 public:
  explicit ParamEdit(QWidget* parent = nullptr);

 signals:
  void Clicked(ParamEdit* edit);
  /// A key went down; the handler sets *consumed when it acted on the key.
  void KeyDown(ParamEdit* edit, int key, bool* consumed);
  /// A character key that reaches the edit (after the filter); Enter is '\r'.
  void KeyPressed(ParamEdit* edit, QChar ch);
  void Left(ParamEdit* edit);
  /// A key that is not a character (Delete, a paste or cut shortcut) changed the text; `before`
  /// is the text it had.
  void ChangedByKey(ParamEdit* edit, const QString& before);

 protected:
  /// Letters and the undo and redo keys are the window's, not the edit's.
  bool event(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

/// Slider of a parameter. Its position is the raw value; moving it (by the user or by the
/// program) emits valueChanged, as a change of position always does.
class ParamTrackBar : public QSlider, public Bound {
  Q_OBJECT
 public:
  explicit ParamTrackBar(Qt::Orientation orientation, QWidget* parent = nullptr);

 protected:
  /// The wheel belongs to the window (it steps the clicked edit), not to the bar under it.
  void wheelEvent(QWheelEvent* event) override;
};

/// Text of a trackbar's value.
class StatusPane : public QLabel, public Bound {
  Q_OBJECT
 public:
  explicit StatusPane(QWidget* parent = nullptr);
};

/// Selector whose item index is the stored value. Only a choice by the user emits Chosen; a
/// selection made by the program runs no handler unless the caller runs it.
class ParamSelector : public QComboBox, public Bound {
  Q_OBJECT
 public:
  explicit ParamSelector(QWidget* parent = nullptr);

 signals:
  void Chosen(ParamSelector* selector, int item);

 protected:
  /// A turn of the wheel over a selector would change its item without storing it.
  void wheelEvent(QWheelEvent* event) override;
};

/// Button with pictures: switches keep their state "0" / "1" in the Hint.
class PictureButton : public QPushButton, public Bound {
  Q_OBJECT
 public:
  enum class Look { kNormal, kReleased, kPressed, kDisabledLook };
  explicit PictureButton(QWidget* parent = nullptr);
  void SetLook(Look look);
  Look CurrentLook() const { return look_; }

 private:
  Look look_ = Look::kNormal;
};

/// Clickable band type label ("BY", "P", "LS", "HS"); its Hint is its type 0..3.
class TypeLabel : public QLabel, public Bound {
  Q_OBJECT
 public:
  explicit TypeLabel(QWidget* parent = nullptr);
  /// The chosen label is white with grey text, the others grey with white text.
  void SetChosen(bool chosen);
  bool IsChosen() const { return chosen_; }

 signals:
  void Clicked(TypeLabel* label);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool chosen_ = false;
};

/// A pair of small up/down buttons stepping the control registered at its Tag.
class SpinButtons : public QWidget, public Bound {
  Q_OBJECT
 public:
  explicit SpinButtons(QWidget* parent = nullptr);
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 signals:
  void UpRight(SpinButtons* spin);
  void DownLeft(SpinButtons* spin);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace kdsp
