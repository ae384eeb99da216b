#include "spectrum/bar_painter.h"

#include <QPainter>
#include <QPen>

namespace kdsp {

void PaintSpectrumBars(QImage& canvas, std::span<const int> tops, int height) {
  if (canvas.isNull()) return;
  QPainter p(&canvas);
  p.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(QColor::fromRgb(kSpectrumBarRgb), kSpectrumPenWidth);
  // Flat ends: a bar reaches exactly its top row, and a gap column (from the bottom edge to
  // itself) leaves no dot.
  pen.setCapStyle(Qt::FlatCap);
  p.setPen(pen);
  for (int x = 0; x < static_cast<int>(tops.size()); ++x) {
    if (tops[x] < height) p.drawLine(x, height, x, tops[x]);
  }
}

}  // namespace kdsp
