#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kdsp::ui {

/// The 25-pixel title strip: title text at the left, minimise (`RzBmpButton2`),
/// maximise/restore (`RzBmpButton1`) and close (`RzBmpButton3`) at the right. A left-button
/// press on the strip drags the window. Left of the window buttons: undo (`UndoBtn`), redo
/// (`RedoBtn`) and the A/B comparison (`CompareABtn`, `CompareBBtn`).
class TitleStrip : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 25;
  explicit TitleStrip(QWidget* parent);

 signals:
  void MinimiseClicked();
  void MaximiseClicked();
  void CloseClicked();
  void UndoClicked();
  void RedoClicked();
  void CompareAClicked();
  void CompareBClicked();

 public:
  /// Undo and redo are enabled only when there is something to undo or redo.
  void SetHistoryState(bool can_undo, bool can_redo);
  /// `shown` is 0 (A) or 1 (B) while a comparison runs, -1 otherwise.
  void SetCompareState(int shown);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLabel* title_;
  QPushButton* minimise_;
  QPushButton* maximise_;
  QPushButton* close_;
  QPushButton* undo_;
  QPushButton* redo_;
  QPushButton* compare_a_;
  QPushButton* compare_b_;
  QLabel* logo_label_;
  QLineEdit* logo_edit_;
  bool dragging_ = false;
  QPoint drag_offset_;
};

}  // namespace kdsp::ui
