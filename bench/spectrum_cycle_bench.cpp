// One spectrum cycle on the window thread: the transform of the newest block and the drawing
// of the bars under the curve (grid copied back, bars, curve stroked again), at the design size
// of the graph and at the size it takes in a maximised window. The cycle's nine idle ticks are
// part of the whole-cycle figure. The tuning aids (averaging, peak hold) get a cycle of their
// own.

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include <benchmark/benchmark.h>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include "eq/equaliser_graph.h"
#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"
#include "model/equaliser_reset.h"
#include "spectrum/spectrum_display.h"

namespace kdsp {
namespace {

/// A recorder that always starts and delivers nothing by itself.
class IdleSource : public SampleSource {
 public:
  void SetOnRecord(RecordHook) override {}
  void SetTriggered(bool) override {}
  bool CaptureStart() override { return true; }
  bool CaptureStop() override { return true; }
  QString CaptureError() const override { return {}; }
  void SetInputDevice(const QByteArray&) override {}
  void SetOnLost(std::function<void()>) override {}
};

/// Music and noise: a tone, two overtones and a little noise, as 8-bit samples.
std::vector<std::uint8_t> Programme() {
  std::vector<std::uint8_t> block(1024);
  unsigned seed = 2024;
  for (int n = 0; n < 1024; ++n) {
    seed = seed * 1103515245u + 12345u;
    const double t = n / 48000.0;
    const double v = 50 * std::sin(2 * std::numbers::pi * 220 * t) +
                     20 * std::sin(2 * std::numbers::pi * 660 * t) +
                     10 * std::sin(2 * std::numbers::pi * 3300 * t) +
                     static_cast<int>((seed >> 16) % 9) - 4;
    block[n] = static_cast<std::uint8_t>(std::lround(128 + v));
  }
  return block;
}

/// The graph of the music channel at w x h with the spectrum on and one block captured.
struct SpectrumBench {
  SpectrumBench(int w, int h) {
    ResetAllEqualisers(device, view);
    panel.resize(w + 55, h + 54);
    auto* area = new QWidget(&panel);
    area->setObjectName("AdvPanel2");
    area->setGeometry(48, 35, w, h);
    auto* image = new QWidget(area);
    image->setObjectName("Image1");
    image->setGeometry(0, 0, w, h);
    graph = std::make_unique<EqualiserGraph>(ctx, pipeline, panel);
    panel.show();
    graph->DrawEqCurve(100, 0);
    display = std::make_unique<SpectrumDisplay>(
        ctx, *graph, panel, QString(), std::make_unique<IdleSource>(),
        std::make_unique<QSettings>(settings_dir.filePath("spectrum.ini"), QSettings::IniFormat));
    display->PinPPBtnClick();
    display->CaptureHook(Programme());
  }
  ~SpectrumBench() {
    display.reset();
    graph.reset();
  }
  QTemporaryDir settings_dir;
  ValueTable device;
  ValueTable view;
  BindingContext ctx{device, view};
  EditPipeline pipeline{ctx};
  QWidget panel;
  std::unique_ptr<EqualiserGraph> graph;
  std::unique_ptr<SpectrumDisplay> display;
};

// The eleven ticks of one cycle: one transform, one drawing, nine ticks that only count.
void SpectrumCycle(benchmark::State& state) {
  SpectrumBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    for (int i = 0; i < 11; ++i) b.display->TimerStep();
  }
}

// The same cycle with the tuning aids on: averaging (2 s) and peak hold.
void SpectrumCycleAveragedWithPeaks(benchmark::State& state) {
  SpectrumBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  b.display->SetAveraging(2.0);
  b.display->SetPeakHold(true);
  for (auto _ : state) {
    for (int i = 0; i < 11; ++i) b.display->TimerStep();
  }
}

// The drawing alone (erase form), for the share of the transform.
void SpectrumDrawing(benchmark::State& state) {
  SpectrumBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (int i = 0; i < 11; ++i) b.display->TimerStep();
  for (auto _ : state) b.display->DrawSpectrumBars(true);
}

// The bars alone onto the canvas (no grid copy, no curve).
void SpectrumBarsOnly(benchmark::State& state) {
  SpectrumBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (int i = 0; i < 11; ++i) b.display->TimerStep();
  for (auto _ : state) b.display->DrawSpectrumBars(false);
}

// A band redraw with the bars under the curve (overlay form), as during an edit.
void BandRedrawWithBars(benchmark::State& state) {
  SpectrumBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (int i = 0; i < 11; ++i) b.display->TimerStep();
  for (auto _ : state) b.graph->DrawEqCurve(3, 0);
}

// 883 x 268 at design size; 1596 x 737 is the graph of a window maximised on 1920 x 1080.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({883, 268})->Args({1596, 737})->Unit(benchmark::kMicrosecond);
}
BENCHMARK(SpectrumCycle)->Apply(Sizes);
BENCHMARK(SpectrumCycleAveragedWithPeaks)->Apply(Sizes);
BENCHMARK(SpectrumDrawing)->Apply(Sizes);
BENCHMARK(SpectrumBarsOnly)->Apply(Sizes);
BENCHMARK(BandRedrawWithBars)->Apply(Sizes);

}  // namespace
}  // namespace kdsp
