#pragma once

#include <string>
#include <vector>

#include "model/value_table.h"
#include "presets/codec/preset_scramble.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kdsp::testing {

/// A table with a different non-zero value in every cell.
inline ValueTable PatternTable(int seed) {
  ValueTable t;
  for (int p = 0; p < kPageCount; ++p) {
    for (int s = 0; s < kSlotCount; ++s) t.Set(p, s, (p * 1009 + s * 31 + seed) % 65535 + 1);
  }
  return t;
}

/// Scrambled CR LF file bytes from plain lines.
inline std::string ScrambleLines(const std::vector<std::string>& plain) {
  std::string out;
  for (const std::string& line : plain) out += ScrambleLine(line) + "\r\n";
  return out;
}

}  // namespace kdsp::testing
