#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kdsp {

/// What kind of window control a slot-map name stands for. The page builders create the widget
/// class from it; the registry and the page refresh dispatch on it.
enum class ControlClass : std::uint8_t {
  kNone,                  ///< no control: the slot is reached another way, or is a command slot
  kEdit,                  ///< value edit (band fields, limits, effect volumes, music input gain)
  kTrackbar,              ///< slider; its text is shown by a status pane
  kStatusPane,            ///< the text of a trackbar
  kSelector,              ///< plain selector: the stored value is the item index
  kBandTypeSelector,      ///< filter type of a band; its four type labels are the extras
  kHighPassTypeSelector,  ///< high-pass type; the widget's Hint is kHighPassSelectorHint
  kLowPassTypeSelector,   ///< low-pass type; the widget's Hint is kLowPassSelectorHint
  kPhaseSwitch,           ///< two-state phase button, state kept in its Hint
  kMuteSwitch,            ///< two-state mute button, state kept in its Hint
  kBypassButton,          ///< the shared equaliser bypass button
  kTwoStateButton,        ///< one button of a pair: primary means 0, display means 1
  kSyncButton,            ///< the microphone sync button; its Tag is its sync state, not an address
  kTypeLabel,             ///< clickable band type label ("BY", "P", "LS", "HS")
  kSpinButtons,           ///< up/down buttons stepping the primary control
};

/// Where a selector's items come from.
enum class ItemSource : std::uint8_t {
  kNone,           ///< not a selector
  kFixed,          ///< `SlotEntry::items`, fixed at build time
  kInputNames,     ///< the input source names, refilled in the current language by every refresh
  kModeNames,      ///< "n-name" of the sixteen device modes, filled by the refresh
  kHintModeNames,  ///< "n-name" of the sixteen hint modes, filled by the refresh
};

/// Hints that tell the high-pass from the low-pass type selector (never used for formatting).
inline constexpr int kHighPassSelectorHint = 20;
inline constexpr int kLowPassSelectorHint = 21;

/// Item texts of the fixed selectors.
inline constexpr std::array<std::string_view, 4> kBandTypeItems = {"BYPSS", "PEQ", "LSEQ", "HSEQ"};
inline constexpr std::array<std::string_view, 3> kPassTypeItems = {"Bypass", "Bessel",
                                                                   "Butterworth"};
inline constexpr std::array<std::string_view, 3> kRoutingItems = {"L+R", "Left", "Right"};
inline constexpr std::array<std::string_view, 5> kGainStepItems = {"0.2", "0.4", "0.6", "0.8",
                                                                   "1.0"};

/// Captions of the four type labels of a band, by type value 0..3.
inline constexpr std::array<std::string_view, 4> kTypeLabelCaptions = {"BY", "P", "LS", "HS"};

/// One parameter of a view page with the controls that edit and show it.
struct SlotEntry {
  int page = 0;  ///< view page
  int slot = 0;
  ControlClass primary_class = ControlClass::kNone;
  std::string primary;  ///< object name of the editing control; empty for kNone
  ControlClass display_class = ControlClass::kNone;
  std::string display;  ///< status pane, page-21 second gain edit, or second button of a pair
  ControlClass extra_class = ControlClass::kNone;
  std::array<std::string, 4> extras;  ///< type labels (4), gain trackbar or spin buttons (1)
  int raw_min = 0;
  int raw_max = 0;
  int display_kind = -1;  ///< `DisplayKind` carried in the value control's Hint; -1 for none
  ItemSource item_source = ItemSource::kNone;
  std::span<const std::string_view> items;  ///< fixed selector items (kFixed only)

  /// True when `name` is one of this entry's controls.
  bool Names(std::string_view name) const;
  /// Number of non-empty extras.
  int ExtraCount() const;
};

/// Every entry of every view page, ordered by page, then slot. Built once; never changes.
const std::vector<SlotEntry>& AllSlotEntries();

/// The entries of one view page, ordered by slot; empty for pages without slot map.
std::span<const SlotEntry> EntriesOfPage(int page);

/// The entry of (view page, slot), or nullptr when the console does not use that slot.
const SlotEntry* EntryAt(int page, int slot);

/// Every entry that names `name` as primary, display or extra control, in (page, slot) order.
/// Shared controls appear in several: a band's Q edit (fields 3 and 4), the equaliser bypass
/// button (every equaliser page) and the right-channel controls (pages 7, 15, 19).
std::vector<const SlotEntry*> EntriesNaming(std::string_view name);

/// The first entry that names `name`, or nullptr for a name no slot uses.
const SlotEntry* EntryNaming(std::string_view name);

}  // namespace kdsp
