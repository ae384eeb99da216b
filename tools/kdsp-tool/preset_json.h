#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "presets/codec/preset_codec.h"

namespace kdsp::tool {

/// A preset as its JSON form holds it: the kind and every data line in file order.
struct PresetDoc {
  PresetKind kind = PresetKind::kMode;
  std::vector<PresetEntry> entries;
};

/// The JSON form: one entry per line with page, slot and value, plus the readable channel,
/// name, display text and control name in the chosen language.
std::string PresetToJson(const PresetDoc& doc, int ui_language);

/// Result of reading the JSON form; `error` is set when `doc` is empty.
struct PresetFromJson {
  std::optional<PresetDoc> doc;
  std::string error;
  std::vector<std::string> warnings;
};

/// Reads the JSON form back. Only "format", "version", "kind" and each entry's page, slot and
/// value are read; the readable members are ignored. Every address must lie inside the tables
/// and every value in 0..65535.
PresetFromJson ParsePresetJson(std::string_view text);

}  // namespace kdsp::tool
