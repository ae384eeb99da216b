#include <gtest/gtest.h>

#include <string>

#include "tool_test_util.h"

namespace kdsp::tool::testing {
namespace {

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(TraceInfoTest, SumsUpATraceOrSaysWhichLineIsWrong) {
  TempDir dir;
  const struct {
    const char* what;
    std::string text;
    int status;
    std::vector<std::string> out_has;
    std::string err_has;
    int bands;
  } cases[] = {
      {"flat",
       "* Room, seat 3\n# Freq(Hz) SPL(dB)\n100 -3\n1000 -3 45\n10000 -3\n",
       0,
       {"points: 3\n", "range: 100.0 Hz .. 10000.0 Hz\n", "phase: yes\n",
        "     125.0 Hz    -3.00 dB\n", "    8000.0 Hz    -3.00 dB\n"},
       "",
       19},
      // One point at +10 dB among 0 dB points every 1/12 octave: the third-octave window at
      // 630 Hz holds four intervals, two of them rising to the point: power (1 + 1 + 5.5 + 5.5)
      // / 4 = 3.25, 5.12 dB (5.1x with the frequencies rounded to 0.1 Hz).
      {"peak",
       "500 0\n529.7 0\n561.2 0\n594.6 0\n630 0\n667.4 10\n707.1 0\n749.2 0\n793.7 0\n"
       "840.9 0\n890.9 0\n",
       0,
       {"points: 11\n", "level: 0.00 dB at 500.0 Hz .. 10.00 dB at 667.4 Hz\n",
        "     630.0 Hz     5.1", "     793.7 Hz     0.00 dB\n"},
       "",
       3},
      {"decreasing", "20 1\n10 2\n", 1, {}, "line 2: ", 0},
      {"empty", "* nothing\n", 1, {}, "line 2: ", 0},
  };
  for (const auto& c : cases) {
    const std::string path = dir / "trace.txt";
    WriteText(path, c.text);
    const RunResult r = RunTool({"trace-info", path}, dir);
    EXPECT_EQ(r.status, c.status) << c.what << r.err;
    for (const std::string& part : c.out_has) {
      EXPECT_NE(r.out.find(part), std::string::npos) << c.what << ": " << part << "\n" << r.out;
    }
    if (!c.err_has.empty()) {
      EXPECT_NE(r.err.find(c.err_has), std::string::npos) << c.what << ": " << r.err;
    }
    EXPECT_EQ(CountOf(r.out, " dB\n"), c.bands) << c.what << r.out;
  }
  const RunResult missing = RunTool({"trace-info", dir / "none.txt"}, dir);
  EXPECT_EQ(missing.status, 1);
}

}  // namespace
}  // namespace kdsp::tool::testing
