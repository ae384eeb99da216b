#include "ui/system_widgets.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace kdsp::ui {

VolumeMarker::VolumeMarker(QWidget* parent) : QWidget(parent) {
  resize(kWidth, kHeight);
  setCursor(Qt::SizeHorCursor);
}

void VolumeMarker::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath tip;
  tip.moveTo(width() / 2.0, 0);
  tip.lineTo(width(), height());
  tip.lineTo(0, height());
  tip.closeSubpath();
  p.fillPath(tip, QColor(230, 60, 40));
}

void VolumeMarker::mousePressEvent(QMouseEvent* event) {
  emit Pressed(this, event->button(), event->position().toPoint());
}

void VolumeMarker::mouseMoveEvent(QMouseEvent* event) {
  emit Moved(this, event->position().toPoint());
}

void VolumeMarker::mouseReleaseEvent(QMouseEvent* event) { emit Released(this, event->button()); }

DigitEdit::DigitEdit(QWidget* parent, int max_length, bool masked) : QLineEdit(parent) {
  setMaxLength(max_length);
  if (masked) setEchoMode(QLineEdit::Password);
  setContextMenuPolicy(Qt::NoContextMenu);
  setAcceptDrops(false);
}

void DigitEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  const bool digit = plain && key >= Qt::Key_0 && key <= Qt::Key_9;
  if (digit || key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();  // dropped
}

void LimitUtf8Bytes(QLineEdit* edit, int max_bytes) {
  edit->setMaxLength(max_bytes);
  QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, max_bytes](const QString& text) {
    if (text.toUtf8().size() <= max_bytes) return;
    QString cut = text;
    while (!cut.isEmpty() && cut.toUtf8().size() > max_bytes) {
      cut.chop(cut.size() >= 2 && cut.back().isLowSurrogate() ? 2 : 1);
    }
    const int cursor = std::min<int>(edit->cursorPosition(), cut.size());
    edit->setText(cut);
    edit->setCursorPosition(cursor);
  });
}

PresetList::PresetList(QWidget* parent) : QTableWidget(0, 2, parent) {
  setHorizontalHeaderLabels({QStringLiteral("NO."), QStringLiteral("File Name")});
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(20);
  horizontalHeader()->setFixedHeight(22);
  horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  horizontalHeader()->setHighlightSections(false);
  setColumnWidth(0, 40);
  setWordWrap(false);
  setStyleSheet(
      "QTableWidget { selection-background-color: #f39800; selection-color: white;"
      " gridline-color: #e4e4e4; }");
}

void PresetList::SetNames(const std::vector<std::string>& names) {
  const int row = currentRow();
  clearContents();
  setRowCount(static_cast<int>(names.size()));
  for (int r = 0; r < rowCount(); ++r) {
    setItem(r, 0, new QTableWidgetItem(QString::number(r)));
    setItem(r, 1, new QTableWidgetItem(QString::fromStdString(names[r])));
  }
  if (rowCount() > 0) setCurrentCell(std::clamp(row, 0, rowCount() - 1), 1);
}

QString PresetList::NameAt(int row) const {
  const QTableWidgetItem* cell = row >= 0 && row < rowCount() ? item(row, 1) : nullptr;
  return cell != nullptr ? cell->text() : QString();
}

}  // namespace kdsp::ui
