#include "kdsp-tool/preset_source.h"

#include "presets/codec/preset_store.h"

namespace kdsp::tool {

LoadedPreset LoadAnyPreset(const std::string& path) {
  LoadedPreset result;
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return result;
  if (bytes->size() > kMaxPresetFileBytes) {
    result.status = PresetStatus::kCorrupted;
    return result;
  }
  for (const PresetKind kind : {PresetKind::kMode, PresetKind::kEq}) {
    DecodedPreset decoded = DecodePresetFile(kind, *bytes);
    result.status = decoded.status;
    result.kind = kind;
    result.entries = std::move(decoded.entries);
    if (decoded.status != PresetStatus::kFormatError) break;
  }
  return result;
}

ValueTable TableOf(const std::vector<PresetEntry>& entries) {
  ValueTable table;
  for (const PresetEntry& e : entries) table.Set(e.page, e.slot, e.value);
  return table;
}

}  // namespace kdsp::tool
