#include "measure/band_analyser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "measure/calibration.h"
#include "measure/sweep_response.h"
#include "spectrum/maths/pink_noise.h"

namespace kdsp {
namespace {

std::vector<float> Sine(double freq_hz, double level_dbfs, std::size_t n) {
  std::vector<float> out(n);
  const double a = std::pow(10.0, level_dbfs / 20.0);
  for (std::size_t i = 0; i < n; ++i) {
    out[i] = static_cast<float>(a * std::sin(2.0 * std::numbers::pi * freq_hz * i / 48000.0 + 0.3));
  }
  return out;
}

// The band whose edges hold `freq_hz`.
std::size_t BandOf(const BandAnalyser& a, double freq_hz) {
  for (std::size_t b = 0; b < a.Bands().size(); ++b) {
    if (freq_hz >= a.Bands()[b].low_hz && freq_hz < a.Bands()[b].high_hz) return b;
  }
  ADD_FAILURE() << "no band for " << freq_hz;
  return 0;
}

TEST(BandAnalyser, SineReadsItsLevelInItsBand) {
  // Sines at band centres and a quarter of a band off them, 40 Hz to 16 kHz, read their level
  // in their band. A sine on a band edge splits between the two bands: their power sum reads
  // its level.
  const struct {
    int fraction;
    double freq_hz;
    double level_dbfs;
    bool on_edge;
  } cases[] = {
      {3, 40.0, -6.0, false},    {3, 42.4, -20.0, false},    {3, 63.0, -3.0, false},
      {3, 100.0, -12.0, false},  {3, 333.0, -30.0, false},   {3, 1000.0, 0.0, false},
      {3, 1090.5, -10.0, false}, {3, 3150.0, -6.0, false},   {3, 8000.0, -40.0, false},
      {3, 12700.0, -6.0, false}, {3, 16000.0, -6.0, false},  {6, 52.56, -6.0, false},
      {6, 1059.46, -6.0, false}, {12, 204.1, -6.0, false},   {12, 5190.0, -6.0, false},
      {24, 507.27, -6.0, false}, {24, 1014.54, -6.0, false}, {24, 15770.6, -6.0, false},
      {6, 1000.0, -6.0, true},   {24, 500.0, -6.0, true},    {3, 891.25, -6.0, true},
  };
  for (const auto& c : cases) {
    BandAnalyser a;
    a.SetFraction(c.fraction);
    a.Push(Sine(c.freq_hz, c.level_dbfs, BandAnalyser::kFftLength));
    a.Step(0.1);
    const std::size_t b = BandOf(a, c.freq_hz);
    const auto& l = a.LevelsDbfs();
    double power = std::pow(10.0, l[b] / 10.0);
    if (c.on_edge) power += std::pow(10.0, l[b - 1] / 10.0) + std::pow(10.0, l[b + 1] / 10.0);
    EXPECT_NEAR(10.0 * std::log10(power), c.level_dbfs, 0.5)
        << "1/" << c.fraction << " octave, " << c.freq_hz << " Hz";
    // A band three bands away sees nothing worth mentioning.
    if (b + 3 < a.Bands().size()) {
      EXPECT_LT(l[b + 3], c.level_dbfs - 40.0);
    }
  }
}

TEST(BandAnalyser, PinkNoiseReadsFlatPerThirdOctave) {
  PinkNoise noise;
  noise.SetLevelDbfs(-20.0);
  BandAnalyser a;
  a.SetFraction(3);
  a.SetAveraging({Averaging::Kind::kInfinite, 0});
  std::vector<float> block(4800);
  for (int step = 0; step < 400; ++step) {  // 40 s
    noise.Fill(block);
    a.Push(block);
    if (step >= 7) a.Step(0.1);
  }
  EXPECT_EQ(a.AverageCount(), 393);
  EXPECT_NEAR(a.AverageSeconds(), 39.3, 1e-9);
  std::vector<double> centres, widths, levels;
  for (std::size_t b = 0; b < a.Bands().size(); ++b) {
    centres.push_back(a.Bands()[b].centre_hz);
    widths.push_back(std::log2(a.Bands()[b].high_hz / a.Bands()[b].low_hz));
    levels.push_back(a.LevelsDbfs()[b]);
  }
  const Trace response = PinkNoiseResponse(centres, widths, levels, -20.0);
  int checked = 0;
  for (const TracePoint& p : response.points) {
    if (p.freq_hz < 49.0 || p.freq_hz > 16500.0) continue;
    EXPECT_NEAR(p.db, 0.0, 1.0) << p.freq_hz << " Hz";
    ++checked;
  }
  EXPECT_EQ(checked, 26);  // 50 Hz .. 16 kHz
}

TEST(BandAnalyser, AveragingFollowsItsTimeConstantAndInfiniteKeepsThePowerMean) {
  // A 1 kHz sine at -10 dBFS that drops to -30 dBFS: an exponential average with 2 s falls
  // to 1 - e^-1 of the way (in power) after 2 s; the infinite average of equal times at the
  // two levels is their power mean.
  const auto run = [](Averaging mode, double seconds_high, double seconds_low) {
    BandAnalyser a;
    a.SetFraction(3);
    a.SetAveraging(mode);
    const auto high = Sine(1000.0, -10.0, BandAnalyser::kFftLength);
    const auto low = Sine(1000.0, -30.0, BandAnalyser::kFftLength);
    for (int i = 0; i < static_cast<int>(seconds_high * 10); ++i) {
      a.Push(high);
      a.Step(0.1);
    }
    for (int i = 0; i < static_cast<int>(seconds_low * 10); ++i) {
      a.Push(low);
      a.Step(0.1);
    }
    return a.LevelsDbfs()[BandOf(a, 1000.0)];
  };
  const double p_high = 0.1, p_low = 0.001;  // -10 and -30 dB in power
  const double exp_after_2s = p_low + (p_high - p_low) * std::exp(-1.0);
  EXPECT_NEAR(run({Averaging::Kind::kExponential, 2.0}, 10, 2), 10 * std::log10(exp_after_2s), 0.1);
  EXPECT_NEAR(run({Averaging::Kind::kInfinite, 0}, 5, 5), 10 * std::log10((p_high + p_low) / 2),
              0.1);
  EXPECT_NEAR(run({Averaging::Kind::kNone, 0}, 5, 1), -30.0, 0.1);
}

struct BadCalibration {
  const char* what;
  std::string text;
  int line;
};

TEST(Calibration, ReadsSensitivityAndRefusesBadFilesNamingTheLine) {
  const CalibrationParse ok = ParseCalibration(
      "\"Sens Factor =-1.5dB, SERNO: 7000001\"\n"
      "* a comment\n"
      "20 -2.0\n"
      "1000 0.0 0\n"
      "20000 3.0\n");
  ASSERT_TRUE(ok.calibration.has_value()) << ok.error;
  EXPECT_DOUBLE_EQ(ok.calibration->sensitivity_db, -1.5);
  EXPECT_NEAR(ok.calibration->CorrectionAt(1000.0), -1.5, 1e-9);
  EXPECT_NEAR(ok.calibration->CorrectionAt(20000.0), 1.5, 1e-9);
  EXPECT_NEAR(ok.calibration->CorrectionAt(10.0), -3.5, 1e-9);

  const BadCalibration cases[] = {
      {"empty", "", 1},
      {"only the sensitivity", "Sensitivity -18 dB\n", 2},
      {"binary",
       std::string("\x7f"
                   "ELF\x02\x01\x01\0\0",
                   9),
       1},
      {"utf-16",
       std::string("\xFF\xFE"
                   "2\0"
                   "0\0",
                   6),
       1},
      {"bom",
       "\xEF\xBB\xBF"
       "20 1\n",
       1},
      {"words", "Sens Factor =-1dB\n20 0\nthirty 1\n", 3},
      {"decreasing", "20 0\n100 1\n50 2\n", 3},
      {"duplicate", "20 0\n20 1\n", 2},
  };
  for (const BadCalibration& c : cases) {
    const CalibrationParse r = ParseCalibration(c.text);
    EXPECT_FALSE(r.calibration.has_value()) << c.what;
    EXPECT_EQ(r.error_line, c.line) << c.what << ": " << r.error;
  }
}

}  // namespace
}  // namespace kdsp
