#pragma once

#include <string>
#include <vector>

#include "presets/codec/preset_codec.h"

namespace kdsp::tool {

/// A preset file read from any path, its kind told by its header.
struct LoadedPreset {
  PresetStatus status = PresetStatus::kNotFound;
  PresetKind kind = PresetKind::kMode;
  std::vector<PresetEntry> entries;
};

/// Reads and checks a mode or EQ file; the header numbers decide the kind.
LoadedPreset LoadAnyPreset(const std::string& path);

/// Every entry stored into a table (all pages, not only those a console load applies).
ValueTable TableOf(const std::vector<PresetEntry>& entries);

}  // namespace kdsp::tool
