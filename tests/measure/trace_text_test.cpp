#include "measure/trace_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "measure/octave_bands.h"

namespace kdsp {
namespace {

struct BadText {
  const char* what;
  std::string text;
  int line;
  TraceError kind;
};

TEST(TraceText, RefusesBadTextNamingTheLine) {
  const BadText cases[] = {
      {"empty", "", 1, TraceError::kEmpty},
      {"comments only", "* header\n# more\n\n", 4, TraceError::kEmpty},
      {"binary", std::string("20 1\n\x01\x02\x7f\x45LF", 9), 2, TraceError::kBinary},
      {"utf-16 no mark",
       std::string("2\0"
                   "0\0 \0"
                   "1\0",
                   8),
       1, TraceError::kBinary},
      {"utf-16 le mark",
       std::string("\xFF\xFE"
                   "2\0"
                   "0\0",
                   6),
       1, TraceError::kEncoding},
      {"utf-8 mark",
       "\xEF\xBB\xBF"
       "20 1\n",
       1, TraceError::kEncoding},
      {"word", "* h\n20 1\n40 abc\n", 3, TraceError::kNotNumeric},
      {"one field", "20 1\n40\n", 2, TraceError::kNotNumeric},
      {"four fields", "20 1 0 5\n", 1, TraceError::kNotNumeric},
      {"trailing junk", "20 1dB\n", 1, TraceError::kNotNumeric},
      {"nan", "20 nan\n", 1, TraceError::kNotNumeric},
      {"zero freq", "0 1\n", 1, TraceError::kBadFrequency},
      {"decreasing", "20 1\n40 2\n30 3\n", 3, TraceError::kNotIncreasing},
      {"duplicate", "20 1\n\n20 2\n", 3, TraceError::kNotIncreasing},
  };
  for (const BadText& c : cases) {
    const TraceParse r = ParseTrace(c.text);
    EXPECT_FALSE(r.trace.has_value()) << c.what;
    EXPECT_EQ(r.error_line, c.line) << c.what;
    EXPECT_EQ(r.kind, c.kind) << c.what;
    EXPECT_EQ(r.error.rfind("line " + std::to_string(c.line) + ": ", 0), 0u)
        << c.what << ": " << r.error;
  }
}

TEST(TraceText, ReadsTheCommonFormsAndWritesThemBack) {
  const TraceParse r = ParseTrace(
      "* Measurement data measured by an acoustic tool\r\n"
      "# Freq(Hz) SPL(dB) Phase(degrees)\r\n"
      "\r\n"
      "20.000\t-3.5\t12.5\r\n"
      "1000,0.25,-90\r\n"
      "  20000; 1.5e0 \r\n");
  ASSERT_TRUE(r.trace.has_value()) << r.error;
  ASSERT_EQ(r.trace->points.size(), 3u);
  EXPECT_DOUBLE_EQ(r.trace->points[0].freq_hz, 20.0);
  EXPECT_DOUBLE_EQ(r.trace->points[0].db, -3.5);
  EXPECT_DOUBLE_EQ(*r.trace->points[1].phase_deg, -90.0);
  EXPECT_FALSE(r.trace->points[2].phase_deg.has_value());
  EXPECT_DOUBLE_EQ(r.trace->points[2].db, 1.5);

  Trace t = *r.trace;
  t.name = "Before EQ";
  const std::string text = FormatTrace(t);
  EXPECT_EQ(text.rfind("* Before EQ\n", 0), 0u) << text;
  const TraceParse back = ParseTrace(text);
  ASSERT_TRUE(back.trace.has_value()) << back.error;
  ASSERT_EQ(back.trace->points.size(), 3u);
  EXPECT_NEAR(back.trace->points[1].db, 0.25, 1e-3);
  EXPECT_NEAR(*back.trace->points[0].phase_deg, 12.5, 1e-2);
}

TEST(TraceText, LevelIsInterpolatedInLogFrequencyAndHeldAtTheEnds) {
  const Trace t{"t", {{100, 0, {}}, {400, 6, {}}, {1000, -3, {}}}};
  const struct { double f, db; } cases[] = {{50, 0}, {100, 0}, {200, 3}, {400, 6}, {20000, -3}};
  for (const auto& c : cases) EXPECT_NEAR(TraceLevelAt(t, c.f), c.db, 1e-9) << c.f;
}

TEST(TraceText, SmoothingAveragesPowerOverTheWindow) {
  // A narrow 20 dB notch point-sampled every 1/48 octave: third-octave smoothing spreads it to
  // a shallow dip whose depth is fixed by the power average (15 of 16 points at 0 dB, one at
  // -20 dB, all equally wide in log-frequency).
  Trace t{"n", {}};
  for (int k = -96; k <= 96; ++k) {
    t.points.push_back({1000.0 * std::pow(2.0, k / 48.0), k == 0 ? -20.0 : 0.0, std::nullopt});
  }
  const Trace s = SmoothTrace(t, 3);
  // The centre window spans 16 segments of the grid (1/3 octave at 1/48 spacing).
  EXPECT_NEAR(TraceLevelAt(s, 1000.0), 10 * std::log10((16 - 1 + 0.01) / 16.0), 0.02);
  EXPECT_NEAR(TraceLevelAt(s, 2000.0), 0.0, 1e-9);
  const Trace bands = BandLevels(t, 3);
  ASSERT_FALSE(bands.points.empty());
  EXPECT_NEAR(bands.points.front().freq_hz, 250.0, 0.01);  // 1000 * 2^(-6/3)
}

TEST(OctaveBands, CentresFollowTheBaseTwoSeries) {
  const struct {
    int fraction;
    double low, high;
    std::size_t count;
    double first, last;
  } cases[] = {
      {3, 19, 21000, 31, 19.686, 20158.7},
      {6, 990, 1200, 2, 1059.46, 1189.21},
      {12, 1000, 1100, 2, 1029.30, 1090.51},
      {24, 980, 1020, 2, 985.66, 1014.54},
  };
  for (const auto& c : cases) {
    const auto bands = OctaveBands(c.fraction, c.low, c.high);
    ASSERT_EQ(bands.size(), c.count) << c.fraction;
    EXPECT_NEAR(bands.front().centre_hz, c.first, 0.01) << c.fraction;
    EXPECT_NEAR(bands.back().centre_hz, c.last, 0.1) << c.fraction;
  }
}

}  // namespace
}  // namespace kdsp
