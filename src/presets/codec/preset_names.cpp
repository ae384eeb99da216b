#include "presets/codec/preset_names.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kdsp {

namespace {

// Room for the extension and the temporary-file decoration within one file name.
constexpr std::size_t kMaxNameBytes = 200;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
  return out;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Well-formed UTF-8: no overlongs, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if (!IsContinuation(d)) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

NameCheck CheckPresetName(std::string_view name) {
  if (name.empty()) return NameCheck::kEmpty;
  if (name.size() > kMaxNameBytes) return NameCheck::kInvalid;
  if (name.find("..") != std::string_view::npos) return NameCheck::kInvalid;
  if (name.front() == '.' || name.back() == '.' || name.back() == ' ') return NameCheck::kInvalid;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return NameCheck::kInvalid;
    if (std::string_view("/\\<>:\"|?*").find(ch) != std::string_view::npos) {
      return NameCheck::kInvalid;
    }
  }
  return IsValidUtf8(name) ? NameCheck::kOk : NameCheck::kInvalid;
}

bool MatchesListMask(PresetKind kind, std::string_view file_name) {
  if (file_name.empty() || file_name.front() == '.') return false;
  return Lowered(file_name).find(TraitsOf(kind).list_token) != std::string::npos;
}

std::string ListDisplayName(std::string_view file_name) {
  // Walk back over four characters (UTF-8 sequences count as one) and look for the dot.
  std::size_t pos = file_name.size();
  for (int chars = 0; chars < 4; ++chars) {
    if (pos == 0) return std::string(file_name);
    --pos;
    while (pos > 0 && IsContinuation(static_cast<unsigned char>(file_name[pos]))) --pos;
  }
  // Never shorten to nothing: ".EQdt" stays whole.
  if (pos < 2 || file_name[pos - 1] != '.') return std::string(file_name);
  return std::string(file_name.substr(0, pos - 1));
}

std::vector<std::string> ListPresetFiles(const std::string& dir, PresetKind kind) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return {};
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string file_name = it->path().filename().string();
    std::error_code type_ec;
    if (!it->is_regular_file(type_ec) || !MatchesListMask(kind, file_name)) continue;
    files.push_back(file_name);
  }
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    const std::string la = Lowered(a), lb = Lowered(b);
    return la != lb ? la < lb : a < b;
  });
  std::vector<std::string> names;
  names.reserve(files.size());
  for (const std::string& f : files) names.push_back(ListDisplayName(f));
  return names;
}

bool NameInTable(const std::vector<std::string>& name_table, std::string_view name) {
  return std::find(name_table.begin(), name_table.end(), name) != name_table.end();
}

}  // namespace kdsp
