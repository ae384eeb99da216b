#pragma once

#include <cstdint>
#include <string>

namespace kdsp::tool {

/// One parameter as the console would present it.
struct ParamText {
  std::string channel;  ///< "Music", "Main Sing" ...
  std::string name;     ///< "band 3 gain", "Limit Level"; "slot 11" for an unnamed slot
  std::string value;    ///< display text in the console's units: "6.0dB", "PEQ", "RCA2"
  std::string control;  ///< object name of the console control editing it; empty for none
  bool named = false;   ///< false for slots no control or command of the console uses
};

/// Describes the value `value` of (device page, slot) in a language (1 Chinese, 0 English).
ParamText DescribeParam(int page, int slot, std::int32_t value, int ui_language);

/// "Music band 3 gain 6.0dB": channel, name and value separated by spaces.
std::string ParamLine(const ParamText& text);

}  // namespace kdsp::tool
