#include "model/selection.h"

#include "model/page_layout.h"

namespace kdsp {

int InputSlot(int input_source) {
  if (input_source <= 1) return 0;
  if (input_source >= 6) return 5;
  return input_source - 1;
}

bool IsAutomaticSource(const ValueTable& device_values) {
  return device_values.Get(kInputSourceAddr) == 0;
}

ParamAddr MapToDevice(const Selection& sel, const ValueTable& device_values, ParamAddr view) {
  int page = PageOf(view);
  int slot = SlotOf(view);
  if (page == 1 || page == 2) {
    // The sync flag (13) and each microphone's effect volume (115) keep their own page.
    if (slot != 13 && slot != 115) page = sel.mic_page;
  } else if (page == 0) {
    if (slot == 0) slot = InputSlot(device_values.Get(kInputSourceAddr));
  } else if (page >= 5 && page <= 19) {
    const bool right_cell = slot == 16 || slot == 17;
    if (right_cell && (page == 7 || page == 8)) {
      page = 7 + sel.scene_mode;
    } else if (right_cell && (page == 15 || page == 16)) {
      page = 15 + sel.scene_mode;
    } else if (right_cell && page == 19) {
      page = 19 + sel.scene_mode;
    } else {
      page = sel.output_page;
    }
  } else if (page >= 22 && page <= 24) {
    page = sel.hint_page;
  }
  return MakeAddr(page, slot);
}

int SceneFromStored(int stored) { return stored == 1 ? 1 : 0; }

std::optional<BandPos> BandOf(ParamAddr view) {
  const int page = PageOf(view);
  const int slot = SlotOf(view);
  switch (page) {
    case 0: case 1: case 3: case 4: case 5: case 21: case 22: break;
    default: return std::nullopt;
  }
  const int first = EqFirstSlot(page);
  const int bands = EqBandCount(page);
  if (slot >= first && slot < first + 5 * bands) {
    return BandPos{(slot - first) / 5, (slot - first) % 5};
  }
  if (auto f = FilterSlotsOf(page)) {
    if (slot == f->hp_type || slot == f->hp_freq) return BandPos{bands, 0};
    if (slot == f->lp_type || slot == f->lp_freq) return BandPos{bands + 1, 0};
  }
  return std::nullopt;
}

ParamAddr QSlotOf(const ValueTable& view_values, ParamAddr view) {
  const auto pos = BandOf(view);
  const int page = PageOf(view);
  if (!pos || pos->band >= EqBandCount(page)) return view;
  if (pos->field != kFieldQ && pos->field != kFieldSlope) return view;
  const ParamAddr type_addr = MakeAddr(page, EqFirstSlot(page) + 5 * pos->band);
  const int shelf = view_values.Get(type_addr) >= 2 ? 1 : 0;
  return static_cast<ParamAddr>(type_addr + 3 + shelf);
}

void RebuildView(const Selection& sel, const ValueTable& device_values, ValueTable& view_values) {
  for (int v : kViewPages) {
    for (int s = 0; s < PageLength(v); ++s) {
      view_values.Set(v, s, device_values.Get(MapToDevice(sel, device_values, MakeAddr(v, s))));
    }
  }
  for (int base : {5, 13, 17}) {
    for (int s : {16, 17}) {
      view_values.Set(base + 2, s, device_values.Get(base + 2 + sel.scene_mode, s));
    }
  }
}

}  // namespace kdsp
