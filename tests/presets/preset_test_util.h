#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/value_table.h"
#include "presets/codec/preset_scramble.h"

namespace kdsp::testing {

/// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "kdsp-presets-XXXXXX").string();
    path_ = ::mkdtemp(templ.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteText(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

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
