#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "presets/codec/preset_kind.h"

namespace kdsp {

/// Where the preset files live; "/" separates, no trailing separator.
struct PresetDirs {
  std::string base;      ///< the directory chosen for the presets' root
  std::string root;      ///< `PresetRoot`: base + "/Mode"
  std::string mode_dir;  ///< `ModeFileDir`: root + "/Z7Mode"
  std::string eq_dir;    ///< `EqFileDir`: root + "/HintMode"

  const std::string& DirOf(PresetKind kind) const {
    return kind == PresetKind::kMode ? mode_dir : eq_dir;
  }
};

/// Answers whether a directory may be written to.
using WritableProbe = std::function<bool(const std::string& dir)>;

/// Whether the program's directory is the `bin` directory of an installation (/usr/bin,
/// /usr/local/bin, /opt/x/bin): an installed program keeps no files beside itself.
bool IsInstalledProgramDir(std::string_view exe_dir);

/// The preset directories under `exe_dir` when the program runs from its build or an unpacked
/// folder that the probe finds writable (or no fallback is given), otherwise under
/// `fallback_dir` (the user's data directory for the application), whoever runs it.
PresetDirs ResolvePresetDirs(std::string_view exe_dir, std::string_view fallback_dir,
                             const WritableProbe& writable);

/// The real probe: an existing directory this process may create files in.
bool IsWritableDirectory(const std::string& dir);

/// `EnsurePresetDirs`: creates the root and both kind directories where missing (the fallback
/// base too). Failures are swallowed; returns true when all three exist afterwards.
bool EnsurePresetDirs(const PresetDirs& dirs);

}  // namespace kdsp
