#include "spectrum/bar_painter.h"

#include <QPainter>

namespace kdsp {

void PaintSpectrumBars(QImage& canvas, std::span<const int> tops, int height) {
  if (canvas.isNull()) return;
  // A flat-ended, aliased 2-pixel line from (x, height) up to (x, top) covers exactly pixel
  // columns x - 1 and x, rows top .. height - 1. Neighbouring columns of one bar share their top,
  // so each run of equal tops is one rectangle: the same pixels as the lines, far fewer calls.
  QPainter p(&canvas);
  const QColor colour = QColor::fromRgb(kSpectrumBarRgb);
  const int columns = static_cast<int>(tops.size());
  int x = 0;
  while (x < columns) {
    const int top = tops[x];
    int last = x;
    while (last + 1 < columns && tops[last + 1] == top) ++last;
    if (top < height) {
      const int left = x - (kSpectrumPenWidth - 1);
      p.fillRect(QRect(left, top, last - left + 1, height - top), colour);
    }
    x = last + 1;
  }
}

}  // namespace kdsp
