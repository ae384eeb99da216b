#include "model/equaliser_reset.h"

#include "model/page_layout.h"

namespace kdsp {
namespace {

int DefaultFieldValue(int page, int band, int field) {
  switch (field) {
    case kFieldType: return kDefaultType;
    case kFieldFreq: return DefaultFrequencyIndex(GroupOf(page), band);
    case kFieldGain: return kFlatGain;
    case kFieldQ: return kDefaultQ;
    default: return kDefaultSlope;
  }
}

}  // namespace

void ApplyStartupContents(ValueTable& device_values) {
  for (int page = 0; page < kPageCount; ++page) {
    for (int s = 0; s < PageLength(page); ++s) device_values.Set(page, s, 0);
  }
  const int input_gains[6] = {1, 10, 11, 12, 13, 14};
  for (int s = 0; s < 6; ++s) device_values.Set(0, s, input_gains[s]);
  device_values.Set(0, 10, 360);
  device_values.Set(0, 63, 1);
  device_values.Set(0, 65, 1);
  for (int page : {1, 2, 3}) device_values.Set(page, 12, 360);
  device_values.Set(4, 9, 360);
  for (int page = 5; page <= 20; ++page) device_values.Set(page, 25, 360);
  device_values.Set(30, 4, 0);
  device_values.Set(30, 20, 4);
  device_values.Set(30, 21, 1);
}

void ResetAllEqualisers(ValueTable& device_values, ValueTable& view_values) {
  for (int page = 0; page <= 24; ++page) {
    for (int b = 0; b < EqBandCount(page); ++b) {
      for (int f = 0; f < 5; ++f) {
        const int slot = EqFirstSlot(page) + 5 * b + f;
        const int value = DefaultFieldValue(page, b, f);
        device_values.Set(page, slot, value);
        view_values.Set(page, slot, value);
      }
    }
  }
}

int ResolveResetPage(const Selection& sel, int view_page) {
  switch (view_page) {
    case 1: return sel.mic_page;
    case 3: return sel.effect_page;
    case 5: return sel.output_page;
    case 22: return sel.hint_page;
    default: return view_page;
  }
}

int ResetEqualiserPage(const Selection& sel, int view_page, ValueTable& device_values,
                       ValueTable& view_values) {
  const int page = ResolveResetPage(sel, view_page);
  if (page < 0 || page > 24 || EqBandCount(page) == 0) return -1;
  for (int b = 0; b < EqBandCount(page); ++b) {
    for (int f = 0; f < 5; ++f) {
      const int slot = EqFirstSlot(page) + 5 * b + f;
      const int value = DefaultFieldValue(page, b, f);
      if (sel.scene_mode == 0) {
        device_values.Set(page, slot, value);
        view_values.Set(page, slot, value);
      } else {
        device_values.Set(MapToDevice(sel, device_values, MakeAddr(page, slot)), value);
      }
    }
  }
  return EqBlockId(page);
}

}  // namespace kdsp
