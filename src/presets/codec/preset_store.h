#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/value_table.h"
#include "presets/codec/preset_codec.h"
#include "presets/codec/preset_dirs.h"

namespace kdsp {

/// The largest file a load reads; anything longer is not a preset (a full mode file is about
/// 70 kB).
inline constexpr std::size_t kMaxPresetFileBytes = 4u << 20;

/// "<kind's directory>/<name><extension>"; the name is used as given (check it first).
std::string PresetFilePath(const PresetDirs& dirs, PresetKind kind, std::string_view name);

/// Result of a write; `error` carries the platform's wording when it failed.
struct SaveResult {
  PresetStatus status = PresetStatus::kOk;
  std::string error;
};

/// Called with the path of the temporary file once it is completely written and closed, just
/// before it replaces the target; returning false abandons the save (the temporary file is
/// removed, the old file is left as it was).
using CommitGate = std::function<bool(const std::string& temp_path)>;

/// Writes `bytes` to a hidden temporary file in the target's directory, flushes it to disk and
/// renames it over `path`, so an interrupted write never leaves a half-written target.
SaveResult WriteFileReplacing(const std::string& path, std::string_view bytes,
                              const CommitGate& gate = {});

/// `SavePresetFile`: checks the name and writes the kind's file from `device_values`. The
/// caller has already asked about overwriting (`NameInTable`) and refills the list afterwards.
SaveResult SavePresetFile(const PresetDirs& dirs, PresetKind kind, std::string_view name,
                          const ValueTable& device_values, const CommitGate& gate = {});

/// The bytes of a regular file of at most `max_bytes`; nothing when it cannot be opened or
/// read. A longer file gives its first max_bytes + 1 bytes, so the caller can tell.
std::optional<std::string> ReadFileBytes(const std::string& path,
                                         std::size_t max_bytes = kMaxPresetFileBytes);

/// Reads and checks a file at `path` without applying it.
DecodedPreset ReadPresetFile(const std::string& path, PresetKind kind);

/// `LoadPresetFile`: checks the name, reads and checks the whole file and only then stores its
/// values into `device_values`. kOk means the caller starts the download when online.
PresetStatus LoadPresetFile(const PresetDirs& dirs, PresetKind kind, std::string_view name,
                            ValueTable& device_values);

/// `DeletePresetFile`: removes "<dir>/<name><extension>" when it is a file (never a
/// directory). The window asks for confirmation first; a failure is not reported to the user.
PresetStatus DeletePresetFile(const PresetDirs& dirs, PresetKind kind, std::string_view name);

}  // namespace kdsp
