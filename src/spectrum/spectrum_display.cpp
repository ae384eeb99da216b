#include "spectrum/spectrum_display.h"

#include <algorithm>
#include <cstdio>

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSettings>
#include <QThread>
#include <QWidget>

#include "edit/bound_widgets.h"
#include "eq/equaliser_graph.h"
#include "model/bi_text.h"
#include "spectrum/bar_painter.h"
#include "spectrum/capture_control.h"
#include "spectrum/maths/spectrum_bars.h"
#include "spectrum/noise_player.h"
#include "spectrum/spectrum_menu.h"
#include "spectrum/spectrum_readout.h"
#include "spectrum/test_signal.h"

namespace kdsp {

namespace {

constexpr BiText kPeakWord = {"峰值", "peak"};

std::unique_ptr<QSettings> UserSettings() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral("kdsp"), QStringLiteral("kdsp-console"));
}

QString LevelText(double level_db, double floor_db) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%.1f dB", level_db <= floor_db ? "\u2264 " : "", level_db);
  return QString::fromUtf8(text);
}

QString FrequencyText(double freq_hz) {
  char text[32];
  if (freq_hz < 1000.0) {
    std::snprintf(text, sizeof text, "%.0f Hz", freq_hz);
  } else {
    std::snprintf(text, sizeof text, "%.2f kHz", freq_hz / 1000.0);
  }
  return QString::fromLatin1(text);
}

}  // namespace

SpectrumDisplay::SpectrumDisplay(BindingContext& ctx, EqualiserGraph& graph, QWidget& buttons_root,
                                 QString notice_caption, std::unique_ptr<SampleSource> source,
                                 std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent),
      ctx_(ctx),
      graph_(graph),
      notice_parent_(buttons_root.window()),
      notice_caption_(std::move(notice_caption)),
      settings_(settings != nullptr ? std::move(settings) : UserSettings()) {
  options_ = SpectrumOptions::Load(*settings_);
  averager_.SetTimeConstant(options_.averaging_s);
  signal_ = std::make_unique<TestSignal>(notice_parent_);
  signal_->SetLevelDbfs(options_.noise_level_dbfs);

  pp_button_ = buttons_root.findChild<PictureButton*>("PinPPBtn");
  dcf_button_ = buttons_root.findChild<PictureButton*>("PinDCFBtn");
  if (pp_button_ != nullptr) {
    connect(pp_button_, &QPushButton::clicked, this, &SpectrumDisplay::PinPPBtnClick);
    pp_button_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pp_button_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowMenu(pp_button_->mapToGlobal(at)); });
  }
  if (dcf_button_ != nullptr) {
    connect(dcf_button_, &QPushButton::clicked, this, &SpectrumDisplay::PinDCFBtnClick);
  }
  capture_ = std::make_unique<CaptureControl>(
      std::move(source), buttons_root.findChild<QComboBox*>("SpectrumInputBox"),
      [this] { return ctx_.ui_language; });
  capture_->Selector().SetChosen(options_.input_id);
  connect(&capture_->Selector(), &InputSelector::Chosen, this, &SpectrumDisplay::SetInput,
          Qt::QueuedConnection);  // after the list has closed

  graph_.SetUnderlay([this](QImage& canvas) {
    if (spectrum_on_.load()) PaintBars(canvas);
  });
  readout_ = std::make_unique<SpectrumReadout>(graph_.Surface(),
                                               [this](QPoint at) { return ReadoutText(at); });

  capture_->Source().SetOnRecord(
      [this](std::span<const std::uint8_t> block) { CaptureHook(block); });
  // The recording stopped for good (device gone): a running spectrum goes off with the notice.
  capture_->SetOnLost([this] {
    if (spectrum_on_.load()) SwitchOffWithNotice();
  });
  capture_->Start(options_.input_id);
}

SpectrumDisplay::~SpectrumDisplay() {
  delete menu_.data();
  signal_.reset();
  capture_.reset();
  graph_.SetUnderlay({});
}

bool SpectrumDisplay::AudioAvailable() const { return capture_->Available(); }

SampleSource& SpectrumDisplay::Source() { return capture_->Source(); }

NoisePlayer& SpectrumDisplay::Noise() { return signal_->Noise(); }

QLabel* SpectrumDisplay::Readout() const { return readout_->Label(); }

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
      if (!frozen_.load()) AdvanceLevels();
      break;
    }
    case SpectrumAction::kDraw:
      DrawSpectrumBars(true);
      break;
    case SpectrumAction::kNone:
      break;
  }
}

void SpectrumDisplay::RefreshBarBins(int width) {
  if (width == bins_width_) return;
  bins_width_ = width;
  const std::size_t bars = static_cast<std::size_t>(std::max(0, BarsOnGraph(width)));
  if (bar_bins_.size() < bars) bar_bins_.resize(bars);
  bar_count_ = bars;
  ComputeBarBins(width, std::span<int>(bar_bins_.data(), bars));
  shown_bins_ = 0;
  for (std::size_t a = 0; a < bars; ++a) shown_bins_ = std::max(shown_bins_, bar_bins_[a] + 1);
}

void SpectrumDisplay::AdvanceLevels() {
  if (!averager_.Averaging() && !options_.peak_hold) return;
  // Only the bins some bar shows are followed.
  RefreshBarBins(graph_.Geometry().width);
  averager_.Update(transform_.FftOutput(), kCycleSeconds, shown_bins_);
  if (options_.peak_hold) peaks_.Update(averager_.Powers(), kCycleSeconds, shown_bins_);
}

float SpectrumDisplay::ShownMagnitude(int bin) const {
  return averager_.Averaging() ? averager_.Magnitude(bin) : transform_.Magnitude(bin);
}

void SpectrumDisplay::PaintBars(QImage& canvas) {
  const GraphGeometry& g = graph_.Geometry();
  if (g.width < 1 || g.height < 1) return;
  const std::size_t columns = static_cast<std::size_t>(g.width) + 1;
  if (tops_.size() < columns) tops_.resize(columns);
  const std::span<int> tops(tops_.data(), columns);
  if (averager_.Averaging()) {
    ComputeBarTopsOf([this](int bin) { return averager_.Magnitude(bin); }, g.width, g.height,
                     low_floor_, tops);
  } else {
    ComputeBarTops(transform_, g.width, g.height, low_floor_, tops);
  }
  PaintSpectrumBars(canvas, tops, g.height);
  if (options_.peak_hold) PaintPeaks(canvas, g.width, g.height);
}

void SpectrumDisplay::PaintPeaks(QImage& canvas, int width, int height) {
  RefreshBarBins(width);
  const std::size_t bars = bar_count_;
  if (peak_rows_.size() < bars) peak_rows_.resize(bars);
  const std::span<int> rows(peak_rows_.data(), bars);
  ComputeBarRowsOf([this](int bin) { return peaks_.Magnitude(bin); },
                   std::span<const int>(bar_bins_.data(), bars), height, low_floor_, rows);
  // A peak on the floor (row H - 2, times the bar's factor) is no peak: it would only
  // underline the bar.
  for (std::size_t a = 0; a < bars; ++a) {
    const double floor_row = (height - 2) * BarFactor(static_cast<int>(a));
    if (rows[a] >= static_cast<int>(RoundHalfEven(floor_row))) rows[a] = height;
  }
  PaintPeakLines(canvas, rows, BarPitch(width), height);
}

void SpectrumDisplay::DrawSpectrumBars(bool erase) {
  if (erase) graph_.DrawGraphFrame(2);
  PaintBars(graph_.Canvas());
  if (erase) {
    graph_.RepaintCurve();
  } else {
    graph_.Surface()->update();
  }
  readout_->Refresh();
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

void SpectrumDisplay::Notify(const QString& text) {
  if (notifier_) {
    notifier_(text);
  } else {
    QMessageBox::information(notice_parent_, notice_caption_, text);
  }
}

void SpectrumDisplay::PinPPBtnClick() {
  const bool state = ToggleSwitch(pp_button_, pp_state_);
  if (!capture_->Available()) {
    Notify(NoDeviceText(ctx_.ui_language));
    spectrum_on_.store(false);
    graph_.DrawEqCurve(kAllRows, ctx_.channel.view_page);
  } else if (state) {
    // A fresh start: averages rise from silence and old peaks are gone.
    averager_.Reset();
    peaks_.Reset();
    spectrum_on_.store(true);
    readout_->SetActive(true);
    frozen_.store(false);
  } else {
    spectrum_on_.store(false);
    readout_->SetActive(false);
    graph_.DrawEqCurve(kAllRows, ctx_.channel.view_page);
  }
}

void SpectrumDisplay::PinDCFBtnClick() { low_floor_ = ToggleSwitch(dcf_button_, dcf_state_); }

void SpectrumDisplay::SwitchOffWithNotice() {
  if (spectrum_on_.load()) {
    spectrum_on_.store(false);
    if (pp_button_ != nullptr) {
      pp_button_->SetHint(QStringLiteral("0"));
      pp_button_->SetLook(PictureButton::Look::kReleased);
    } else {
      pp_state_ = false;
    }
    readout_->SetActive(false);
    graph_.DrawEqCurve(kAllRows, ctx_.channel.view_page);
  }
  Notify(NoDeviceText(ctx_.ui_language));
}

void SpectrumDisplay::SetInput(const QByteArray& id) {
  options_.input_id = id;
  SaveOptions();
  if (!capture_->Switch(id) && spectrum_on_.load()) SwitchOffWithNotice();
}

void SpectrumDisplay::SetAveraging(double tau_s) {
  if (tau_s > 0.0 && !averager_.Averaging()) averager_.Reset();
  averager_.SetTimeConstant(tau_s);
  options_.averaging_s = averager_.TimeConstant();
  SaveOptions();
}

void SpectrumDisplay::SetPeakHold(bool on) {
  if (on && !options_.peak_hold) peaks_.Reset();
  options_.peak_hold = on;
  SaveOptions();
  if (spectrum_on_.load()) DrawSpectrumBars(true);
}

bool SpectrumDisplay::NoisePlaying() const { return signal_->Playing(); }

void SpectrumDisplay::SetNoiseOn(bool on) {
  if (!on) {
    signal_->Stop();
  } else if (!signal_->Start(options_.noise_output_id, options_.noise_level_dbfs)) {
    Notify(NoDeviceText(ctx_.ui_language));
  }
}

void SpectrumDisplay::SetNoiseOutput(const QByteArray& id) {
  options_.noise_output_id = id;
  SaveOptions();
  if (signal_->Playing()) SetNoiseOn(true);
}

void SpectrumDisplay::SetNoiseLevel(int level_dbfs) {
  options_.noise_level_dbfs = level_dbfs;
  signal_->SetLevelDbfs(level_dbfs);
  SaveOptions();
}

void SpectrumDisplay::SaveOptions() { options_.Save(*settings_); }

void SpectrumDisplay::ShowMenu(QPoint global_pos) {
  delete menu_.data();
  menu_ = BuildSpectrumMenu(*this, ctx_.ui_language, pp_button_);
  menu_->popup(global_pos);
}

void SpectrumDisplay::RefreshTexts() { capture_->Selector().Refill(); }

QString SpectrumDisplay::ReadoutText(QPoint at) const {
  const GraphGeometry& g = graph_.Geometry();
  if (!spectrum_on_.load() || g.width < 1 || at.x() < 0 || at.x() > g.width) return {};
  const int pitch = BarPitch(g.width);
  const int bar = at.x() / pitch;
  const int bin = BarBin(bar * pitch, g.width);
  const double floor_db = low_floor_ ? kLowFloorDb : kNormalFloorDb;
  QString text = FrequencyText(g.XToFreq(at.x())) + QStringLiteral("   ") +
                 LevelText(SpectrumLevelDb(ShownMagnitude(bin), low_floor_), floor_db);
  if (options_.peak_hold) {
    const std::string_view word = kPeakWord.In(ctx_.ui_language);
    text += QStringLiteral("   ") + QString::fromUtf8(word.data(), word.size()) + ' ' +
            LevelText(SpectrumLevelDb(peaks_.Magnitude(bin), low_floor_), floor_db);
  }
  return text;
}

}  // namespace kdsp
