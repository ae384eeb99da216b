// The tuning assistants' maths: a ten-band fit (budget: under 1 s) with its residual on
// synthetic rooms as counters, and the feedback detector's speed against real time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "spectrum/maths/pink_noise.h"
#include "support/peaking_biquad.h"
#include "tuning/eq_fit.h"
#include "tuning/feedback_detector.h"

namespace kdsp {
namespace {

double PeakDb(double f0, double gain_db, double q, double f) {
  return testing::PeakingBiquadDb(f0, gain_db, q, f);
}

// A random room within the budget's terms: up to six resonances of +3 to +12 dB at Q 2 to 10
// between 40 and 500 Hz, up to three broad deviations of at most 4 dB above 500 Hz.
FitRequest RandomRoom(unsigned seed) {
  std::mt19937 rng(seed);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  struct P {
    double f, g, q;
  };
  std::vector<P> peaks;
  const int resonances = 1 + static_cast<int>(rng() % 6), broad = static_cast<int>(rng() % 4);
  for (int i = 0; i < resonances; ++i) {
    peaks.push_back(
        {std::exp(uniform(std::log(40.0), std::log(500.0))), uniform(3, 12), uniform(2, 10)});
  }
  for (int i = 0; i < broad; ++i) {
    peaks.push_back(
        {std::exp(uniform(std::log(700.0), std::log(12000.0))), uniform(-4, 4), uniform(0.5, 1.0)});
  }
  FitRequest rq;
  rq.first_point = FirstGridPointFrom(40);
  rq.last_point = LastGridPointUpTo(16000);
  rq.current.assign(10, BandSetting{});
  rq.target_db.assign(kGridSteps + 1, 0.0);
  for (int k = 0; k <= kGridSteps; ++k) {
    double db = 0;
    for (const P& p : peaks) db += PeakDb(p.f, p.g, p.q, GridFrequency(k));
    rq.measured_db.push_back(db);
  }
  return rq;
}

void BM_FitTenBands(benchmark::State& state) {
  const FitRequest rq = RandomRoom(static_cast<unsigned>(state.range(0)));
  FitResult fit;
  for (auto _ : state) {
    fit = FitEqualiser(rq);
    benchmark::DoNotOptimize(fit.bands.data());
  }
  state.counters["rms_db"] = fit.rms_db;
  state.counters["largest_db"] = fit.max_dev_db;
}
BENCHMARK(BM_FitTenBands)->DenseRange(1, 8)->Unit(benchmark::kMillisecond)->Iterations(2);

// Ten seconds of pink noise through the detector: seconds of audio per second of work.
void BM_DetectorTenSeconds(benchmark::State& state) {
  PinkNoise pink(11);
  pink.SetLevelDbfs(-30);
  std::vector<float> x(10 * 48000);
  pink.Fill(x);
  for (auto _ : state) {
    FeedbackDetector detector;
    for (std::size_t i = 0; i < x.size(); i += 480) {
      benchmark::DoNotOptimize(detector.Feed({x.data() + i, 480}));
    }
  }
  state.counters["audio_s_per_s"] =
      benchmark::Counter(10.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DetectorTenSeconds)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kdsp
