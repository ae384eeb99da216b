#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kdsp::tool {

/// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;  ///< a file is missing, damaged or cannot be written
inline constexpr int kExitUsage = 2;      ///< the command line is wrong

/// Runs one command line (without the program name); results go to `out`, messages to `err`.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The text of --help, with the channel names.
std::string HelpText();

}  // namespace kdsp::tool
