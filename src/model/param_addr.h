#pragma once

#include <cstdint>

namespace kdsp {

/// Number of parameter pages (0..30) and slots per page row.
inline constexpr int kPageCount = 31;
inline constexpr int kSlotCount = 165;

/// The control page (commands and text items of the link) and the status page seen on the wire.
inline constexpr int kControlPage = 30;
inline constexpr int kStatusPage = 48;

/// A parameter address: page in the high byte, slot in the low byte.
using ParamAddr = std::uint16_t;

constexpr ParamAddr MakeAddr(int page, int slot) {
  return static_cast<ParamAddr>(((page & 0xFF) << 8) | (slot & 0xFF));
}
constexpr int PageOf(ParamAddr a) { return a >> 8; }
constexpr int SlotOf(ParamAddr a) { return a & 0xFF; }

/// True when (page, slot) names a cell of the value tables.
constexpr bool HasCell(int page, int slot) {
  return page >= 0 && page < kPageCount && slot >= 0 && slot < kSlotCount;
}

}  // namespace kdsp
