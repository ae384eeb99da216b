#pragma once

#include <ostream>
#include <string>

namespace kdsp::tool {

/// `trace-info FILE`: a measured frequency response (the common text form) summed up: its
/// name, points, frequency range, level range and its third-octave levels, smoothed.
int TraceInfo(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace kdsp::tool
