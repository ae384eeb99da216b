// The measurement view's runs with a test signal: pink noise averaged for a while, or a sweep
// played and recorded, then deconvolved.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "measure/view/measure_texts.h"
#include "measure/view/measure_view.h"
#include "measure/view/signal_player.h"
#include "spectrum/noise_player.h"

namespace kdsp {

using namespace measure_texts;

void MeasureView::RunOrCancel() {
  if (running_) {
    CancelRun();
  } else if (mode_ == Mode::kPinkNoise) {
    StartPinkRun();
  } else if (mode_ == Mode::kSweep) {
    StartSweepRun();
  }
}

void MeasureView::StartPinkRun() {
  if (!source_->Running() && !StartSource()) return;
  if (!noise_->Start(output_box_->currentData().toByteArray(), level_box_->value())) {
    Notify(Text(kNoOutput, lang_));
    return;
  }
  running_ = true;
  analyser_.SetAveraging({Averaging::Kind::kInfinite, 0});
  analyser_.ResetAverage();
  // The first transforms still hold sound from before the noise reached the microphone.
  run_timer_.start(duration_box_->value() * 1000);
  QTimer::singleShot(800, this, [this] {
    if (running_) analyser_.ResetAverage();
  });
  run_button_->setText(Text(kCancel, lang_));
}

void MeasureView::StartSweepRun() {
  if (!source_->Running() && !StartSource()) return;
  sweep_settings_ = {};
  sweep_settings_.seconds = duration_box_->value();
  sweep_settings_.level_dbfs = level_box_->value();
  sweep_ = MakeSweep(sweep_settings_);
  recording_.clear();
  recording_.reserve(sweep_.size() + 3 * 48000);
  running_ = true;
  if (!sweep_player_->Play(output_box_->currentData().toByteArray(), sweep_)) {
    running_ = false;
    Notify(Text(kNoOutput, lang_));
    return;
  }
  run_button_->setText(Text(kCancel, lang_));
}

void MeasureView::FinishRun() {
  if (!running_) return;
  if (mode_ == Mode::kSweep) {
    sweep_player_->Stop();
    ResponseWindow window;
    window.fraction = analyser_.Fraction();
    const ImpulseResponse ir = DeconvolveSweep(sweep_, recording_, sweep_settings_);
    response_ = ResponseFromImpulse(ir, window);
    for (TracePoint& p : response_.points) p.db -= CorrectionAt(p.freq_hz);
    recording_.clear();
  } else {
    noise_->Stop();
  }
  single_response_ = response_;
  if (!positions_.empty() && mode_ == Mode::kPinkNoise) {
    std::vector<Trace> all = positions_;
    all.push_back(single_response_);
    response_ = PowerAverage(all);
  }
  running_ = false;
  run_button_->setText(Text(kMeasure, lang_));
  UpdateCountLabel();
  UpdatePlot();
}

void MeasureView::CancelRun() {
  run_timer_.stop();
  if (noise_ != nullptr) noise_->Stop();
  if (sweep_player_ != nullptr) sweep_player_->Stop();
  recording_.clear();
  if (!running_) return;
  running_ = false;
  if (run_button_ != nullptr) run_button_->setText(Text(kMeasure, lang_));
}

void MeasureView::AddPosition() {
  if (running_ || single_response_.points.empty()) return;
  positions_.push_back(single_response_);
  single_response_ = {};
  positions_label_->setText(Text(kPositions, lang_).arg(positions_.size()));
}

}  // namespace kdsp
