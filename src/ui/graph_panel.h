#pragma once

#include <QWidget>

namespace kdsp::ui {

/// The equaliser graph panel `AdvPanel1`: the strip of button groups above the graph
/// (`RzGroupBox19`, `CopyGrop`, `SingleDiscoGrop`, `EQPassGrop`) and the graph area
/// `AdvPanel2` with the drawing surface `Image1` and the bypass label `EQPassLabel`. The
/// graph itself draws into `Image1`; the panel keeps the area's margins when resized.
class GraphPanel : public QWidget {
  Q_OBJECT
 public:
  explicit GraphPanel(QWidget* parent);
  QWidget* GraphArea() const { return area_; }
  QWidget* Image() const { return image_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* area_;
  QWidget* image_;
  QWidget* pass_group_;
};

}  // namespace kdsp::ui
