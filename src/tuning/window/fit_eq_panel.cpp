#include "tuning/window/fit_eq_panel.h"

#include <cmath>
#include <sstream>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "measure/view/measure_view.h"
#include "model/bi_text.h"
#include "model/page_layout.h"
#include "tuning/window/band_writer.h"

namespace kdsp {

namespace {

constexpr BiText kTitle = {"拟合均衡", "Fit EQ"};
constexpr BiText kChannel = {"通道：页 %1，%2 段", "Channel: page %1, %2 bands"};
constexpr BiText kTarget = {"目标", "Target"};
constexpr BiText kFlat = {"平直", "Flat"};
constexpr BiText kHouse = {"房间曲线（缓降）", "House curve (gentle tilt)"};
constexpr BiText kRange = {"范围 (Hz)", "Range (Hz)"};
constexpr BiText kBands = {"可用频段", "Bands"};
constexpr BiText kBoost = {"最大提升 (dB)", "Largest boost (dB)"};
constexpr BiText kFit = {"拟合", "Fit"};
constexpr BiText kApply = {"应用", "Apply"};
constexpr BiText kNoMeasurement = {"没有测量：先测量或读入曲线。",
                                   "No measurement: measure or read a trace first."};
constexpr BiText kNoEq = {"当前页没有均衡。", "The page shown has no equaliser."};
constexpr BiText kBadBands = {"频段列表有误（例如 1-5,8）。",
                              "The band list is wrong (e.g. 1-5,8)."};
constexpr BiText kResidual = {"预测残差：RMS %1 dB，最大 %2 dB",
                              "Predicted residual: RMS %1 dB, largest %2 dB"};
constexpr BiText kLeft = {"未处理的深谷：%1–%2 Hz", "Dip left alone: %1–%2 Hz"};

QString Text(const BiText& t, int lang) {
  const std::string_view s = t.In(lang);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// "1-5,8" into 0-based flags; empty when the list is wrong.
std::vector<bool> ParseBandList(const QString& text, int count) {
  std::vector<bool> usable(count, false);
  for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
    const QStringList ends = item.trimmed().split('-');
    bool ok1 = false, ok2 = true;
    const int first = ends[0].toInt(&ok1);
    const int last = ends.size() == 2 ? ends[1].toInt(&ok2) : first;
    if (!ok1 || !ok2 || ends.size() > 2 || first < 1 || last > count || first > last) return {};
    for (int b = first; b <= last; ++b) usable[b - 1] = true;
  }
  return usable;
}

}  // namespace

FitEqPanel::FitEqPanel(MeasureView& view, BandWriter& writer, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      view_(view),
      plot_(&view.Plot()),
      writer_(writer),
      lang_(writer.UiLanguage()) {
  setObjectName("FitEqPanel");
  setWindowTitle(Text(kTitle, lang_));
  channel_label_ = new QLabel(this);
  target_box_ = new QComboBox(this);
  target_box_->setObjectName("FitEqTargetBox");
  target_box_->addItem(Text(kFlat, lang_));
  target_box_->addItem(Text(kHouse, lang_));
  low_box_ = new QSpinBox(this);
  low_box_->setObjectName("FitEqLowBox");
  low_box_->setRange(20, 20000);
  low_box_->setValue(40);
  high_box_ = new QSpinBox(this);
  high_box_->setObjectName("FitEqHighBox");
  high_box_->setRange(20, 20000);
  high_box_->setValue(16000);
  bands_edit_ = new QLineEdit(this);
  bands_edit_->setObjectName("FitEqBandsEdit");
  boost_box_ = new QDoubleSpinBox(this);
  boost_box_->setObjectName("FitEqBoostBox");
  boost_box_->setRange(0, 12);
  boost_box_->setSingleStep(0.2);
  boost_box_->setValue(3.0);
  fit_button_ = new QPushButton(Text(kFit, lang_), this);
  fit_button_->setObjectName("FitEqFitButton");
  apply_button_ = new QPushButton(Text(kApply, lang_), this);
  apply_button_->setObjectName("FitEqApplyButton");
  apply_button_->setEnabled(false);
  result_label_ = new QLabel(this);
  result_label_->setObjectName("FitEqResultLabel");
  result_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* form = new QFormLayout;
  form->addRow(channel_label_);
  form->addRow(Text(kTarget, lang_), target_box_);
  auto* range = new QHBoxLayout;
  range->addWidget(low_box_);
  range->addWidget(high_box_);
  form->addRow(Text(kRange, lang_), range);
  form->addRow(Text(kBands, lang_), bands_edit_);
  form->addRow(Text(kBoost, lang_), boost_box_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(fit_button_);
  buttons->addWidget(apply_button_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(result_label_);

  // Kept traces may serve as targets too.
  for (const MeasureView::KeptTrace& t : view_.Traces()) {
    target_box_->addItem(QString::fromStdString(t.trace.name));
  }
  device_page_ = writer_.ShownDevicePage();
  const int count = device_page_ >= 0 ? EqBandCount(device_page_) : 0;
  channel_label_->setText(Text(kChannel, lang_).arg(device_page_).arg(count));
  bands_edit_->setText(count > 0 ? QStringLiteral("1-%1").arg(count) : QString());
  connect(fit_button_, &QPushButton::clicked, this, [this] { Fit(); });
  connect(apply_button_, &QPushButton::clicked, this, [this] { Apply(); });
}

FitEqPanel::~FitEqPanel() {
  if (plot_ != nullptr) plot_->SetLayer(kPreviewLayer, {});
}

std::optional<Trace> FitEqPanel::Measured() const {
  for (const MeasureView::KeptTrace& t : view_.Traces()) {
    if (t.shown && !t.trace.points.empty()) return t.trace;
  }
  Trace current = view_.CurrentTrace();
  if (current.points.empty()) return std::nullopt;
  return current;
}

bool FitEqPanel::Fit() {
  fit_.reset();
  apply_button_->setEnabled(false);
  view_.Plot().SetLayer(kPreviewLayer, {});
  device_page_ = writer_.ShownDevicePage();
  if (device_page_ < 0) {
    result_label_->setText(Text(kNoEq, lang_));
    return false;
  }
  const std::optional<Trace> measured = Measured();
  if (!measured) {
    result_label_->setText(Text(kNoMeasurement, lang_));
    return false;
  }
  FitRequest rq;
  rq.current = writer_.Read(device_page_);
  rq.usable = ParseBandList(bands_edit_->text(), static_cast<int>(rq.current.size()));
  if (rq.usable.empty()) {
    result_label_->setText(Text(kBadBands, lang_));
    return false;
  }
  const double low = std::min(low_box_->value(), high_box_->value());
  const double high = std::max(low_box_->value(), high_box_->value());
  rq.first_point = FirstGridPointFrom(low);
  rq.last_point = LastGridPointUpTo(high);
  rq.max_boost_db = boost_box_->value();
  const int target = target_box_->currentIndex();
  for (int k = 0; k <= kGridSteps; ++k) {
    const double f = GridFrequency(k);
    rq.measured_db.push_back(TraceLevelAt(*measured, f));
    double t = 0;
    if (target == 1) t = HouseCurveDb(f);
    if (target >= 2 && target - 2 < static_cast<int>(view_.Traces().size())) {
      t = TraceLevelAt(view_.Traces()[target - 2].trace, f);
    }
    rq.target_db.push_back(t);
  }
  fit_ = FitEqualiser(rq);

  QStringList lines;
  for (std::size_t b = 0; b < fit_->bands.size(); ++b) {
    if (!(fit_->bands[b] == rq.current[b])) {
      lines << QStringLiteral("%1: %2").arg(b + 1).arg(
          QString::fromStdString(DescribeBand(fit_->bands[b])));
    }
  }
  lines << Text(kResidual, lang_).arg(fit_->rms_db, 0, 'f', 2).arg(fit_->max_dev_db, 0, 'f', 2);
  for (const LeftRange& r : fit_->left) {
    lines << Text(kLeft, lang_).arg(std::lround(r.low_hz)).arg(std::lround(r.high_hz));
  }
  result_label_->setText(lines.join('\n'));

  // The preview: the measurement with the fitted equaliser in place of the current one, and
  // the target at its level, over the fitted range.
  Trace predicted, aimed;
  for (int k = rq.first_point; k <= rq.last_point; ++k) {
    predicted.points.push_back({GridFrequency(k), fit_->predicted_db[k], std::nullopt});
    aimed.points.push_back({GridFrequency(k), fit_->target_db[k], std::nullopt});
  }
  view_.Plot().SetLayer(kPreviewLayer, [predicted, aimed](QPainter& p, const PlotMap& m) {
    auto stroke = [&](const Trace& t, const QPen& pen) {
      QPainterPath path;
      for (std::size_t i = 0; i < t.points.size(); ++i) {
        const QPointF at(m.FreqToX(t.points[i].freq_hz), m.DbToY(t.points[i].db));
        if (i == 0) {
          path.moveTo(at);
        } else {
          path.lineTo(at);
        }
      }
      p.setPen(pen);
      p.drawPath(path);
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    stroke(aimed, QPen(QColor(120, 120, 120), 1, Qt::DotLine));
    stroke(predicted, QPen(QColor(255, 140, 0), 2, Qt::DashLine));
    p.restore();
  });
  apply_button_->setEnabled(true);
  return true;
}

void FitEqPanel::Apply() {
  if (!fit_ || device_page_ < 0) return;
  std::vector<std::pair<int, BandSetting>> bands;
  for (std::size_t b = 0; b < fit_->bands.size(); ++b)
    bands.push_back({static_cast<int>(b), fit_->bands[b]});
  writer_.Write(device_page_, bands);
  view_.Plot().SetLayer(kPreviewLayer, {});
  apply_button_->setEnabled(false);
  fit_.reset();
}

}  // namespace kdsp
