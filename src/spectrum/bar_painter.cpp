#include "spectrum/bar_painter.h"

#include <algorithm>

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

void PaintPeakLines(QImage& canvas, std::span<const int> rows, int pitch, int height) {
  if (canvas.isNull() || canvas.depth() != 32 || pitch < 1) return;
  const int w = canvas.width();
  const int h = std::min(height, canvas.height());
  for (std::size_t a = 0; a < rows.size(); ++a) {
    const int row = std::max(0, rows[a]);
    if (rows[a] >= height || row >= h) continue;
    const int start = static_cast<int>(a) * pitch;
    const int left = std::max(0, start - (kSpectrumPenWidth - 1));
    const int right = std::min(w - 1, start + std::max(0, pitch - 3));
    auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(row));
    for (int x = left; x <= right; ++x) line[x] = kSpectrumPeakRgb;
  }
}

}  // namespace kdsp
