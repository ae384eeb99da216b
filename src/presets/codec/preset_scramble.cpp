#include "presets/codec/preset_scramble.h"

namespace kdsp {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string ScrambleLine(std::string_view plain) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(plain.size() * 2);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(static_cast<std::uint8_t>(plain[i]) ^
                                                kPresetFileKey[i % kPresetFileKey.size()]);
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
  }
  return out;
}

std::optional<std::string> UnscrambleLine(std::string_view stored) {
  std::string out;
  out.reserve(stored.size() / 2);
  for (std::size_t j = 0; 2 * j + 1 < stored.size(); ++j) {
    const int hi = HexDigit(stored[2 * j]);
    const int lo = HexDigit(stored[2 * j + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>((hi << 4 | lo) ^ kPresetFileKey[j % kPresetFileKey.size()]));
  }
  return out;
}

}  // namespace kdsp
