#pragma once

#include <ostream>
#include <vector>

#include "presets/codec/preset_codec.h"

namespace kdsp::tool {

/// Prints the parameters whose values differ between `a` and `b` (an address held by only one
/// side counts as a difference), one line each in address order, then the count line.
/// Returns the number of differences.
int PrintDifferences(const std::vector<PresetEntry>& a, const std::vector<PresetEntry>& b,
                     int ui_language, std::ostream& out);

}  // namespace kdsp::tool
