#include "tuning/window/tuning_tools.h"

#include <QAction>
#include <QPointer>

#include "measure/view/measure_capture.h"
#include "measure/view/measure_view.h"
#include "model/bi_text.h"
#include "tuning/window/band_writer.h"
#include "tuning/window/fit_eq_panel.h"
#include "tuning/window/ring_out_panel.h"

namespace kdsp {

namespace {

constexpr BiText kFitEq = {"拟合均衡…", "Fit EQ…"};
constexpr BiText kRingOut = {"啸叫抑制（麦克1/2）…", "Ring out (MIC 1/2)…"};

QString Text(const BiText& t, int lang) {
  const std::string_view s = t.In(lang);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

void AttachTuningTools(MeasureView& view, BandWriter& writer) {
  const int lang = writer.UiLanguage();
  auto* fit = new QAction(Text(kFitEq, lang), &view);
  fit->setObjectName("FitEqAction");
  auto* ring = new QAction(Text(kRingOut, lang), &view);
  ring->setObjectName("RingOutAction");
  view.AddTool(fit);
  view.AddTool(ring);
  QObject::connect(fit, &QAction::triggered, &view, [&view, &writer] {
    // A fresh panel each time: it fits the channel the window shows now.
    delete view.findChild<FitEqPanel*>("FitEqPanel");
    auto* panel = new FitEqPanel(view, writer, &view);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->show();
  });
  QObject::connect(ring, &QAction::triggered, &view, [&view, &writer] {
    auto* panel = view.findChild<RingOutPanel*>("RingOutPanel");
    if (panel == nullptr) {
      panel = new RingOutPanel(writer, std::make_unique<MeasureCapture>(), &view);
    }
    panel->show();
    panel->raise();
  });
}

}  // namespace kdsp
