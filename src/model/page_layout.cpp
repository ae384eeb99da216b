#include "model/page_layout.h"

namespace kdsp {

int PageLength(int page) {
  if (page == 0) return 66;
  if (page == 1 || page == 2) return 116;
  if (page == 3) return 64;
  if (page == 4) return 61;
  if (page >= 5 && page <= 20) return 79;
  if (page == 21) return 43;
  if (page >= 22 && page <= 24) return 26;
  if (page == 25) return 11;
  if (page == 26) return 18;
  if (page == 30) return 35;
  return 0;  // 27..29 and everything above 30
}

int EqFirstSlot(int page) {
  if (page == 0) return 13;
  if (page == 1 || page == 2) return 15;
  if (page == 3) return 14;
  if (page == 4) return 11;
  if (page >= 5 && page <= 20) return 27;
  if (page >= 21 && page <= 24) return 1;
  return 0;
}

int EqBandCount(int page) {
  if (page == 0) return 10;
  if (page == 1 || page == 2) return 20;
  if (page >= 3 && page <= 20) return 10;
  if (page == 21) return 6;
  if (page >= 22 && page <= 24) return 5;
  return 0;
}

int EqBlockId(int page) {
  if (page >= 0 && page <= 4) return page;
  if (page >= 5 && page <= 20) return 5 + (page - 5) / 2;  // one block per output pair
  if (page == 21) return 16;
  if (page >= 22 && page <= 24) return 13 + (page - 22);
  return -1;
}

int EqBypassSlot(int page) {
  if (page == 21 || EqBandCount(page) == 0) return -1;
  return EqFirstSlot(page) - 1;
}

int GroupOf(int page) {
  if (page == 0) return 0;
  if (page == 1 || page == 2) return 1;
  if (page == 3 || page == 4) return 2;
  if (page >= 22 && page <= 24) return 4;
  if (page == 21) return 6;
  return 3;
}

int BandsOfGroup(int group) {
  switch (group) {
    case 0: return 10;
    case 1: return 20;
    case 2: return 10;
    case 3: return 10;
    case 4: return 5;
    case 6: return 6;
    default: return 0;
  }
}

int DefaultFrequencyIndex(int group, int band) {
  static constexpr std::array<int, 10> kTenBands = {2, 32, 62, 92, 122, 152, 182, 212, 242, 272};
  static constexpr std::array<int, 20> kMicBands = {2,   25,  49,  73,  96,  120, 144,
                                                    167, 187, 215, 238, 262, 287, 299,
                                                    313, 323, 333, 343, 353, 360};
  static constexpr std::array<int, 6> kAuxBands = {20, 129, 280, 20, 129, 280};
  if (band < 0 || band >= BandsOfGroup(group)) return 0;
  switch (group) {
    case 1: return kMicBands[band];
    case 6: return kAuxBands[band];
    default: return kTenBands[band];  // groups 0, 2, 3 and the five bands of group 4
  }
}

std::optional<FilterSlots> FilterSlotsOf(int page) {
  switch (page) {
    case 0: return FilterSlots{7, 8, 9, 10};
    case 1: return FilterSlots{9, 10, 11, 12};
    case 3: return FilterSlots{9, 10, 11, 12};
    case 4: return FilterSlots{6, 7, 8, 9};
    case 5: return FilterSlots{22, 23, 24, 25};
    default: return std::nullopt;
  }
}

}  // namespace kdsp
