#pragma once

// Small widgets of the system page: the volume markers, the digits-only password edits and the
// preset file lists.

#include <string>
#include <vector>

#include <QLineEdit>
#include <QTableWidget>
#include <QWidget>

#include "edit/bound_widgets.h"

namespace kdsp::ui {

/// A maximum (or start) marker under a normal volume bar: a small triangle whose left edge
/// stands for a volume. It carries the address of the bar it represents in its Tag.
class VolumeMarker : public QWidget, public Bound {
  Q_OBJECT
 public:
  static constexpr int kWidth = 9;
  static constexpr int kHeight = 8;
  explicit VolumeMarker(QWidget* parent);

 signals:
  /// Pointer positions are in the marker's own coordinates.
  void Pressed(VolumeMarker* marker, Qt::MouseButton button, QPoint in_marker);
  void Moved(VolumeMarker* marker, QPoint in_marker);
  void Released(VolumeMarker* marker, Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

/// An edit that takes only the digits 0 to 9, Backspace and Enter; every other key is dropped,
/// and nothing can be pasted or dropped into it.
class DigitEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit DigitEdit(QWidget* parent, int max_length, bool masked);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

/// Keeps an edit's text within `max_bytes` bytes of UTF-8 (whole characters).
void LimitUtf8Bytes(QLineEdit* edit, int max_bytes);

/// A preset file list: a read-only two-column table "NO." / "File Name".
class PresetList : public QTableWidget {
  Q_OBJECT
 public:
  explicit PresetList(QWidget* parent);
  /// Row r shows r and names[r]; the current row keeps its index where it still exists.
  void SetNames(const std::vector<std::string>& names);
  /// The name of a row, empty outside the list.
  QString NameAt(int row) const;
  QString CurrentName() const { return NameAt(currentRow()); }
};

}  // namespace kdsp::ui
