// The command line: endpoints and ranges, and how wrong command lines are answered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kdsp-tool/endpoints.h"
#include "tool_test_util.h"

namespace kdsp::tool {
namespace {

using testing::RunTool;
using testing::TempDir;

TEST(EndpointsTest, HostsWithAndWithoutPorts) {
  EXPECT_EQ(ParseEndpoint("192.168.1.20"), (Endpoint{"192.168.1.20", 8899}));
  EXPECT_EQ(ParseEndpoint("room-12.local:9000"), (Endpoint{"room-12.local", 9000}));
  EXPECT_EQ(ParseEndpoint("::1"), (Endpoint{"::1", 8899}));
  EXPECT_EQ(ParseEndpoint("[fe80::2]:65535"), (Endpoint{"fe80::2", 65535}));
  EXPECT_EQ(ParseEndpoint("[::1]")->Label(), "[::1]:8899");
  EXPECT_EQ(ParseEndpoint("10.0.0.1:1")->Label(), "10.0.0.1:1");
  for (const char* bad :
       {"", ":8899", "host:", "host:0", "host:65536", "host:88x", "[::1", "[::1]8899", "[]:1",
        "host:-1", "http://127.0.1.160:20300", "1.2.3.4:8899:1", "a b", "127.0.1.160/24",
        "10.0.0.256", "-box.local", "[box]:1", "box_1"}) {
    EXPECT_FALSE(ParseEndpoint(bad)) << bad;
  }
}

TEST(EndpointsTest, RangesExpandToTheirHostAddresses) {
  const ScanTargets r27 = ExpandScanTarget("127.0.0.0/27");
  ASSERT_TRUE(r27.error.empty());
  ASSERT_EQ(r27.hosts.size(), 30u);
  EXPECT_EQ(r27.hosts.front(), "127.0.0.1");
  EXPECT_EQ(r27.hosts.back(), "127.0.0.30");
  // The address given need not be the first of its range.
  const ScanTargets r24 = ExpandScanTarget("192.168.7.77/24");
  ASSERT_EQ(r24.hosts.size(), 254u);
  EXPECT_EQ(r24.hosts.front(), "192.168.7.1");
  EXPECT_EQ(r24.hosts.back(), "192.168.7.254");
  EXPECT_EQ(ExpandScanTarget("10.1.2.3/32").hosts, std::vector<std::string>{"10.1.2.3"});
  EXPECT_EQ(ExpandScanTarget("10.1.2.3/31").hosts,
            (std::vector<std::string>{"10.1.2.2", "10.1.2.3"}));
  EXPECT_EQ(ExpandScanTarget("255.255.255.255/30").hosts,
            (std::vector<std::string>{"255.255.255.253", "255.255.255.254"}));
  const ScanTargets r16 = ExpandScanTarget("172.16.0.0/16");
  EXPECT_EQ(r16.hosts.size(), 65534u);
  EXPECT_EQ(r16.hosts.back(), "172.16.255.254");
  EXPECT_EQ(ExpandScanTarget("box.local").hosts, std::vector<std::string>{"box.local"});

  EXPECT_NE(ExpandScanTarget("172.16.0.0/15").error.find("wider than /16"), std::string::npos);
  for (const char* bad : {"10.0.0/24", "10.0.0.256/24", "10.0.0.0/33", "10.0.0.0/", "/24",
                          "10.0.0.0/2x", "a.b.c.d/24"}) {
    const ScanTargets t = ExpandScanTarget(bad);
    EXPECT_FALSE(t.error.empty()) << bad;
    EXPECT_TRUE(t.hosts.empty()) << bad;
  }
}

TEST(ToolCliTest, WrongCommandLinesSayWhyAndEndWithStatusTwo) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"show", "a.Nddt", "--colour"}, "--colour"},
      {{"show"}, "FILE is required"},
      {{"show", "--lang"}, "--lang"},
      {{"json", "a.Nddt", "-o"}, "-o"},
      {{"diff", "a.Nddt"}, "B is required"},
      {{"frobnicate", "x"}, "unknown command frobnicate"},
      {{"pull", "127.0.0.1"}, "--output is required"},
      {{"pull", "127.0.0.1", "127.0.0.2", "-o", "x.Nddt"}, "HOST: At Most 1"},
      {{"pull", "127.0.0.1:99999", "-o", "x.Nddt"}, "127.0.0.1:99999 is not HOST"},
      {{"push", "a.Nddt"}, "HOST is required"},
      {{"diff-live", "a.Nddt"}, "HOST is required"},
      {{"push", "a.Nddt", "http://127.0.1.160:20300"}, "http://127.0.1.160:20300 is not HOST"},
      {{"push", "a.Nddt", "1.2.3.4:8899:1"}, "1.2.3.4:8899:1 is not HOST"},
      {{"push", "a.Nddt", "a b"}, "a b is not HOST"},
      {{"push", "a.Nddt", "127.0.1.160/24"}, "127.0.1.160/24 is not HOST"},
      {{"scan", "http://127.0.1.160:20300"}, "http://127.0.1.160:20300 is not HOST"},
      {{"scan", "a b"}, "a b is not HOST"},
      {{"scan", "10.0.0.0/15"}, "wider than /16"},
      {{"scan", "10.0.0.0/24", "--port", "0"}, "--port"},
      {{"scan", "10.0.0.0/24", "--concurrency"}, "--concurrency"},
      {{"scan"}, "TARGET is required"},
  };
  for (const Case& c : cases) {
    const auto r = RunTool(c.args, dir);
    EXPECT_EQ(r.status, 2) << c.args[0] << " " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.says << " / " << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
}

TEST(ToolCliTest, HelpAndVersionWinWhereverTheyStand) {
  TempDir dir;
  const auto version = RunTool({"--version"}, dir);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kdsp-tool ", 0), 0u);
  EXPECT_EQ(version.out.find('\n'), version.out.size() - 1);
  EXPECT_EQ(RunTool({"scan", "10.0.0.0/8", "--version"}, dir).out, version.out);
  const auto help = RunTool({"pull", "--help"}, dir);
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"show FILE", "pull HOST -o FILE.Nddt", "push FILE HOST...",
                              "diff-live FILE HOST", "scan TARGET..."}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  }
  // The test-only pacing option stays out of the help.
  EXPECT_EQ(help.out.find("divisor"), std::string::npos);
}

}  // namespace
}  // namespace kdsp::tool
