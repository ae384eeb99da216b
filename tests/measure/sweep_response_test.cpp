#include "measure/sweep_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace kdsp {
namespace {

constexpr double kRate = 48000.0;

// A peaking section from the audio equaliser cookbook, run over the samples in double.
struct Peaking {
  double freq_hz, gain_db, q;
  double b0, b1, b2, a1, a2;
  Peaking(double f, double g, double qq) : freq_hz(f), gain_db(g), q(qq) {
    const double a = std::pow(10.0, g / 40.0);
    const double w = 2.0 * std::numbers::pi * f / kRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha / a;
    b0 = (1.0 + alpha * a) / a0;
    b1 = -2.0 * std::cos(w) / a0;
    b2 = (1.0 - alpha * a) / a0;
    a1 = b1;
    a2 = (1.0 - alpha / a) / a0;
  }
  void Run(std::vector<double>& x) const {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double& v : x) {
      const double y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = v;
      y2 = y1;
      y1 = y;
      v = y;
    }
  }
  double GainDbAt(double f) const {
    const std::complex<double> z = std::polar(1.0, -2.0 * std::numbers::pi * f / kRate);
    return 20.0 * std::log10(std::abs((b0 + b1 * z + b2 * z * z) / (1.0 + a1 * z + a2 * z * z)));
  }
};

TEST(SweepResponse, RecoversThreePeaksWhateverTheDelay) {
  const Peaking peaks[] = {{120.0, 6.0, 2.0}, {1000.0, -8.0, 1.4}, {6300.0, 5.0, 3.0}};
  const struct {
    double seconds;
    std::size_t delay;
    double gain;  // the path's overall gain
  } cases[] = {{2.0, 12345, 0.5}, {1.0, 3, 1.0}, {5.0, 40000, 0.05}};
  for (const auto& c : cases) {
    SweepSettings settings;
    settings.seconds = c.seconds;
    settings.level_dbfs = -6.0;
    const std::vector<float> sweep = MakeSweep(settings);
    // The recording: the delay, the sweep through the filters, a second of decay.
    std::vector<double> path(c.delay + sweep.size() + 48000, 0.0);
    for (std::size_t i = 0; i < sweep.size(); ++i) path[c.delay + i] = sweep[i] * c.gain;
    for (const Peaking& p : peaks) p.Run(path);
    const std::vector<float> recording(path.begin(), path.end());

    const ImpulseResponse ir = DeconvolveSweep(sweep, recording, settings);
    EXPECT_NEAR(static_cast<double>(ir.peak), static_cast<double>(c.delay), 2.0) << c.seconds;
    ResponseWindow window;
    window.fraction = 48;
    const Trace response = ResponseFromImpulse(ir, window);
    int checked = 0;
    for (const TracePoint& p : response.points) {
      if (p.freq_hz < 50.0 || p.freq_hz > 16000.0) continue;
      double want = 20.0 * std::log10(c.gain);
      for (const Peaking& peak : peaks) want += peak.GainDbAt(p.freq_hz);
      EXPECT_NEAR(p.db, want, 0.5) << c.seconds << " s sweep, " << p.freq_hz << " Hz";
      ++checked;
    }
    EXPECT_EQ(checked, 399);  // 1/48 octave from 50 Hz to 16 kHz
  }
}

TEST(SweepResponse, PositionsArePowerAveraged) {
  const Trace a{"a", {{100, 0, {}}, {1000, -10, {}}}};
  const Trace b{"b", {{100, -10, {}}, {1000, -10, {}}}};
  const Trace both[] = {a, b};
  const Trace avg = PowerAverage(both);
  ASSERT_EQ(avg.points.size(), 2u);
  EXPECT_NEAR(avg.points[0].db, -2.596, 1e-3);  // 10 log10((1 + 0.1) / 2)
  EXPECT_NEAR(avg.points[1].db, -10.0, 1e-9);
}

}  // namespace
}  // namespace kdsp
