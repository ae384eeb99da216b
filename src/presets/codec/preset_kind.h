#pragma once

#include <string_view>

namespace kdsp {

/// The two kinds of preset file: a mode file holds every page, an EQ file the hidden
/// equaliser pages 22..24.
enum class PresetKind { kMode, kEq };

/// The constants in which the two kinds differ.
struct PresetKindTraits {
  std::string_view extension;   ///< ".Nddt" / ".EQdt", appended to the typed name
  std::string_view list_token;  ///< what a listed name must contain (case-insensitive)
  std::string_view sub_dir;     ///< directory under the preset root
  std::string_view header_tag;  ///< first field of line 0 (written, never compared)
  int header_mask;              ///< XORed into the two header numbers
  int first_page;               ///< pages written: first_page..last_page
  int last_page;
};

const PresetKindTraits& TraitsOf(PresetKind kind);

/// The fixed numbers of the two header lines before the mask is applied.
inline constexpr int kHeaderNumber0 = 44;
inline constexpr int kHeaderNumber1 = 1;

/// The last slot a file writes for a page (inclusive); pages 27..29 still write their slot 0.
/// -1 for pages outside 0..30, which are never written.
int LastWrittenSlot(int page);

/// Number of data lines of a file of the kind (1903 for a mode file, 81 for an EQ file).
int DataLineCount(PresetKind kind);

/// True when a load of the kind stores the value of (page, slot) into `DeviceValues`: mode
/// files restore pages 0..21 and page-30 slots 23 and 24, EQ files pages 22..24. Everything
/// else in the file only counts towards the checksum.
bool IsAppliedOnLoad(PresetKind kind, int page, int slot);

}  // namespace kdsp
