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

}  // namespace kdsp
