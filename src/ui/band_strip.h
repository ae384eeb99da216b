#pragma once

#include <string>
#include <vector>

#include <QRect>
#include <QWidget>

namespace kdsp::ui {

/// Spacing of the band columns in pixels; the scroll trackbar moves the strip by whole columns.
inline constexpr int kBandColumnWidth = 65;
/// Height of a band strip frame (columns plus the scroll trackbar under them).
inline constexpr int kBandStripHeight = 222;

/// What one band strip shows.
struct BandStripLayout {
  int view_page = 0;       ///< the slot map the columns come from
  int bands = 10;          ///< band columns
  int visible = 9;         ///< columns visible at once
  const char* frame_name;  ///< object name of the frame
  const char* scroll_bar;  ///< object name of the scroll trackbar (`MusPanScrollBar`, ...)
  std::vector<std::string> band_labels;  ///< band-number label names, band 1 first
};

/// The equaliser band strip: row titles and a dB scale at the left, then the horizontally
/// scrolled band columns with their scroll trackbar. Every control is named from the slot map.
QWidget* BuildBandStrip(QWidget* parent, const BandStripLayout& spec, const QPoint& at);

/// Width of a strip showing `visible` columns.
int BandStripWidth(int visible);

}  // namespace kdsp::ui
