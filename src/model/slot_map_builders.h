#pragma once

// Helpers shared by the per-page slot map sources; not part of the public interface.

#include <string>
#include <string_view>
#include <vector>

#include "model/slot_map.h"

namespace kdsp::slot_map_internal {

using Entries = std::vector<SlotEntry>;

/// Trackbar with its status pane.
void AddTrackbar(Entries& out, int page, int slot, std::string_view bar, std::string_view pane,
                 int raw_min, int raw_max, int kind);
/// A switch of class `cls` (phase, mute, bypass) holding 0 or 1.
void AddSwitch(Entries& out, int page, int slot, ControlClass cls, std::string_view button);
/// A pair of buttons: `off` stands for 0, `on` for 1.
void AddButtonPair(Entries& out, int page, int slot, std::string_view off, std::string_view on);
/// High-pass and low-pass block: type selector, frequency trackbar, type selector, frequency.
void AddFilterBlock(Entries& out, int page, int first_slot, std::string_view hp_box,
                    std::string_view hp_bar, std::string_view hp_pane, std::string_view lp_box,
                    std::string_view lp_bar, std::string_view lp_pane);
/// Selector whose stored value is the item index.
void AddSelector(Entries& out, int page, int slot, ControlClass cls, std::string_view box,
                 int raw_max, ItemSource source, std::span<const std::string_view> items);
/// Value edit, optionally with spin buttons.
void AddEdit(Entries& out, int page, int slot, std::string_view edit, int raw_min, int raw_max,
             int kind, std::string_view spin = {});
/// A slot with no control of its own.
void AddBare(Entries& out, int page, int slot, int raw_min, int raw_max, int kind);

/// Object names of one band column.
struct BandColumn {
  std::string type_box, freq_edit, gain_edit, gain_edit2, gain_bar, q_edit, q_spin;
  std::array<std::string, 4> type_labels;  ///< "BY", "P", "LS", "HS"
};

/// The usual column of band n (1-based) for a channel prefix such as "Mus": `<p>ModeBox<n>`,
/// `<p>FreEdit<n>`, `<p>GainEdit<n>`, `<p>EQGainBar<n>`, `<p>QEdit<n>`, `<spin><n>`,
/// `<p>BYBtn<n>`, `<p>PEQBtn<n>`, `<p>LSQBtn<n>`, `<p>HSQBtn<n>`.
BandColumn StandardColumn(std::string_view prefix, std::string_view spin, int n);

/// The five slots of band b (0-based) of `page` at `EqFirstSlot`(page) + 5b. The spin buttons
/// go with field 4 when `spin_on_slope`, else with field 3; the Q edit sits on both.
void AddBand(Entries& out, int page, int b, const BandColumn& col, bool spin_on_slope);

void AppendMusicPage(Entries& out);
void AppendMicrophonePages(Entries& out);
void AppendEffectPages(Entries& out);
void AppendOutputPages(Entries& out);
void AppendAuxiliaryPage(Entries& out);
void AppendSystemPages(Entries& out);

}  // namespace kdsp::slot_map_internal
