// The real kdsp-console program asked for help, its version, or given a wrong command line:
// each is answered without a window, on the right stream and with the right exit status.

#include <gtest/gtest.h>

#include "support/program_run.h"

namespace kdsp::app {
namespace {

using kdsp::testing::ProgramRun;

const std::vector<std::pair<std::string, std::string>> kEnglish = {
    {"LC_ALL", "en_GB.UTF-8"}, {"QT_QPA_PLATFORM", "offscreen"}};
const std::vector<std::pair<std::string, std::string>> kChinese = {
    {"LC_ALL", "zh_CN.UTF-8"}, {"QT_QPA_PLATFORM", "offscreen"}};

ProgramRun Console(const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env = kEnglish) {
  return kdsp::testing::RunProgram(KDSP_CONSOLE_PROGRAM, args, {}, env);
}

TEST(ConsoleProgram, HelpAndVersionGoToStandardOutputAndSucceed) {
  const ProgramRun help = Console({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.err.empty()) << help.err;
  EXPECT_EQ(help.out.rfind("Usage: kdsp-console [options]\n", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--demo"), std::string::npos);

  const ProgramRun zh = Console({"-h"}, kChinese);
  EXPECT_EQ(zh.status, 0);
  EXPECT_EQ(zh.out.rfind("用法：kdsp-console [选项]\n", 0), 0u) << zh.out;

  const ProgramRun version = Console({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "kdsp-console " KDSP_VERSION "\n");
  EXPECT_TRUE(version.err.empty()) << version.err;
}

TEST(ConsoleProgram, WrongCommandLinesExitWithStatusTwo) {
  const ProgramRun unknown = Console({"--host", "10.0.0.1", "--frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_TRUE(unknown.out.empty()) << unknown.out;
  EXPECT_NE(unknown.err.find("unknown option '--frobnicate'"), std::string::npos) << unknown.err;

  const ProgramRun missing = Console({"--port"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("'--port'"), std::string::npos) << missing.err;

  const ProgramRun zh = Console({"--frobnicate"}, kChinese);
  EXPECT_EQ(zh.status, 2);
  EXPECT_NE(zh.err.find("未知选项“--frobnicate”"), std::string::npos) << zh.err;
}

TEST(ConsoleProgram, QtOptionsAreTakenBeforeTheLineIsJudged) {
  // "-platform offscreen" belongs to the application object; the fault after it is still one.
  const ProgramRun run = Console({"-platform", "offscreen", "--frobnicate"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("unknown option '--frobnicate'"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("platform"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kdsp::app
