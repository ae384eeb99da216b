#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "presets/codec/preset_kind.h"

namespace kdsp {

/// Why a typed file name was refused.
enum class NameCheck {
  kOk,
  kEmpty,    ///< nothing typed: the save does nothing and says nothing
  kInvalid,  ///< a separator, "..", a control or reserved character, bad UTF-8, too long
};

/// Checks a name typed or picked by the user before it becomes "<dir>/<name><extension>".
/// Refuses path separators, "..", a leading dot (hidden, never listed), a trailing dot or
/// space, characters either file system cannot take (control characters, < > : " | ? *),
/// malformed UTF-8 and names too long for a file name.
NameCheck CheckPresetName(std::string_view name);

/// True when a directory entry's name belongs in the kind's list: it contains the kind's
/// extension in any case ("x.Nddt", "x.nddt", "x.Nddtold", "x.Nddt.bak") and is not hidden.
bool MatchesListMask(PresetKind kind, std::string_view file_name);

/// The "File Name" text of a listed file: a final dot and exactly four characters removed
/// ("x.Nddt" -> "x"), any other name whole ("x.Nddtold", "x.Nddt.bak").
std::string ListDisplayName(std::string_view file_name);

/// The name table of a kind's directory: the display names of its regular files that match
/// the mask, in alphabetical order ignoring case. Row r of the list shows "NO." r and
/// element r. A missing or unreadable directory gives an empty table.
std::vector<std::string> ListPresetFiles(const std::string& dir, PresetKind kind);

/// True when the save of `name` must first ask to overwrite: an exact, case-sensitive match
/// in the name table.
bool NameInTable(const std::vector<std::string>& name_table, std::string_view name);

}  // namespace kdsp
