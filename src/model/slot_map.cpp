#include "model/slot_map.h"

#include <algorithm>
#include <string>

#include "model/page_layout.h"
#include "model/param_addr.h"
#include "model/slot_map_builders.h"

namespace kdsp {

bool SlotEntry::Names(std::string_view name) const {
  if (name.empty()) return false;
  if (primary == name || display == name) return true;
  return std::find(extras.begin(), extras.end(), name) != extras.end();
}

int SlotEntry::ExtraCount() const {
  return static_cast<int>(
      std::count_if(extras.begin(), extras.end(), [](const std::string& e) { return !e.empty(); }));
}

namespace slot_map_internal {

void AddTrackbar(Entries& out, int page, int slot, std::string_view bar, std::string_view pane,
                 int raw_min, int raw_max, int kind) {
  SlotEntry e;
  e.page = page;
  e.slot = slot;
  e.primary_class = ControlClass::kTrackbar;
  e.primary = bar;
  e.display_class = ControlClass::kStatusPane;
  e.display = pane;
  e.raw_min = raw_min;
  e.raw_max = raw_max;
  e.display_kind = kind;  // the pane carries the kind
  out.push_back(std::move(e));
}

void AddSwitch(Entries& out, int page, int slot, ControlClass cls, std::string_view button) {
  SlotEntry e;
  e.page = page;
  e.slot = slot;
  e.primary_class = cls;
  e.primary = button;
  e.raw_max = 1;
  out.push_back(std::move(e));
}

void AddButtonPair(Entries& out, int page, int slot, std::string_view off, std::string_view on) {
  SlotEntry e;
  e.page = page;
  e.slot = slot;
  e.primary_class = ControlClass::kTwoStateButton;
  e.primary = off;
  e.display_class = ControlClass::kTwoStateButton;
  e.display = on;
  e.raw_max = 1;
  out.push_back(std::move(e));
}

void AddSelector(Entries& out, int page, int slot, ControlClass cls, std::string_view box,
                 int raw_max, ItemSource source, std::span<const std::string_view> items) {
  SlotEntry e;
  e.page = page;
  e.slot = slot;
  e.primary_class = cls;
  e.primary = box;
  e.raw_max = raw_max;
  e.item_source = source;
  e.items = items;
  if (cls == ControlClass::kBandTypeSelector) e.display_kind = 1;
  out.push_back(std::move(e));
}

void AddFilterBlock(Entries& out, int page, int first_slot, std::string_view hp_box,
                    std::string_view hp_bar, std::string_view hp_pane, std::string_view lp_box,
                    std::string_view lp_bar, std::string_view lp_pane) {
  AddSelector(out, page, first_slot, ControlClass::kHighPassTypeSelector, hp_box, 2,
              ItemSource::kFixed, kPassTypeItems);
  AddTrackbar(out, page, first_slot + 1, hp_bar, hp_pane, 0, 360, 6);
  AddSelector(out, page, first_slot + 2, ControlClass::kLowPassTypeSelector, lp_box, 2,
              ItemSource::kFixed, kPassTypeItems);
  AddTrackbar(out, page, first_slot + 3, lp_bar, lp_pane, 0, 360, 6);
}

void AddEdit(Entries& out, int page, int slot, std::string_view edit, int raw_min, int raw_max,
             int kind, std::string_view spin) {
  SlotEntry e;
  e.page = page;
  e.slot = slot;
  e.primary_class = ControlClass::kEdit;
  e.primary = edit;
  e.raw_min = raw_min;
  e.raw_max = raw_max;
  e.display_kind = kind;
  if (!spin.empty()) {
    e.extra_class = ControlClass::kSpinButtons;
    e.extras[0] = spin;
  }
  out.push_back(std::move(e));
}

void AddBare(Entries& out, int page, int slot, int raw_min, int raw_max, int kind) {
  SlotEntry e;
  e.page = page;
  e.slot = slot;
  e.raw_min = raw_min;
  e.raw_max = raw_max;
  e.display_kind = kind;
  out.push_back(std::move(e));
}

BandColumn StandardColumn(std::string_view prefix, std::string_view spin, int n) {
  const std::string p(prefix);
  const std::string num = std::to_string(n);
  BandColumn col;
  col.type_box = p + "ModeBox" + num;
  col.freq_edit = p + "FreEdit" + num;
  col.gain_edit = p + "GainEdit" + num;
  col.gain_bar = p + "EQGainBar" + num;
  col.q_edit = p + "QEdit" + num;
  col.q_spin = std::string(spin) + num;
  col.type_labels = {p + "BYBtn" + num, p + "PEQBtn" + num, p + "LSQBtn" + num, p + "HSQBtn" + num};
  return col;
}

void AddBand(Entries& out, int page, int b, const BandColumn& col, bool spin_on_slope) {
  const int base = EqFirstSlot(page) + 5 * b;

  SlotEntry type;
  type.page = page;
  type.slot = base + kFieldType;
  type.primary_class = ControlClass::kBandTypeSelector;
  type.primary = col.type_box;
  type.extra_class = ControlClass::kTypeLabel;
  type.extras = col.type_labels;
  type.raw_max = 3;
  type.display_kind = 1;
  type.item_source = ItemSource::kFixed;
  type.items = kBandTypeItems;
  out.push_back(std::move(type));

  AddEdit(out, page, base + kFieldFreq, col.freq_edit, 0, 360, 2);

  SlotEntry gain;
  gain.page = page;
  gain.slot = base + kFieldGain;
  gain.primary_class = ControlClass::kEdit;
  gain.primary = col.gain_edit;
  if (!col.gain_edit2.empty()) {
    gain.display_class = ControlClass::kEdit;
    gain.display = col.gain_edit2;
  }
  gain.extra_class = ControlClass::kTrackbar;
  gain.extras[0] = col.gain_bar;
  gain.raw_max = 180;
  gain.display_kind = 3;
  out.push_back(std::move(gain));

  // One Q edit serves the Q of peaking bands and the slope of shelving bands.
  AddEdit(out, page, base + kFieldQ, col.q_edit, 0, 100, 4, spin_on_slope ? "" : col.q_spin);
  AddEdit(out, page, base + kFieldSlope, col.q_edit, 0, 24, 4, spin_on_slope ? col.q_spin : "");
}

}  // namespace slot_map_internal

namespace {

struct SlotIndex {
  std::vector<SlotEntry> entries;
  // Position of the first entry of each page and of (page, slot) in `entries`; -1 for none.
  std::array<int, kPageCount + 1> page_begin{};
  std::array<std::array<int, kSlotCount>, kPageCount> at{};
};

SlotIndex BuildIndex() {
  using namespace slot_map_internal;
  SlotIndex index;
  Entries& out = index.entries;
  AppendMusicPage(out);
  AppendMicrophonePages(out);
  AppendEffectPages(out);
  AppendOutputPages(out);
  AppendAuxiliaryPage(out);
  AppendSystemPages(out);
  std::stable_sort(out.begin(), out.end(), [](const SlotEntry& a, const SlotEntry& b) {
    return a.page != b.page ? a.page < b.page : a.slot < b.slot;
  });

  for (auto& row : index.at) row.fill(-1);
  for (int i = 0; i < static_cast<int>(out.size()); ++i) {
    const SlotEntry& e = out[i];
    // A malformed row would be a build-time mistake of the tables; keep it out of the index
    // rather than write outside it (the tests report it).
    if (HasCell(e.page, e.slot) && index.at[e.page][e.slot] < 0) index.at[e.page][e.slot] = i;
  }
  index.page_begin[kPageCount] = static_cast<int>(out.size());
  for (int page = 0; page < kPageCount; ++page) {
    auto first = std::lower_bound(out.begin(), out.end(), page,
                                  [](const SlotEntry& e, int p) { return e.page < p; });
    index.page_begin[page] = static_cast<int>(first - out.begin());
  }
  return index;
}

const SlotIndex& Index() {
  static const SlotIndex index = BuildIndex();
  return index;
}

}  // namespace

const std::vector<SlotEntry>& AllSlotEntries() { return Index().entries; }

std::span<const SlotEntry> EntriesOfPage(int page) {
  if (page < 0 || page >= kPageCount) return {};
  const SlotIndex& index = Index();
  const int begin = index.page_begin[page];
  const int end = index.page_begin[page + 1];
  return std::span<const SlotEntry>(index.entries.data() + begin, end - begin);
}

const SlotEntry* EntryAt(int page, int slot) {
  if (!HasCell(page, slot)) return nullptr;
  const SlotIndex& index = Index();
  const int i = index.at[page][slot];
  return i < 0 ? nullptr : &index.entries[i];
}

std::vector<const SlotEntry*> EntriesNaming(std::string_view name) {
  std::vector<const SlotEntry*> found;
  for (const SlotEntry& e : AllSlotEntries()) {
    if (e.Names(name)) found.push_back(&e);
  }
  return found;
}

const SlotEntry* EntryNaming(std::string_view name) {
  for (const SlotEntry& e : AllSlotEntries()) {
    if (e.Names(name)) return &e;
  }
  return nullptr;
}

}  // namespace kdsp
