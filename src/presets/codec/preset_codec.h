#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/value_table.h"
#include "presets/codec/preset_kind.h"

namespace kdsp {

/// Outcome of a preset file operation; the window turns it into its message.
enum class PresetStatus {
  kOk,
  kNotFound,     ///< the file cannot be opened
  kFormatError,  ///< the header numbers are wrong or missing
  kCorrupted,    ///< count, checksum, a field or an address is wrong
  kBadName,      ///< the typed name cannot name a file inside the preset directory
  kWriteFailed,  ///< the file could not be written (the old file, if any, is untouched)
  kDeleteFailed,
};

/// One data line: a parameter address and its value.
struct PresetEntry {
  int page = 0;
  int slot = 0;
  std::int32_t value = 0;
  bool operator==(const PresetEntry&) const = default;
};

/// A file taken apart and checked. `entries` holds every data line in file order (also the
/// lines a load does not apply) and is empty unless `status` is kOk.
struct DecodedPreset {
  PresetStatus status = PresetStatus::kCorrupted;
  std::vector<PresetEntry> entries;
};

/// The checksum byte of a sum of values: the byte that brings the sum to a multiple of 256.
int PresetChecksum(std::int64_t sum);

/// The data lines a save writes for the kind: every written page and slot with its value in
/// `device_values`, pages ascending, slots ascending.
std::vector<PresetEntry> EntriesFromTable(PresetKind kind, const ValueTable& device_values);

/// The plain (unscrambled) lines of a file holding `entries`: header, data, count, checksum.
std::vector<std::string> BuildPlainLines(PresetKind kind, const std::vector<PresetEntry>& entries);

/// The bytes of a file holding `entries`: every plain line scrambled and ended by CR LF.
std::string EncodePresetEntries(PresetKind kind, const std::vector<PresetEntry>& entries);

/// The bytes a save writes from `device_values`.
std::string EncodePresetFile(PresetKind kind, const ValueTable& device_values);

/// Splits, unscrambles and checks a whole file (any bytes are safe). Lines may end in CR LF or
/// LF. The header tags are not compared, only the header numbers. Every line must be two
/// fields separated by one space; the data fields must be decimal numbers that decode to an
/// address inside the tables and a value in 0..65535; the count line must give its own index
/// and the checksum line the checksum of all values.
DecodedPreset DecodePresetFile(PresetKind kind, std::string_view bytes);

/// Stores the entries a load of the kind applies into `device_values`; returns how many.
int ApplyPresetEntries(PresetKind kind, const std::vector<PresetEntry>& entries,
                       ValueTable& device_values);

/// Decodes and, only when the whole file is sound, applies it. A damaged file changes nothing.
PresetStatus LoadPresetBytes(PresetKind kind, std::string_view bytes, ValueTable& device_values);

}  // namespace kdsp
