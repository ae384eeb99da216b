#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kdsp::ui {

/// The 25-pixel title strip: title text at the left, minimise (`RzBmpButton2`),
/// maximise/restore (`RzBmpButton1`) and close (`RzBmpButton3`) at the right. A left-button
/// press on the strip drags the window.
class TitleStrip : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 25;
  explicit TitleStrip(QWidget* parent);

 signals:
  void MinimiseClicked();
  void MaximiseClicked();
  void CloseClicked();

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
  QLabel* logo_label_;
  QLineEdit* logo_edit_;
  bool dragging_ = false;
  QPoint drag_offset_;
};

}  // namespace kdsp::ui
