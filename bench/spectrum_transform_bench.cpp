#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "spectrum/maths/spectrum_bars.h"
#include "spectrum/maths/spectrum_transform.h"

namespace kdsp {
namespace {

std::vector<std::uint8_t> NoisyTone() {
  std::vector<std::uint8_t> block(kSamplesPerTransform);
  unsigned seed = 12345;
  for (int i = 0; i < kSamplesPerTransform; ++i) {
    seed = seed * 1103515245u + 12345u;
    const double noise = static_cast<int>((seed >> 16) % 21) - 10;
    block[i] = static_cast<std::uint8_t>(std::lround(128 + 90 * std::sin(i * 0.13) + noise));
  }
  return block;
}

void BM_SpectrumTransformStep(benchmark::State& state) {
  SpectrumTransform transform;
  const auto block = NoisyTone();
  for (auto _ : state) {
    transform.Run(block);
    benchmark::DoNotOptimize(transform.FftOutput().data());
  }
}
BENCHMARK(BM_SpectrumTransformStep)->Unit(benchmark::kMicrosecond);

void BM_SpectrumBarTops(benchmark::State& state) {
  SpectrumTransform transform;
  transform.Run(NoisyTone());
  std::vector<int> tops(884);
  for (auto _ : state) {
    ComputeBarTops(transform, 883, 268, false, tops);
    benchmark::DoNotOptimize(tops.data());
  }
}
BENCHMARK(BM_SpectrumBarTops)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kdsp
