#pragma once

#include <span>

#include <QColor>
#include <QImage>

namespace kdsp {

/// Colour of the spectrum bars.
inline constexpr QRgb kSpectrumBarRgb = 0xff3e3eff;  // RGB(62, 62, 255)
/// Width of the bar pen in pixels.
inline constexpr int kSpectrumPenWidth = 2;

/// Draws the bars onto `canvas`: for every column x of `tops`, a line from (x, height) up to
/// (x, tops[x]) with the blue 2-pixel pen, flat ends, not anti-aliased, so a column paints
/// pixel columns x - 1 and x from row tops[x] down. A column whose top is `height` (a gap)
/// draws nothing.
void PaintSpectrumBars(QImage& canvas, std::span<const int> tops, int height);

/// Colour of the peak-hold lines.
inline constexpr QRgb kSpectrumPeakRgb = 0xffe0301e;  // RGB(224, 48, 30)

/// Draws a one-pixel peak line for every bar a with rows[a] < height, across the pixel columns
/// the bar covers (a * pitch - 1 .. a * pitch + pitch - 3), clipped to the canvas. Writes the
/// pixels directly: no painter, no allocation.
void PaintPeakLines(QImage& canvas, std::span<const int> rows, int pitch, int height);

}  // namespace kdsp
