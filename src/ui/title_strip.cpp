#include "ui/title_strip.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

#include "ui/app_title.h"

namespace kdsp::ui {

namespace {
QPushButton* WindowButton(QWidget* parent, const char* name, const QString& glyph) {
  auto* b = new QPushButton(glyph, parent);
  b->setObjectName(name);
  b->setProperty("windowButton", true);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}
}  // namespace

TitleStrip::TitleStrip(QWidget* parent) : QWidget(parent) {
  setObjectName("TitleStrip");
  setAttribute(Qt::WA_StyledBackground, true);
  title_ = new QLabel(QString::fromUtf8(kWindowTitle), this);
  title_->setObjectName("TitleLabel");
  title_->setGeometry(10, 0, 400, kHeight);
  title_->setAttribute(Qt::WA_TransparentForMouseEvents, true);
  // The hidden service access lives in the title strip; the system page wires it.
  logo_label_ = new QLabel(QString::fromUtf8("运行："), this);
  logo_label_->setObjectName("SysLogoLabel");
  logo_label_->setGeometry(420, 3, 40, 19);
  logo_label_->hide();
  logo_edit_ = new QLineEdit(this);
  logo_edit_->setObjectName("SysLogoEdit");
  logo_edit_->setGeometry(462, 3, 120, 19);
  logo_edit_->hide();
  minimise_ = WindowButton(this, "RzBmpButton2", QString::fromUtf8("\u2013"));
  maximise_ = WindowButton(this, "RzBmpButton1", QString::fromUtf8("\u25a1"));
  close_ = WindowButton(this, "RzBmpButton3", QString::fromUtf8("\u2715"));
  connect(minimise_, &QPushButton::clicked, this, &TitleStrip::MinimiseClicked);
  connect(maximise_, &QPushButton::clicked, this, &TitleStrip::MaximiseClicked);
  connect(close_, &QPushButton::clicked, this, &TitleStrip::CloseClicked);

  undo_ = WindowButton(this, "UndoBtn", QString::fromUtf8("\u21b6"));
  redo_ = WindowButton(this, "RedoBtn", QString::fromUtf8("\u21b7"));
  compare_a_ = WindowButton(this, "CompareABtn", QStringLiteral("A"));
  compare_b_ = WindowButton(this, "CompareBBtn", QStringLiteral("B"));
  for (QPushButton* b : {undo_, redo_, compare_a_, compare_b_}) {
    b->setProperty("historyButton", true);
  }
  compare_a_->setCheckable(true);
  compare_b_->setCheckable(true);
  connect(undo_, &QPushButton::clicked, this, &TitleStrip::UndoClicked);
  connect(redo_, &QPushButton::clicked, this, &TitleStrip::RedoClicked);
  // The buttons show the comparison's state, which only the comparison sets.
  connect(compare_a_, &QPushButton::clicked, this, [this] {
    compare_a_->setChecked(!compare_a_->isChecked());
    emit CompareAClicked();
  });
  connect(compare_b_, &QPushButton::clicked, this, [this] {
    compare_b_->setChecked(!compare_b_->isChecked());
    emit CompareBClicked();
  });
  SetHistoryState(false, false);
  SetCompareState(-1);
}

void TitleStrip::SetHistoryState(bool can_undo, bool can_redo) {
  undo_->setEnabled(can_undo);
  redo_->setEnabled(can_redo);
}

void TitleStrip::SetCompareState(int shown) {
  compare_a_->setChecked(shown == 0);
  compare_b_->setChecked(shown == 1);
}

void TitleStrip::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  constexpr int kButton = 40;
  close_->setGeometry(width() - kButton, 0, kButton, kHeight);
  maximise_->setGeometry(width() - 2 * kButton, 0, kButton, kHeight);
  minimise_->setGeometry(width() - 3 * kButton, 0, kButton, kHeight);
  constexpr int kSmall = 28;
  constexpr int kGap = 10;
  const int b_left = width() - 3 * kButton - kGap - kSmall;
  compare_b_->setGeometry(b_left, 0, kSmall, kHeight);
  compare_a_->setGeometry(b_left - kSmall, 0, kSmall, kHeight);
  redo_->setGeometry(b_left - kSmall - kGap - kSmall, 0, kSmall, kHeight);
  undo_->setGeometry(b_left - kSmall - kGap - 2 * kSmall, 0, kSmall, kHeight);
}

void TitleStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  // Let the window manager move the window where it can; otherwise move it ourselves.
  QWindow* handle = window()->windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return;
  dragging_ = true;
  drag_offset_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
}

void TitleStrip::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) window()->move(event->globalPosition().toPoint() - drag_offset_);
}

void TitleStrip::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void TitleStrip::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit MaximiseClicked();
}

}  // namespace kdsp::ui
