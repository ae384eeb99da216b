#pragma once

// Rows shared by the channel pages: a titled trackbar with its pane (and maybe a switch), a
// titled selector, and the high-pass and low-pass block. Every control is made from the slot
// maps by name; titles are translatable labels.

#include <string_view>

#include <QRect>
#include <QWidget>

#include "model/bi_text.h"
#include "ui/switch_button.h"

namespace kdsp::ui {

/// Height of a stacked row: title and pane on one line, the trackbar under them.
inline constexpr int kStackedRowHeight = 30;
/// Width of a value pane beside a trackbar.
inline constexpr int kPaneWidth = 60;
/// Size of a phase switch.
inline constexpr QSize kPhaseSwitchSize(26, 18);

/// One trackbar parameter: its title, trackbar and pane, and an optional phase switch.
struct SliderRow {
  BiText title;
  std::string_view bar;
  std::string_view pane;
  std::string_view phase = {};       ///< phase switch at the end of the trackbar, or none
  const char* title_name = nullptr;  ///< object name of the title, when others address it
};

/// Title at the top left, pane at the top right, trackbar across the row below them (shortened
/// by the phase switch when the row has one). `row` is the whole row; it needs
/// `kStackedRowHeight` pixels of height.
void AddStackedRow(QWidget* parent, const SliderRow& row, const QRect& area);

/// Title, trackbar and pane on one line; the title takes `title_width` pixels.
void AddInlineRow(QWidget* parent, const SliderRow& row, const QRect& area, int title_width);

/// Title and selector on one line.
void AddSelectorRow(QWidget* parent, const BiText& title, std::string_view box, const QRect& area,
                    int title_width);

/// A phase switch named `name`, released ("+").
SwitchButton* MakePhaseSwitch(QWidget* parent, std::string_view name, const QRect& geometry);
/// A mute switch named `name` with its caption.
SwitchButton* MakeMuteSwitch(QWidget* parent, std::string_view name, const QRect& geometry,
                             const QString& caption);

/// Names and titles of one high-pass and low-pass block.
struct FilterBlock {
  std::string_view hp_box, hp_bar, hp_pane, lp_box, lp_bar, lp_pane;
  BiText hp_title = {"高通", "HP"};
  BiText hp_freq_title = {"高通", "HPF"};
  BiText lp_title = {"低通", "LP"};
  BiText lp_freq_title = {"低通", "LPF"};
};

/// The four rows of a filter block one under the other in `area` (high-pass type, its
/// frequency, low-pass type, its frequency), `row_pitch` pixels apart.
void AddFilterRows(QWidget* parent, const FilterBlock& block, const QRect& area, int row_pitch,
                   int title_width);

/// The high-pass rows at the left half of `area` and the low-pass rows at the right half.
void AddFilterColumns(QWidget* parent, const FilterBlock& block, const QRect& area, int row_pitch,
                      int title_width);

}  // namespace kdsp::ui
