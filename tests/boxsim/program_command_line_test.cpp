// The kdsp-boxsim program's command line: help, version, and every kind of wrong line end with
// a clear message and exit status 2; good lines start the servers asked for.

#include <gtest/gtest.h>

#include "support/program_run.h"

namespace kdsp::boxsim {
namespace {

using kdsp::testing::ProgramRun;

// Standard input says "quit" at once, so a box that starts also ends.
ProgramRun Box(const std::vector<std::string>& args) {
  return kdsp::testing::RunProgram(KDSP_BOXSIM_PROGRAM, args, "quit\n");
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(BoxCommandLine, HelpAndVersion) {
  const ProgramRun help = Box({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Has(help.out, "Usage: kdsp-boxsim")) << help.out;
  for (const char* word :
       {"--tcp PORT", "--bind ADDR", "--no-tcp", "--pty", "--key-every SEC", "--split-gap MS",
        "--verbose", "--version", "drop N[@K]", "silent MS[@K]", "\"quit\" ends the program"}) {
    EXPECT_TRUE(Has(help.out, word)) << word;
  }
  const ProgramRun short_help = Box({"-h"});
  EXPECT_EQ(short_help.status, 0);
  EXPECT_EQ(short_help.out, help.out);

  const ProgramRun version = Box({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "kdsp-boxsim " KDSP_VERSION "\n");
}

TEST(BoxCommandLine, WrongLinesExitWithStatusTwoAndSayWhy) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--frobnicate"}, "--frobnicate"},
      {{"--tcp", "0", "stray"}, "stray"},
      {{"--tcp"}, "--tcp"},                    // missing value
      {{"--bind"}, "--bind"},                  // missing value
      {{"--tcp", "65536"}, "--tcp"},           // out of range
      {{"--tcp", "http"}, "--tcp"},            // not a number
      {{"--key-every", "0"}, "--key-every"},   // must be positive
      {{"--split-gap", "-5"}, "--split-gap"},  // must not be negative
      {{"--drop", "x"}, "--drop"},             // bad fault value
      {{"--key", "15"}, "--key"},              // the key has 15 steps, 0..14
      {{"--silent", "100@x"}, "--silent"},     // bad frame count
      {{"--no-tcp"}, "nothing to serve"},      // neither TCP nor pty
  };
  for (const Case& c : cases) {
    const ProgramRun run = Box(c.args);
    std::string line;
    for (const auto& a : c.args) line += a + " ";
    EXPECT_EQ(run.status, 2) << line;
    EXPECT_TRUE(run.out.empty()) << line << ": " << run.out;
    EXPECT_EQ(run.err.rfind("kdsp-boxsim: ", 0), 0u) << line << ": " << run.err;
    EXPECT_TRUE(Has(run.err, c.message)) << line << ": " << run.err;
  }
}

TEST(BoxCommandLine, GoodLinesStartTheServersAskedFor) {
  // The later of --tcp and --no-tcp wins; faults and values take both spellings.
  // An option given twice takes its later value.
  const ProgramRun tcp =
      Box({"--no-tcp", "--tcp=0", "--bind", "127.0.0.9", "--bind", "127.0.0.2", "--drop", "2@5",
           "--corrupt", "--silent=0@9", "--back", "--split-gap", "5", "--split-gap", "0"});
  EXPECT_EQ(tcp.status, 0) << tcp.err;
  EXPECT_EQ(tcp.out.rfind("tcp 127.0.0.2:", 0), 0u) << tcp.out;

  const ProgramRun pty = Box({"--tcp", "0", "--no-tcp", "--pty", "--key-every", "3"});
  EXPECT_EQ(pty.status, 0) << pty.err;
  EXPECT_EQ(pty.out.rfind("/dev/pts/", 0), 0u) << pty.out;
  EXPECT_FALSE(Has(pty.out, "tcp ")) << pty.out;
}

}  // namespace
}  // namespace kdsp::boxsim
