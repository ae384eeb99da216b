// kdsp-tool: the command-line companion of the console for preset files and equaliser curves.

#include <iostream>
#include <string>
#include <vector>

#include "kdsp-tool/tool_commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kdsp::tool::RunTool(args, std::cout, std::cerr);
}
