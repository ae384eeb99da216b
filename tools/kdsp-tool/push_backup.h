#pragma once

#include <string>

#include "kdsp-tool/endpoints.h"
#include "model/value_table.h"
#include "presets/codec/preset_kind.h"

namespace kdsp::tool {

/// The folder a push keeps the boxes' backups in when none is given: "backups" under the
/// user's data folder for this tool.
std::string DefaultBackupDir();

/// Creates `dir` where missing; an error text when it cannot be made.
std::string PrepareBackupDir(const std::string& dir);

/// The time stamp of a push, "YYYYMMDD-HHMMSS" in local time.
std::string BackupStamp();

/// A backup of what a box held before a push, saved as a preset file of `kind` (the kind
/// the push writes, so that a push of the backup puts back everything the push changed) in
/// `dir` as "HOST_PORT-STAMP" with the kind's extension; a name already taken gets "-2", "-3"...
struct BackupResult {
  std::string path;   ///< the file written
  std::string error;  ///< why nothing was written
};
BackupResult SaveBackup(const std::string& dir, const Endpoint& box, const std::string& stamp,
                        PresetKind kind, const ValueTable& values);

}  // namespace kdsp::tool
