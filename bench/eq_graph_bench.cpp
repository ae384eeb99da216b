// Equaliser graph redraws: one band (load and compute one row, erase, spline, label) and the
// whole channel, at the design size and at the size the graph takes in a maximised window.

#include <memory>

#include <benchmark/benchmark.h>
#include <QWidget>

#include "eq/equaliser_graph.h"
#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"
#include "model/equaliser_reset.h"
#include "model/page_layout.h"

namespace kdsp {
namespace {

/// A music channel with boosts, cuts, a shelf and both filters on, drawn at w x h.
struct GraphBench {
  GraphBench(int w, int h) {
    ResetAllEqualisers(device, view);
    const int first = EqFirstSlot(0);
    const int gains[10] = {126, 110, 150, 95, 120, 135, 100, 140, 120, 105};
    for (int b = 0; b < 10; ++b) view.Set(0, first + 5 * b + kFieldGain, gains[b]);
    view.Set(0, first + 5 * 8 + kFieldType, 3);  // a high shelf
    view.Set(0, 7, 2);                           // high-pass on
    view.Set(0, 8, 40);
    view.Set(0, 9, 1);  // low-pass on
    view.Set(0, 10, 330);
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
  }
  ValueTable device;
  ValueTable view;
  BindingContext ctx{device, view};
  EditPipeline pipeline{ctx};
  QWidget panel;
  std::unique_ptr<EqualiserGraph> graph;
};

void SingleBandRedraw(benchmark::State& state) {
  GraphBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const int gain_slot = EqFirstSlot(0) + 5 * 3 + kFieldGain;
  int i = 0;
  for (auto _ : state) {
    b.view.Set(0, gain_slot, 90 + (i++ % 60));  // a drag changes the band every time
    b.graph->DrawEqCurve(3, 0);
  }
}

void FullRedraw(benchmark::State& state) {
  GraphBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) b.graph->DrawEqCurve(100, 0);
}

// The single-band redraw followed by the repaint of the surface on the (offscreen) screen.
void SingleBandRedrawShown(benchmark::State& state) {
  GraphBench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const int gain_slot = EqFirstSlot(0) + 5 * 3 + kFieldGain;
  int i = 0;
  for (auto _ : state) {
    b.view.Set(0, gain_slot, 90 + (i++ % 60));
    b.graph->DrawEqCurve(3, 0);
    b.graph->Surface()->repaint();
  }
}

// 883 x 268 at design size; 1596 x 737 is the graph of a window maximised on 1920 x 1080;
// 1920 x 1080 a graph of the whole screen, as an upper bound.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({883, 268})->Args({1596, 737})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
}
BENCHMARK(SingleBandRedraw)->Apply(Sizes);
BENCHMARK(FullRedraw)->Apply(Sizes);
BENCHMARK(SingleBandRedrawShown)->Apply(Sizes);

}  // namespace
}  // namespace kdsp
