#include "presets/codec/preset_kind.h"

#include "model/page_layout.h"

namespace kdsp {

namespace {

constexpr PresetKindTraits kModeTraits{".Nddt", ".nddt", "Z7Mode", "R3", 0x58, 0, 30};
constexpr PresetKindTraits kEqTraits{".EQdt", ".eqdt", "HintMode", "R3EQ", 0x55, 22, 24};

}  // namespace

const PresetKindTraits& TraitsOf(PresetKind kind) {
  return kind == PresetKind::kMode ? kModeTraits : kEqTraits;
}

int LastWrittenSlot(int page) {
  if (page < 0 || page > 30) return -1;
  // The file format counts the page sizes as last slots, so every page writes one slot more
  // than it uses, and the empty pages 27..29 write slot 0.
  return PageLength(page);
}

int DataLineCount(PresetKind kind) {
  const PresetKindTraits& t = TraitsOf(kind);
  int lines = 0;
  for (int page = t.first_page; page <= t.last_page; ++page) lines += LastWrittenSlot(page) + 1;
  return lines;
}

bool IsAppliedOnLoad(PresetKind kind, int page, int slot) {
  if (kind == PresetKind::kEq) return page >= 22 && page <= 24;
  if (page >= 0 && page <= 21) return true;
  return page == 30 && (slot == 23 || slot == 24);
}

}  // namespace kdsp
