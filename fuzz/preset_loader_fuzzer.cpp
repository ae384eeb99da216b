// The preset loader given any file: once as the bytes of a file, once with every line of the
// input scrambled first, so that mutations reach the plain lines behind the scrambling (the
// header numbers, the data fields, the count and checksum lines). Built once per file kind.
//
// Checks: a file that fails changes nothing; a good file changes only the cells its kind
// applies, and writing its entries out again gives a file that reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "presets/codec/preset_codec.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  LoadAndCheck(KDSP_FUZZ_PRESET_KIND, input);
  LoadAndCheck(KDSP_FUZZ_PRESET_KIND, ScrambleEveryLine(input));
  return 0;
}
