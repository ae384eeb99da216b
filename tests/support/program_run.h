#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kdsp::testing {

/// What a finished program left: its exit status (-1 when it died of a signal) and both
/// output streams.
struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs `program` with `args`, feeds it `input` on standard input (then end of file), with
/// `env` (NAME, VALUE) set on top of this process's environment, and waits for it to end.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input = {},
                      const std::vector<std::pair<std::string, std::string>>& env = {});

}  // namespace kdsp::testing
