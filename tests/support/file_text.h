#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace kdsp::testing {

/// Writes `bytes` to `path` as they are (no line-end translation).
inline void WriteText(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

/// The bytes of `path`; empty when it cannot be read.
inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace kdsp::testing
