#include "measure/view/measure_view.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "measure/view/measure_capture.h"
#include "measure/view/measure_texts.h"
#include "measure/view/signal_player.h"
#include "spectrum/device_choices.h"
#include "spectrum/noise_player.h"

namespace kdsp {

using namespace measure_texts;

namespace {

// Distinct colours of the kept traces, one per trace slot.
const QColor kTraceColours[MeasureView::kMaxTraces] = {
    QColor(220, 40, 40), QColor(30, 150, 60),  QColor(150, 60, 200), QColor(240, 140, 0),
    QColor(0, 160, 190), QColor(200, 60, 150), QColor(120, 100, 40), QColor(90, 90, 90)};

// Files of traces and calibrations are small; anything far larger is not one.
constexpr qint64 kMaxTextBytes = 16 << 20;

bool ReadFileText(const QString& path, std::string& text) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxTextBytes) return false;
  const QByteArray bytes = f.readAll();
  text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

}  // namespace

MeasureView::MeasureView(int ui_language, std::unique_ptr<MeasureSource> source, QWidget* parent)
    : QWidget(parent, Qt::Window), lang_(ui_language), source_(std::move(source)) {
  setObjectName("MeasureView");
  if (source_ == nullptr) source_ = std::make_unique<MeasureCapture>();
  source_->SetOnSamples([this](std::span<const float> s) { OnSamples(s); });
  noise_ = std::make_unique<NoisePlayer>();
  sweep_player_ = std::make_unique<SignalPlayer>();
  connect(sweep_player_.get(), &SignalPlayer::Finished, this, [this] {
    // Record the room's decay and the output's latency after the sweep before finishing.
    if (running_ && mode_ == Mode::kSweep) run_timer_.start(1500);
  });
  BuildControls();
  RetranslateTexts();
  SetMode(Mode::kAnalyser);
  timer_.setInterval(kStepMs);
  connect(&timer_, &QTimer::timeout, this, &MeasureView::Step);
  run_timer_.setSingleShot(true);
  connect(&run_timer_, &QTimer::timeout, this, &MeasureView::FinishRun);
  resize(980, 560);
}

MeasureView::~MeasureView() {
  CancelRun();
  source_->Stop();
  source_->SetOnSamples({});
}

void MeasureView::BuildControls() {
  plot_ = new MeasurePlot(this);
  mode_box_ = new QComboBox(this);
  mode_box_->setObjectName("MeasureModeBox");
  resolution_box_ = new QComboBox(this);
  resolution_box_->setObjectName("MeasureResolutionBox");
  averaging_box_ = new QComboBox(this);
  averaging_box_->setObjectName("MeasureAveragingBox");
  reset_button_ = new QPushButton(this);
  reset_button_->setObjectName("MeasureResetButton");
  count_label_ = new QLabel(this);
  count_label_->setObjectName("MeasureCountLabel");
  calibration_button_ = new QPushButton(this);
  calibration_button_->setObjectName("MeasureCalibrationButton");
  calibration_label_ = new QLabel(this);
  calibration_label_->setObjectName("MeasureCalibrationLabel");
  input_box_ = new QComboBox(this);
  input_box_->setObjectName("MeasureInputBox");
  output_box_ = new QComboBox(this);
  output_box_->setObjectName("MeasureOutputBox");
  run_button_ = new QPushButton(this);
  run_button_->setObjectName("MeasureRunButton");
  duration_box_ = new QSpinBox(this);
  duration_box_->setObjectName("MeasureDurationBox");
  duration_box_->setRange(1, 60);
  duration_box_->setValue(10);
  duration_box_->setSuffix(QStringLiteral(" s"));
  level_box_ = new QSpinBox(this);
  level_box_->setObjectName("MeasureLevelBox");
  level_box_->setRange(-60, 0);
  level_box_->setValue(-20);
  level_box_->setSuffix(QStringLiteral(" dBFS"));
  position_button_ = new QPushButton(this);
  position_button_->setObjectName("MeasurePositionButton");
  positions_label_ = new QLabel(this);
  positions_label_->setObjectName("MeasurePositionsLabel");
  keep_button_ = new QPushButton(this);
  keep_button_->setObjectName("MeasureKeepButton");
  trace_list_ = new QListWidget(this);
  trace_list_->setObjectName("MeasureTraceList");
  trace_list_->setMaximumWidth(240);
  delete_button_ = new QPushButton(this);
  delete_button_->setObjectName("MeasureDeleteButton");
  save_button_ = new QPushButton(this);
  save_button_->setObjectName("MeasureSaveButton");
  load_button_ = new QPushButton(this);
  load_button_->setObjectName("MeasureLoadButton");
  relative_box_ = new QComboBox(this);
  relative_box_->setObjectName("MeasureRelativeBox");
  tools_button_ = new QToolButton(this);
  tools_button_->setObjectName("MeasureToolsButton");
  tools_menu_ = new QMenu(tools_button_);
  tools_menu_->setObjectName("MeasureToolsMenu");
  tools_button_->setMenu(tools_menu_);
  tools_button_->setPopupMode(QToolButton::InstantPopup);
  tools_button_->setEnabled(false);  // until a tool is added
  duration_label_ = new QLabel(this);
  level_label_ = new QLabel(this);
  resolution_label_ = new QLabel(this);
  averaging_label_ = new QLabel(this);
  input_label_ = new QLabel(this);
  output_label_ = new QLabel(this);

  auto* top = new QHBoxLayout;
  top->addWidget(mode_box_);
  top->addWidget(resolution_label_);
  top->addWidget(resolution_box_);
  top->addWidget(averaging_label_);
  top->addWidget(averaging_box_);
  top->addWidget(reset_button_);
  top->addWidget(count_label_, 1);
  top->addWidget(tools_button_);
  auto* signal = new QHBoxLayout;
  signal->addWidget(input_label_);
  signal->addWidget(input_box_, 1);
  signal->addWidget(output_label_);
  signal->addWidget(output_box_, 1);
  signal->addWidget(duration_label_);
  signal->addWidget(duration_box_);
  signal->addWidget(level_label_);
  signal->addWidget(level_box_);
  signal->addWidget(run_button_);
  signal->addWidget(position_button_);
  signal->addWidget(positions_label_);
  auto* side = new QVBoxLayout;
  side->addWidget(keep_button_);
  side->addWidget(trace_list_, 1);
  auto* trace_buttons = new QGridLayout;
  trace_buttons->addWidget(delete_button_, 0, 0);
  trace_buttons->addWidget(save_button_, 0, 1);
  trace_buttons->addWidget(load_button_, 1, 0, 1, 2);
  side->addLayout(trace_buttons);
  side->addWidget(relative_box_);
  side->addWidget(calibration_button_);
  side->addWidget(calibration_label_);
  calibration_label_->setWordWrap(true);
  auto* middle = new QHBoxLayout;
  middle->addWidget(plot_, 1);
  middle->addLayout(side);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addLayout(signal);
  all->addLayout(middle, 1);

  connect(mode_box_, &QComboBox::activated, this, [this](int i) { SetMode(static_cast<Mode>(i)); });
  connect(resolution_box_, &QComboBox::activated, this, [this](int i) {
    analyser_.SetFraction(kFractions[i]);
    UpdatePlot();
  });
  connect(averaging_box_, &QComboBox::activated, this, [this](int) { ApplyAveraging(); });
  connect(reset_button_, &QPushButton::clicked, this, [this] {
    analyser_.ResetAverage();
    UpdateCountLabel();
  });
  connect(calibration_button_, &QPushButton::clicked, this, &MeasureView::LoadCalibration);
  connect(input_box_, &QComboBox::activated, this, [this](int) {
    if (isVisible()) StartSource();
  });
  connect(run_button_, &QPushButton::clicked, this, &MeasureView::RunOrCancel);
  connect(position_button_, &QPushButton::clicked, this, &MeasureView::AddPosition);
  connect(keep_button_, &QPushButton::clicked, this, &MeasureView::KeepTrace);
  connect(delete_button_, &QPushButton::clicked, this, &MeasureView::DeleteTrace);
  connect(save_button_, &QPushButton::clicked, this, &MeasureView::SaveTrace);
  connect(load_button_, &QPushButton::clicked, this, &MeasureView::LoadTrace);
  connect(relative_box_, &QComboBox::activated, this, [this](int) { UpdatePlot(); });
  connect(trace_list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const int row = trace_list_->row(item);
    if (row < 0 || row >= static_cast<int>(traces_.size())) return;
    const bool shown = item->checkState() == Qt::Checked;
    if (traces_[row].shown == shown) return;
    traces_[row].shown = shown;
    UpdatePlot();
    emit TracesChanged();
  });
}

void MeasureView::SetLanguage(int ui_language) {
  lang_ = ui_language;
  RetranslateTexts();
}

void MeasureView::RetranslateTexts() {
  setWindowTitle(Text(kTitle, lang_));
  const auto refill = [](QComboBox* box, const QStringList& items) {
    const int at = std::max(0, box->currentIndex());
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(std::min(at, static_cast<int>(items.size()) - 1));
  };
  refill(mode_box_, {Text(kModeAnalyser, lang_), Text(kModePink, lang_), Text(kModeSweep, lang_)});
  QStringList fractions;
  for (int f : kFractions) fractions << Text(kOctave, lang_).arg(f);
  refill(resolution_box_, fractions);
  resolution_box_->setCurrentIndex(static_cast<int>(
      std::find(std::begin(kFractions), std::end(kFractions), analyser_.Fraction()) -
      std::begin(kFractions)));
  QStringList averaging;
  for (double a : kAveragingChoices) {
    averaging << (a == 0.0  ? Text(kOff, lang_)
                  : a < 0.0 ? Text(kInfinite, lang_)
                            : Text(kSeconds, lang_).arg(a));
  }
  refill(averaging_box_, averaging);
  const auto fill_devices = [](QComboBox* box, const QList<DeviceChoice>& choices) {
    const QByteArray chosen = box->currentData().toByteArray();
    box->clear();
    for (const DeviceChoice& c : choices) box->addItem(c.label, c.id);
    const int at = box->findData(chosen);
    box->setCurrentIndex(std::max(0, at));
  };
  fill_devices(input_box_, InputChoices(lang_, input_box_->currentData().toByteArray()));
  fill_devices(output_box_, OutputChoices(lang_, output_box_->currentData().toByteArray()));
  resolution_label_->setText(Text(kResolution, lang_));
  averaging_label_->setText(Text(kAveraging, lang_));
  input_label_->setText(Text(kInput, lang_));
  output_label_->setText(Text(kOutput, lang_));
  duration_label_->setText(Text(kDuration, lang_));
  level_label_->setText(Text(kLevel, lang_));
  reset_button_->setText(Text(kReset, lang_));
  calibration_button_->setText(Text(kLoadCalibration, lang_));
  calibration_label_->setText(
      calibration_ ? Text(kCalibration, lang_).arg(QString::fromStdString(calibration_->name))
                   : Text(kNoCalibration, lang_));
  run_button_->setText(Text(running_ ? kCancel : kMeasure, lang_));
  position_button_->setText(Text(kPosition, lang_));
  positions_label_->setText(Text(kPositions, lang_).arg(positions_.size()));
  keep_button_->setText(Text(kKeep, lang_));
  delete_button_->setText(Text(kDelete, lang_));
  save_button_->setText(Text(kSave, lang_));
  load_button_->setText(Text(kLoad, lang_));
  tools_button_->setText(Text(kTools, lang_));
  RefreshTraceList();
  UpdateCountLabel();
  UpdatePlot();
}

void MeasureView::AddTool(QAction* action) {
  tools_menu_->addAction(action);
  tools_button_->setEnabled(true);
}

void MeasureView::SetMode(Mode mode) {
  if (running_) CancelRun();
  mode_ = mode;
  mode_box_->setCurrentIndex(static_cast<int>(mode));
  const bool analyser = mode == Mode::kAnalyser;
  run_button_->setVisible(!analyser);
  duration_box_->setVisible(!analyser);
  duration_label_->setVisible(!analyser);
  level_box_->setVisible(!analyser);
  level_label_->setVisible(!analyser);
  output_box_->setVisible(!analyser);
  output_label_->setVisible(!analyser);
  position_button_->setVisible(mode == Mode::kPinkNoise);
  positions_label_->setVisible(mode == Mode::kPinkNoise);
  averaging_box_->setEnabled(analyser);
  duration_box_->setRange(1, mode == Mode::kSweep ? 10 : 60);
  duration_box_->setValue(mode == Mode::kSweep ? 3 : 10);
  response_ = {};
  single_response_ = {};
  positions_.clear();
  positions_label_->setText(Text(kPositions, lang_).arg(0));
  if (analyser) {
    ApplyAveraging();
    plot_->SetLevelAxis(0, -100, QStringLiteral("dBFS"));
  } else {
    plot_->SetLevelAxis(20, -40, QStringLiteral("dB"));
  }
  UpdatePlot();
}

void MeasureView::ApplyAveraging() {
  const double a = kAveragingChoices[std::max(0, averaging_box_->currentIndex())];
  Averaging mode;
  if (a > 0) {
    mode = {Averaging::Kind::kExponential, a};
  } else if (a < 0) {
    mode = {Averaging::Kind::kInfinite, 0};
  }
  analyser_.SetAveraging(mode);
  analyser_.ResetAverage();
  UpdateCountLabel();
}

void MeasureView::UpdateCountLabel() {
  if (analyser_.Mode().kind == Averaging::Kind::kNone && !running_) {
    count_label_->clear();
    return;
  }
  count_label_->setText(
      Text(kCount, lang_).arg(analyser_.AverageCount()).arg(analyser_.AverageSeconds(), 0, 'f', 1));
}

double MeasureView::CorrectionAt(double freq_hz) const {
  return calibration_ ? calibration_->CorrectionAt(freq_hz) : 0.0;
}

Trace MeasureView::CurrentTrace() const {
  if (mode_ != Mode::kAnalyser) return response_;
  Trace t;
  if (analyser_.AverageCount() == 0) return t;
  const auto& bands = analyser_.Bands();
  const auto& levels = analyser_.LevelsDbfs();
  for (std::size_t b = 0; b < bands.size(); ++b) {
    t.points.push_back({bands[b].centre_hz, levels[b] - CorrectionAt(bands[b].centre_hz), {}});
  }
  return t;
}

void MeasureView::Step() {
  if (!samples_since_step_) return;
  samples_since_step_ = false;
  analyser_.Step(kStepMs / 1000.0);
  if (running_ && mode_ == Mode::kPinkNoise) {
    std::vector<double> centres, widths, levels;
    for (std::size_t b = 0; b < analyser_.Bands().size(); ++b) {
      const OctaveBand& band = analyser_.Bands()[b];
      centres.push_back(band.centre_hz);
      widths.push_back(std::log2(band.high_hz / band.low_hz));
      levels.push_back(analyser_.LevelsDbfs()[b] - CorrectionAt(band.centre_hz));
    }
    response_ = PinkNoiseResponse(centres, widths, levels, level_box_->value());
  }
  UpdateCountLabel();
  UpdatePlot();
}

void MeasureView::UpdatePlot() {
  const int ref = relative_box_->currentIndex() - 1;  // -1: absolute
  const Trace* before =
      ref >= 0 && ref < static_cast<int>(traces_.size()) ? &traces_[ref].trace : nullptr;
  const auto relative = [before](const Trace& t) {
    if (before == nullptr) return t;
    Trace r = RelativeTrace(t, *before);
    r.name = t.name;
    return r;
  };
  std::vector<MeasurePlot::ShownTrace> shown;
  for (const KeptTrace& k : traces_) {
    if (k.shown) shown.push_back({relative(k.trace), k.colour});
  }
  plot_->SetTraces(std::move(shown));
  if (mode_ == Mode::kAnalyser) {
    std::vector<double> levels;
    const Trace now = CurrentTrace();
    for (const TracePoint& p : relative(now).points) levels.push_back(p.db);
    plot_->SetCurrentCurve({});
    plot_->SetBands(analyser_.Bands(), std::move(levels));
  } else {
    plot_->SetBands({}, {});
    plot_->SetCurrentCurve(response_.points.empty() ? Trace{} : relative(response_));
  }
  if (before != nullptr) {
    plot_->SetLevelAxis(30, -30, QStringLiteral("dB"));
  } else if (mode_ == Mode::kAnalyser) {
    plot_->SetLevelAxis(0, -100, QStringLiteral("dBFS"));
  } else {
    plot_->SetLevelAxis(20, -40, QStringLiteral("dB"));
  }
}

QColor MeasureView::FreeColour() const {
  for (const QColor& c : kTraceColours) {
    if (std::none_of(traces_.begin(), traces_.end(),
                     [&c](const KeptTrace& k) { return k.colour == c; })) {
      return c;
    }
  }
  return kTraceColours[0];
}

bool MeasureView::AddTrace(Trace trace) {
  if (traces_.size() >= kMaxTraces) {
    Notify(Text(kTooMany, lang_));
    return false;
  }
  traces_.push_back({std::move(trace), FreeColour(), true});
  RefreshTraceList();
  UpdatePlot();
  emit TracesChanged();
  return true;
}

void MeasureView::KeepTrace() {
  Trace t = CurrentTrace();
  if (t.points.empty()) {
    Notify(Text(kNothingToKeep, lang_));
    return;
  }
  t.name = Text(kTraceName, lang_).arg(++trace_serial_).toStdString();
  AddTrace(std::move(t));
}

void MeasureView::RefreshTraceList() {
  const QSignalBlocker block(trace_list_);
  const int selected = trace_list_->currentRow();
  trace_list_->clear();
  for (const KeptTrace& k : traces_) {
    auto* item = new QListWidgetItem(QString::fromStdString(k.trace.name), trace_list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(k.shown ? Qt::Checked : Qt::Unchecked);
    QPixmap swatch(14, 14);
    swatch.fill(k.colour);
    item->setIcon(QIcon(swatch));
  }
  trace_list_->setCurrentRow(std::min(selected, trace_list_->count() - 1));
  const int ref = relative_box_->currentIndex();
  relative_box_->clear();
  relative_box_->addItem(Text(kAbsolute, lang_));
  for (const KeptTrace& k : traces_) {
    relative_box_->addItem(Text(kRelativeTo, lang_).arg(QString::fromStdString(k.trace.name)));
  }
  relative_box_->setCurrentIndex(ref < relative_box_->count() ? std::max(0, ref) : 0);
}

void MeasureView::DeleteTrace() {
  const int row = trace_list_->currentRow();
  if (row < 0 || row >= static_cast<int>(traces_.size())) return;
  const int ref = relative_box_->currentIndex() - 1;
  traces_.erase(traces_.begin() + row);
  RefreshTraceList();
  if (ref == row) relative_box_->setCurrentIndex(0);
  if (ref > row) relative_box_->setCurrentIndex(ref);  // the reference moved up one
  UpdatePlot();
  emit TracesChanged();
}

void MeasureView::SaveTrace() {
  const int row = trace_list_->currentRow();
  if (row < 0 || row >= static_cast<int>(traces_.size())) return;
  const QString path = chooser_ ? chooser_(true, Text(kSave, lang_))
                                : QFileDialog::getSaveFileName(this, Text(kSave, lang_), {},
                                                               QStringLiteral("*.txt *.frd"));
  if (path.isEmpty()) return;
  QFile f(path);
  const std::string text = FormatTrace(traces_[row].trace);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      f.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    Notify(Text(kWriteFailed, lang_).arg(QFileInfo(path).fileName()));
  }
}

void MeasureView::LoadTrace() {
  const QString path = chooser_ ? chooser_(false, Text(kLoad, lang_))
                                : QFileDialog::getOpenFileName(this, Text(kLoad, lang_), {},
                                                               QStringLiteral("*.txt *.frd"));
  if (!path.isEmpty()) LoadTraceFile(path);
}

bool MeasureView::LoadTraceFile(const QString& path) {
  std::string text;
  const QString name = QFileInfo(path).fileName();
  if (!ReadFileText(path, text)) {
    Notify(Text(kBadFile, lang_).arg(name, Text(kUnreadable, lang_)));
    return false;
  }
  TraceParse r = ParseTrace(text);
  if (!r.trace) {
    Notify(Text(kBadFile, lang_).arg(name, ParseErrorText(r.kind, r.error_line, r.error, lang_)));
    return false;
  }
  r.trace->name = QFileInfo(path).completeBaseName().toStdString();
  return AddTrace(std::move(*r.trace));
}

void MeasureView::LoadCalibration() {
  const QString caption = Text(kLoadCalibration, lang_);
  const QString path =
      chooser_ ? chooser_(false, caption)
               : QFileDialog::getOpenFileName(this, caption, {}, QStringLiteral("*.txt *.cal"));
  if (!path.isEmpty()) LoadCalibrationFile(path);
}

bool MeasureView::LoadCalibrationFile(const QString& path) {
  std::string text;
  const QString name = QFileInfo(path).fileName();
  if (!ReadFileText(path, text)) {
    Notify(Text(kBadFile, lang_).arg(name, Text(kUnreadable, lang_)));
    return false;
  }
  CalibrationParse r = ParseCalibration(text);
  if (!r.calibration) {
    Notify(Text(kBadFile, lang_).arg(name, ParseErrorText(r.kind, r.error_line, r.error, lang_)));
    return false;
  }
  r.calibration->name = name.toStdString();
  calibration_ = std::move(*r.calibration);
  RetranslateTexts();
  return true;
}

void MeasureView::Notify(const QString& text) {
  if (notifier_) {
    notifier_(text);
  } else {
    QMessageBox::information(this, Text(kTitle, lang_), text);
  }
}

bool MeasureView::StartSource() {
  if (source_->Start(input_box_->currentData().toByteArray())) return true;
  Notify(Text(kNoInput, lang_));
  return false;
}

void MeasureView::OnSamples(std::span<const float> samples) {
  analyser_.Push(samples);
  samples_since_step_ = true;
  if (running_ && mode_ == Mode::kSweep)
    recording_.insert(recording_.end(), samples.begin(), samples.end());
}

void MeasureView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!source_->Running()) StartSource();
  timer_.start();
}

void MeasureView::closeEvent(QCloseEvent* event) {
  // The test signals and the recording never outlive the sheet.
  CancelRun();
  timer_.stop();
  source_->Stop();
  QWidget::closeEvent(event);
}

}  // namespace kdsp
