#include "spectrum/spectrum_display.h"

#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include "eq/equaliser_graph.h"
#include "edit/bound_widgets.h"
#include "spectrum/audio_capture.h"
#include "spectrum/bar_painter.h"
#include "spectrum/maths/spectrum_bars.h"

namespace kdsp {

SpectrumDisplay::SpectrumDisplay(BindingContext& ctx, EqualiserGraph& graph, QWidget& buttons_root,
                                 QString notice_caption, std::unique_ptr<SampleSource> source,
                                 QObject* parent)
    : QObject(parent),
      ctx_(ctx),
      graph_(graph),
      notice_parent_(buttons_root.window()),
      notice_caption_(std::move(notice_caption)),
      source_(std::move(source)) {
  pp_button_ = buttons_root.findChild<PictureButton*>("PinPPBtn");
  dcf_button_ = buttons_root.findChild<PictureButton*>("PinDCFBtn");
  if (pp_button_ != nullptr) {
    connect(pp_button_, &QPushButton::clicked, this, &SpectrumDisplay::PinPPBtnClick);
  }
  if (dcf_button_ != nullptr) {
    connect(dcf_button_, &QPushButton::clicked, this, &SpectrumDisplay::PinDCFBtnClick);
  }
  graph_.SetUnderlay([this](QImage& canvas) {
    if (spectrum_on_.load()) PaintBars(canvas);
  });

  if (source_ == nullptr) source_ = std::make_unique<AudioCapture>();
  source_->SetOnRecord([this](std::span<const std::uint8_t> block) { CaptureHook(block); });
  source_->SetTriggered(false);
  audio_available_ = source_->CaptureStart();
}

SpectrumDisplay::~SpectrumDisplay() {
  source_->CaptureStop();
  source_->SetOnRecord({});
  graph_.SetUnderlay({});
}

QString SpectrumDisplay::NoDeviceText(int ui_language) {
  return ui_language == 1 ? QString::fromUtf8("没检测到音频设备")
                          : QStringLiteral("Audio device is not detected");
}

bool SpectrumDisplay::DragActiveForCapture() const {
  // On the window's own thread the graph can be asked; elsewhere the last tick's answer is
  // the best there is.
  if (QThread::currentThread() == thread()) return graph_.DragActive();
  return drag_seen_.load();
}

void SpectrumDisplay::CaptureHook(std::span<const std::uint8_t> block) {
  if (!spectrum_on_.load() || frozen_.load() || block.empty() || DragActiveForCapture()) return;
  exchange_.Publish(block);
  blocks_taken_.fetch_add(1);
}

void SpectrumDisplay::TimerStep() {
  const bool drag = graph_.DragActive();
  drag_seen_.store(drag);
  switch (cycle_.Tick(spectrum_on_.load(), drag)) {
    case SpectrumAction::kTransform: {
      const SampleBlock& block = exchange_.Latest();
      transform_.Run(std::span<const std::uint8_t>(block.bytes.data(),
                                                   static_cast<std::size_t>(block.length)));
      break;
    }
    case SpectrumAction::kDraw:
      DrawSpectrumBars(true);
      break;
    case SpectrumAction::kNone:
      break;
  }
}

void SpectrumDisplay::PaintBars(QImage& canvas) {
  const GraphGeometry& g = graph_.Geometry();
  if (g.width < 1 || g.height < 1) return;
  const std::size_t columns = static_cast<std::size_t>(g.width) + 1;
  if (tops_.size() < columns) tops_.resize(columns);
  const std::span<int> tops(tops_.data(), columns);
  ComputeBarTops(transform_, g.width, g.height, low_floor_, tops);
  PaintSpectrumBars(canvas, tops, g.height);
}

void SpectrumDisplay::DrawSpectrumBars(bool erase) {
  if (erase) graph_.DrawGraphFrame(2);
  PaintBars(graph_.Canvas());
  if (erase) {
    graph_.RepaintCurve();
  } else {
    graph_.Surface()->update();
  }
}

bool SpectrumDisplay::ToggleSwitch(PictureButton* button, bool& fallback) {
  if (button == nullptr) {
    fallback = !fallback;
    return fallback;
  }
  const bool state = button->Hint() != "1";
  button->SetHint(state ? QStringLiteral("1") : QStringLiteral("0"));
  button->SetLook(state ? PictureButton::Look::kPressed : PictureButton::Look::kReleased);
  return state;
}

void SpectrumDisplay::PinPPBtnClick() {
  const bool state = ToggleSwitch(pp_button_, pp_state_);
  if (!audio_available_) {
    const QString text = NoDeviceText(ctx_.ui_language);
    if (notifier_) {
      notifier_(text);
    } else {
      QMessageBox::information(notice_parent_, notice_caption_, text);
    }
    spectrum_on_.store(false);
    graph_.DrawEqCurve(kAllRows, ctx_.channel.view_page);
  } else if (state) {
    spectrum_on_.store(true);
    frozen_.store(false);
  } else {
    spectrum_on_.store(false);
    graph_.DrawEqCurve(kAllRows, ctx_.channel.view_page);
  }
}

void SpectrumDisplay::PinDCFBtnClick() { low_floor_ = ToggleSwitch(dcf_button_, dcf_state_); }

}  // namespace kdsp
