#pragma once

#include <span>
#include <vector>

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QWidget>

#include "eq/cardinal_spline.h"
#include "eq/graph_geometry.h"

namespace kdsp {

/// The drawing surface of the equaliser graph: a bitmap of the surface's own size that the
/// graph draws into, and `GraphBackground`, the saved grid that erases the curve before each
/// redraw. The widget only shows the bitmap; mouse events are handled by whoever filters them.
class GraphSurface : public QWidget {
  Q_OBJECT
 public:
  explicit GraphSurface(QWidget* parent);

  /// A fresh bitmap (and background) of `size`, filled with the graph colour.
  void ResetBitmap(QSize size);

  /// Draws the grid, borders and axis lines into the bitmap and saves the result as the
  /// background (the drawing part of frame modes 0 and 1).
  void DrawGrid(const GraphGeometry& g);
  /// Copies the saved background back into the bitmap (frame mode 2).
  void RestoreBackground();

  /// Strokes the anti-aliased cardinal spline of tension 0.4 through `points` with a 1.8-pixel
  /// pen of `colour`.
  void StrokeCurve(std::span<const QPoint> points, const QColor& colour);

  QImage& Canvas() { return canvas_; }
  const QImage& Canvas() const { return canvas_; }
  const QImage& Background() const { return background_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage canvas_;
  QImage background_;
  // Reused so that a redraw keeps its memory.
  QPainterPath path_;
  std::vector<SplinePoint> spline_;
};

}  // namespace kdsp
