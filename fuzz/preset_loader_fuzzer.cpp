// The preset loader given any file: once as the bytes of a file, once with every line of the
// input scrambled first, so that mutations reach the plain lines behind the scrambling (the
// header numbers, the data fields, the count and checksum lines). Built once per file kind.
//
// Checks: a file that fails changes nothing; a good file changes only the cells its kind
// applies, and writing its entries out again gives a file that reads back the same. Short
// inputs also serve as file names for the listing and the name check.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "presets/codec/preset_codec.h"
#include "presets/codec/preset_names.h"
#include "presets/codec/preset_scramble.h"

#ifndef KDSP_FUZZ_PRESET_KIND
#error "KDSP_FUZZ_PRESET_KIND names the preset kind of this target"
#endif

namespace {

using namespace kdsp;

bool AppliedByKind(int page, int slot, int kind) {
  return IsAppliedOnLoad(static_cast<PresetKind>(kind), page, slot);
}

void LoadAndCheck(PresetKind kind, std::string_view file) {
  ValueTable table = fuzz::MarkedTable();
  const PresetStatus status = LoadPresetBytes(kind, file, table);
  const DecodedPreset decoded = DecodePresetFile(kind, file);
  KDSP_FUZZ_CHECK(decoded.status == status);
  if (status != PresetStatus::kOk) {
    KDSP_FUZZ_CHECK(table == fuzz::MarkedTable());
    KDSP_FUZZ_CHECK(decoded.entries.empty());
    return;
  }
  KDSP_FUZZ_CHECK(fuzz::OnlyChangedWhere(table, AppliedByKind, static_cast<int>(kind)));
  const std::string again = EncodePresetEntries(kind, decoded.entries);
  const DecodedPreset reread = DecodePresetFile(kind, again);
  KDSP_FUZZ_CHECK(reread.status == PresetStatus::kOk);
  KDSP_FUZZ_CHECK(reread.entries == decoded.entries);
}

std::string ScrambleEveryLine(std::string_view plain) {
  std::string out;
  while (!plain.empty()) {
    const std::size_t nl = plain.find('\n');
    std::string_view line = plain.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out += ScrambleLine(line);
    out += "\r\n";
    if (nl == std::string_view::npos) break;
    plain.remove_prefix(nl + 1);
  }
  return out;
}

// The input as the name of a file found in a preset directory (files are traded, so are their
// names): the listed name is the file name or the file name less a final dot and four
// characters, and a name the check lets through cannot leave the directory.
void CheckNames(std::string_view file_name) {
  const std::string shown = ListDisplayName(file_name);
  KDSP_FUZZ_CHECK(file_name.starts_with(shown));
  if (shown.size() != file_name.size()) {
    KDSP_FUZZ_CHECK(shown.size() >= 1 && file_name[shown.size()] == '.');
    // Four characters of well-formed UTF-8 take 4 to 16 bytes (stray continuation bytes in a
    // malformed name count with the character before them).
    if (CheckPresetName(file_name) == NameCheck::kOk) {
      KDSP_FUZZ_CHECK(file_name.size() - shown.size() >= 5 &&
                      file_name.size() - shown.size() <= 17);
    }
  }
  if (CheckPresetName(shown) == NameCheck::kOk) {
    KDSP_FUZZ_CHECK(shown.find('/') == std::string::npos);
    KDSP_FUZZ_CHECK(shown.find('\\') == std::string::npos);
    KDSP_FUZZ_CHECK(shown.find("..") == std::string::npos);
    KDSP_FUZZ_CHECK(shown.front() != '.');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  LoadAndCheck(KDSP_FUZZ_PRESET_KIND, input);
  LoadAndCheck(KDSP_FUZZ_PRESET_KIND, ScrambleEveryLine(input));
  if (size <= 255) CheckNames(input);
  return 0;
}
