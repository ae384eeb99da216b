#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "measure/band_analyser.h"
#include "measure/sweep_response.h"

namespace kdsp {
namespace {

// One step of the measurement view's analyser: 100 ms of new samples, the transform, the band
// sums and the average, at the resolution given (1/N octave).
void BM_MeasureAnalysisStep(benchmark::State& state) {
  BandAnalyser analyser;
  analyser.SetFraction(static_cast<int>(state.range(0)));
  analyser.SetAveraging({Averaging::Kind::kExponential, 2.0});
  std::vector<float> block(4800);
  unsigned seed = 12345;
  for (float& s : block) {
    seed = seed * 1103515245u + 12345u;
    s = static_cast<float>((seed >> 9) & 0xFFFF) / 65536.0f - 0.5f;
  }
  for (auto _ : state) {
    analyser.Push(block);
    analyser.Step(0.1);
    benchmark::DoNotOptimize(analyser.LevelsDbfs().data());
  }
}
BENCHMARK(BM_MeasureAnalysisStep)->Arg(3)->Arg(24)->Unit(benchmark::kMillisecond);

// A 10 s sweep's recording (the sweep and 2 s more) deconvolved into an impulse response and
// turned into a 1/24-octave response.
void BM_SweepDeconvolution10s(benchmark::State& state) {
  SweepSettings settings;
  settings.seconds = 10.0;
  const std::vector<float> sweep = MakeSweep(settings);
  std::vector<float> recording(sweep.size() + 2 * 48000, 0.0f);
  for (std::size_t i = 0; i < sweep.size(); ++i) recording[i + 12000] = 0.5f * sweep[i];
  for (auto _ : state) {
    const ImpulseResponse ir = DeconvolveSweep(sweep, recording, settings);
    const Trace response = ResponseFromImpulse(ir, ResponseWindow{});
    benchmark::DoNotOptimize(response.points.data());
  }
}
BENCHMARK(BM_SweepDeconvolution10s)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kdsp
