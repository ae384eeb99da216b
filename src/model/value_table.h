#pragma once

#include <array>
#include <cstdint>

#include "model/param_addr.h"

namespace kdsp {

/// One 31 x 165 table of parameter words. `DeviceValues` (by device page) and `ViewValues`
/// (by view page) are two instances owned by the application and passed by reference.
/// Reads outside the table give 0; stores outside the table are dropped.
class ValueTable {
 public:
  ValueTable() { Clear(); }

  std::int32_t Get(int page, int slot) const {
    return HasCell(page, slot) ? cells_[page][slot] : 0;
  }
  std::int32_t Get(ParamAddr a) const { return Get(PageOf(a), SlotOf(a)); }

  void Set(int page, int slot, std::int32_t value) {
    if (HasCell(page, slot)) cells_[page][slot] = value;
  }
  void Set(ParamAddr a, std::int32_t value) { Set(PageOf(a), SlotOf(a), value); }

  void Clear() {
    for (auto& row : cells_) row.fill(0);
  }

  bool operator==(const ValueTable& other) const = default;

 private:
  std::array<std::array<std::int32_t, kSlotCount>, kPageCount> cells_;
};

}  // namespace kdsp
