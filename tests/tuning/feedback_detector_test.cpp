// The feedback detector on synthetic captures: a tone growing out of noise is reported at
// its table frequency soon after it stands 10 dB above its neighbourhood; music is not.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "spectrum/maths/pink_noise.h"
#include "tuning/feedback_detector.h"

namespace kdsp {
namespace {

constexpr double kRate = 48000;
constexpr double kPi = 3.14159265358979323846;

// Power of a 100 ms Hann-windowed DFT of `x` at `freq_hz`, averaged over the whole signal:
// how loud the neighbourhood of a tone is, measured independently of the detector.
double HannPowerAt(const std::vector<float>& x, double freq_hz) {
  const int m = 4800;
  double sum = 0;
  int frames = 0;
  for (std::size_t start = 0; start + m <= x.size(); start += m, ++frames) {
    double re = 0, im = 0;
    for (int i = 0; i < m; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2 * kPi * i / m);
      const double phase = 2 * kPi * freq_hz * i / kRate;
      re += w * x[start + i] * std::cos(phase);
      im -= w * x[start + i] * std::sin(phase);
    }
    sum += re * re + im * im;
  }
  return sum / frames;
}

std::vector<float> Noise(double seconds, bool speech_like, std::uint32_t seed) {
  PinkNoise pink(seed);
  pink.SetLevelDbfs(-30);
  std::vector<float> x(static_cast<std::size_t>(seconds * kRate));
  pink.Fill(x);
  if (speech_like) {  // syllables: about four a second, loud and soft in turn
    for (std::size_t i = 0; i < x.size(); ++i) {
      const double t = i / kRate;
      const double syllable =
          std::fabs(std::sin(2 * kPi * 2.1 * t + 0.7 * std::sin(2 * kPi * 0.3 * t)));
      x[i] *= static_cast<float>(0.15 + 1.7 * syllable * syllable);
    }
  }
  return x;
}

struct Growing {
  const char* name;
  double tone_hz;
  bool speech_like;
  int table_index;  // the frequency table step of the tone
};

class GrowingTone : public ::testing::TestWithParam<Growing> {};

TEST_P(GrowingTone, IsReportedWithinHalfASecondOfStandingTenDecibelsAbove) {
  const Growing& g = GetParam();
  const double seconds = 8.0, start_s = 2.0, rise_db_per_s = 12.0;
  std::vector<float> noise = Noise(seconds, g.speech_like, 99);
  const double neighbourhood_db = 10 * std::log10(HannPowerAt(noise, g.tone_hz));
  // The tone starts 20 dB below its neighbourhood and grows steadily until it clips.
  const double tone_db_at_start = neighbourhood_db - 20;
  const double amplitude_of_db = 4.0 / 4800;  // a sine of amplitude A reads (A * 4800 / 4)^2
  const double t10 = start_s + 30.0 / rise_db_per_s;
  std::vector<float> x = noise;
  double phase = 0;
  for (std::size_t i = static_cast<std::size_t>(start_s * kRate); i < x.size(); ++i) {
    const double t = i / kRate;
    const double db = tone_db_at_start + rise_db_per_s * (t - start_s);
    const double a = std::min(0.5, amplitude_of_db * std::pow(10.0, db / 20));
    phase += 2 * kPi * g.tone_hz / kRate;
    x[i] += static_cast<float>(a * std::sin(phase));
  }

  FeedbackDetector detector({.sample_rate = kRate});
  std::vector<FeedbackReport> reports;
  for (std::size_t i = 0; i < x.size(); i += 480) {  // 10 ms blocks, as a capture delivers
    const std::size_t n = std::min<std::size_t>(480, x.size() - i);
    for (const FeedbackReport& r : detector.Feed({x.data() + i, n})) reports.push_back(r);
  }
  ASSERT_FALSE(reports.empty()) << g.name;
  EXPECT_LE(reports.front().time_s, t10 + 0.5) << g.name;
  EXPECT_GE(reports.front().time_s, t10 - 0.5) << g.name << ": reported before it rang";
  for (const FeedbackReport& r : reports) {
    EXPECT_EQ(r.freq_index, g.table_index) << g.name << " at " << r.time_s << " s";
    EXPECT_NEAR(r.freq_hz, g.tone_hz, 3.0);
    EXPECT_GE(r.above_db, 10.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rooms, GrowingTone,
    ::testing::Values(Growing{"1003 Hz out of pink noise", 1003, false, 204},
                      Growing{"252 Hz out of pink noise", 252, false, 132},
                      Growing{"3990 Hz out of pink noise", 3990, false, 276},
                      Growing{"2010 Hz out of speech-like noise", 2010, true, 240},
                      Growing{"500 Hz out of speech-like noise", 500, true, 168}),
    [](const ::testing::TestParamInfo<Growing>& info) {
      return "Tone" + std::to_string(info.index);
    });

TEST(FeedbackDetector, SixtySecondsOfMusicWithoutFeedbackGiveNoReport) {
  const double seconds = 60.0;
  std::vector<float> x = Noise(seconds, false, 7);
  // Sustained notes of eight harmonics, two at a time, each with vibrato of its own depth.
  const double fundamentals[] = {110, 131, 147, 165, 196, 220, 262, 294, 330, 392, 440, 523};
  const double depths[] = {0.01, 0.015, 0.025};
  int note = 0;
  for (double onset = 0.0; onset < seconds; onset += 1.25, ++note) {
    const double f0 = fundamentals[(note * 5) % 12], depth = depths[note % 3];
    const double length = 2.0 + (note % 4) * 0.5;
    double phase = 0;
    const std::size_t first = static_cast<std::size_t>(onset * kRate);
    const std::size_t last = std::min(x.size(), first + static_cast<std::size_t>(length * kRate));
    for (std::size_t i = first; i < last; ++i) {
      const double t = (i - first) / kRate;
      const double envelope = std::min({1.0, t / 0.05, (length - t) / 0.2});
      const double f = f0 * (1 + depth * std::sin(2 * kPi * 5.5 * t));
      phase += 2 * kPi * f / kRate;
      double sample = 0;
      for (int h = 1; h <= 8; ++h) sample += std::sin(h * phase) / h;
      x[i] += static_cast<float>(0.08 * envelope * sample);
    }
  }
  FeedbackDetector detector({.sample_rate = kRate});
  std::vector<FeedbackReport> reports;
  for (std::size_t i = 0; i < x.size(); i += 1024) {
    const std::size_t n = std::min<std::size_t>(1024, x.size() - i);
    for (const FeedbackReport& r : detector.Feed({x.data() + i, n})) reports.push_back(r);
  }
  for (const FeedbackReport& r : reports) {
    ADD_FAILURE() << "reported " << r.freq_hz << " Hz at " << r.time_s << " s, " << r.above_db
                  << " dB above";
  }
}

}  // namespace
}  // namespace kdsp
