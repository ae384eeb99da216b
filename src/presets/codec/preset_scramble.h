#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kdsp {

/// The key every stored line is XORed with, byte i of a line with key[i mod 8].
inline constexpr std::array<std::uint8_t, 8> kPresetFileKey = {0x5E, 0xC1, 0x37, 0xA9,
                                                               0x0B, 0xF4, 0x62, 0xD8};

/// A plain line as stored: each byte XORed with the key, as two upper-case hex digits.
std::string ScrambleLine(std::string_view plain);

/// The plain line of a stored line: hex pairs of either case, a trailing odd character
/// ignored. Nothing when a pair is not hexadecimal.
std::optional<std::string> UnscrambleLine(std::string_view stored);

}  // namespace kdsp
