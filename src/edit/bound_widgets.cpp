#include "edit/bound_widgets.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>

namespace kdsp {

int Bound::Kind() const {
  if (hint_.isEmpty()) return 0;
  bool ok = false;
  const int kind = hint_.toInt(&ok);
  return ok ? kind : -1;
}

Bound* AsBound(QObject* widget) { return dynamic_cast<Bound*>(widget); }

ParamEdit::ParamEdit(QWidget* parent) : QLineEdit(parent) {}

namespace {
/// True for a key the value edit leaves to the window's shortcuts: undo and redo (the edit's
/// own text undo would hide the history) and every printable character it would drop anyway.
bool IsWindowKey(const QKeyEvent* key) {
  if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) return true;
  const Qt::KeyboardModifiers mods =
      key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (mods == Qt::ControlModifier && (key->key() == Qt::Key_Y || key->key() == Qt::Key_Z)) {
    return true;
  }
  const QString text = key->text();
  if (mods != Qt::NoModifier || text.size() != 1 || !text.at(0).isPrint()) return false;
  const QChar ch = text.at(0);
  return !ch.isDigit() && ch != '-' && ch != '.';
}
}  // namespace

bool ParamEdit::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && IsWindowKey(static_cast<QKeyEvent*>(event))) {
    event->ignore();
    return true;
  }
  return QLineEdit::event(event);
}

void ParamEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit Clicked(this);
  }
}

void ParamEdit::keyPressEvent(QKeyEvent* event) {
  bool consumed = false;
  emit KeyDown(this, event->key(), &consumed);
  if (consumed) {
    event->accept();
    return;
  }
  QChar ch;
  switch (event->key()) {
    case Qt::Key_Backspace:
      ch = QChar('\b');
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      ch = QChar('\r');
      break;
    default: {
      const QString text = event->text();
      // Keys without a printable character (navigation, Delete, shortcuts) reach the edit.
      if (text.size() != 1 || !text.at(0).isPrint() ||
          (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QString before = this->text();
        QLineEdit::keyPressEvent(event);
        if (this->text() != before) emit ChangedByKey(this, before);
        return;
      }
      ch = text.at(0);
    }
  }
  const bool allowed =
      ch == '\b' || ch == '\r' || ch == '-' || ch == '.' || (ch >= QChar('0') && ch <= QChar('9'));
  emit KeyPressed(this, ch);
  if (allowed && ch != '\r') QLineEdit::keyPressEvent(event);
  event->accept();
}

void ParamEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Leaving the window or opening a popup is not leaving the edit.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
    return;
  }
  emit Left(this);
}

ParamTrackBar::ParamTrackBar(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
  setTracking(true);
}

void ParamTrackBar::wheelEvent(QWheelEvent* event) { event->ignore(); }

StatusPane::StatusPane(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignCenter); }

ParamSelector::ParamSelector(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, [this](int item) { emit Chosen(this, item); });
}

void ParamSelector::wheelEvent(QWheelEvent* event) { event->ignore(); }

namespace {
const char* LookName(PictureButton::Look look) {
  switch (look) {
    case PictureButton::Look::kReleased:
      return "released";
    case PictureButton::Look::kPressed:
      return "pressed";
    case PictureButton::Look::kDisabledLook:
      return "disabledlook";
    case PictureButton::Look::kNormal:
      break;
  }
  return "normal";
}

void Repolish(QWidget* w) {
  w->style()->unpolish(w);
  w->style()->polish(w);
  w->update();
}
}  // namespace

PictureButton::PictureButton(QWidget* parent) : QPushButton(parent) {
  setProperty("look", LookName(look_));
  setFocusPolicy(Qt::NoFocus);
}

void PictureButton::SetLook(Look look) {
  if (look == look_) return;
  look_ = look;
  setProperty("look", LookName(look));
  Repolish(this);
}

TypeLabel::TypeLabel(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignCenter);
  setProperty("chosen", false);
}

void TypeLabel::SetChosen(bool chosen) {
  if (chosen == chosen_ && property("chosen").toBool() == chosen) return;
  chosen_ = chosen;
  setProperty("chosen", chosen);
  Repolish(this);
}

void TypeLabel::mousePressEvent(QMouseEvent* event) {
  QLabel::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) emit Clicked(this);
}

SpinButtons::SpinButtons(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  up_->setFocusPolicy(Qt::NoFocus);
  up_->setAutoRepeat(true);
  down_->setAutoRepeat(true);
  down_->setFocusPolicy(Qt::NoFocus);
  up_->setObjectName("up");
  down_->setObjectName("down");
  connect(up_, &QToolButton::clicked, this, [this] { emit UpRight(this); });
  connect(down_, &QToolButton::clicked, this, [this] { emit DownLeft(this); });
}

void SpinButtons::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace kdsp
