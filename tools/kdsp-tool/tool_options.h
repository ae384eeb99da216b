#pragma once

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace kdsp::tool {

/// One parsed command line of the file commands: the command and its arguments in
/// `positional`, the options that take a value by their spelling ("--lang", "-o", ...).
struct Options {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // --lang, --channel, --scene, --format, --from,
                                              // --apo-channel, -o
  bool all = false;
  int ui_language = 0;
};

/// A wrong command line: the message is shown and the tool ends with the usage status.
class UsageError {
 public:
  explicit UsageError(std::string m) : message(std::move(m)) {}
  std::string message;
};

// The file commands (tool_commands.cpp).
int Show(const Options& o, std::ostream& out, std::ostream& err);
int Diff(const Options& o, std::ostream& out, std::ostream& err);
int Json(const Options& o, std::ostream& out, std::ostream& err);
int FromJson(const Options& o, std::ostream& err);
int Curve(const Options& o, std::ostream& out, std::ostream& err);
int ExportEq(const Options& o, std::ostream& out, std::ostream& err);
int ImportEq(const Options& o, std::ostream& err);

}  // namespace kdsp::tool
