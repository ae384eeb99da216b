#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include <QImage>
#include <QPainter>

#include "measure/view/measure_plot.h"

namespace kdsp {
namespace {

// One frame of the measurement plot: 1/24-octave bars (240 bands) and eight traces of 480
// points with their legend, at the view's size and maximised.
void BM_MeasurePlotFrame(benchmark::State& state) {
  MeasurePlot plot;
  plot.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto bands = OctaveBands(24, 19.6, 20400);
  std::vector<double> levels;
  for (std::size_t b = 0; b < bands.size(); ++b) levels.push_back(-40.0 + 10 * std::sin(b * 0.1));
  plot.SetBands(bands, levels);
  std::vector<MeasurePlot::ShownTrace> traces;
  for (int t = 0; t < 8; ++t) {
    Trace trace{"Trace " + std::to_string(t + 1), {}};
    for (int i = 0; i < 480; ++i) {
      trace.points.push_back(
          {20.0 * std::pow(2.0, i / 48.0), -30.0 + t + 5 * std::sin(i * 0.05), {}});
    }
    traces.push_back({trace, QColor::fromHsv(t * 45, 200, 200)});
  }
  plot.SetTraces(traces);
  QImage image(plot.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    plot.render(&image);
    benchmark::DoNotOptimize(image.bits());
  }
}
BENCHMARK(BM_MeasurePlotFrame)->Args({740, 420})->Args({1880, 900})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kdsp
