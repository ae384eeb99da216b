#include "tuning/window/ring_out_panel.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "measure/view/measure_source.h"
#include "model/bi_text.h"
#include "model/frequency_table.h"
#include "tuning/window/band_writer.h"

namespace kdsp {

namespace {

constexpr BiText kTitle = {"啸叫抑制", "Ring out"};
constexpr BiText kMic1 = {"麦克1", "MIC 1"};
constexpr BiText kMic2 = {"麦克2", "MIC 2"};
constexpr BiText kListen = {"监听", "Listen"};
constexpr BiText kStop = {"停止", "Stop"};
constexpr BiText kApply = {"陷波", "Notch"};
constexpr BiText kRemove = {"移除", "Remove"};
constexpr BiText kAuto = {"自动陷波，最多", "Notch automatically, up to"};
constexpr BiText kHint = {"逐步提高麦克风增益，出现的啸叫频率会列在下面。",
                          "Raise the microphone's gain step by step; each ring found is listed."};
constexpr BiText kTime = {"时间", "Time"};
constexpr BiText kFreq = {"频率", "Frequency"};
constexpr BiText kAbove = {"高出", "Above"};
constexpr BiText kNotch = {"陷波", "Notch"};
constexpr BiText kApplied = {"已应用", "applied"};

QString Text(const BiText& t, int lang) {
  const std::string_view s = t.In(lang);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

RingOutPanel::RingOutPanel(BandWriter& writer, std::unique_ptr<MeasureSource> source,
                           QWidget* parent)
    : QWidget(parent, Qt::Tool),
      writer_(writer),
      source_(std::move(source)),
      detector_(std::make_unique<FeedbackDetector>()),
      lang_(writer.UiLanguage()) {
  setObjectName("RingOutPanel");
  setWindowTitle(Text(kTitle, lang_));
  mic_box_ = new QComboBox(this);
  mic_box_->setObjectName("RingOutMicBox");
  mic_box_->addItems({Text(kMic1, lang_), Text(kMic2, lang_)});
  listen_button_ = new QPushButton(Text(kListen, lang_), this);
  listen_button_->setObjectName("RingOutListenButton");
  listen_button_->setCheckable(true);
  listen_button_->setEnabled(source_ != nullptr);
  list_ = new QTableWidget(0, 4, this);
  list_->setObjectName("RingOutList");
  list_->setHorizontalHeaderLabels(
      {Text(kTime, lang_), Text(kFreq, lang_), Text(kAbove, lang_), Text(kNotch, lang_)});
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  apply_button_ = new QPushButton(Text(kApply, lang_), this);
  apply_button_->setObjectName("RingOutApplyButton");
  remove_button_ = new QPushButton(Text(kRemove, lang_), this);
  remove_button_->setObjectName("RingOutRemoveButton");
  auto_box_ = new QCheckBox(Text(kAuto, lang_), this);
  auto_box_->setObjectName("RingOutAutoBox");
  auto_limit_box_ = new QSpinBox(this);
  auto_limit_box_->setObjectName("RingOutAutoLimitBox");
  auto_limit_box_->setRange(1, 20);
  auto_limit_box_->setValue(4);

  auto* top = new QHBoxLayout;
  top->addWidget(mic_box_);
  top->addWidget(listen_button_);
  top->addStretch();
  auto* automatic = new QHBoxLayout;
  automatic->addWidget(auto_box_);
  automatic->addWidget(auto_limit_box_);
  automatic->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(apply_button_);
  buttons->addWidget(remove_button_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(new QLabel(Text(kHint, lang_), this));
  layout->addWidget(list_);
  layout->addLayout(automatic);
  layout->addLayout(buttons);

  connect(mic_box_, &QComboBox::currentIndexChanged, this, [this] {
    rings_.clear();
    before_notch_.clear();
    list_->setRowCount(0);
    detector_->Reset();
  });
  connect(apply_button_, &QPushButton::clicked, this, [this] { ApplyRow(list_->currentRow()); });
  connect(remove_button_, &QPushButton::clicked, this, [this] { RemoveRow(list_->currentRow()); });
  if (source_ != nullptr) {
    source_->SetOnSamples([this](std::span<const float> s) { Feed(s); });
    connect(listen_button_, &QPushButton::toggled, this, [this](bool on) {
      if (on && !source_->Start({})) on = false;
      if (!on) source_->Stop();
      listen_button_->setChecked(on);
      listen_button_->setText(Text(on ? kStop : kListen, lang_));
    });
  }
}

RingOutPanel::~RingOutPanel() {
  if (source_ != nullptr) source_->Stop();
}

int RingOutPanel::MicPage() const { return mic_box_->currentIndex() == 1 ? 2 : 1; }

std::vector<int> RingOutPanel::NotchBands() const {
  std::vector<int> bands;
  for (const auto& [band, before] : before_notch_) bands.push_back(band);
  return bands;
}

void RingOutPanel::Feed(std::span<const float> samples) {
  for (const FeedbackReport& r : detector_->Feed(samples)) OnReport(r);
}

void RingOutPanel::OnReport(const FeedbackReport& r) {
  Ring ring{r, ProposeNotch(r.freq_index, writer_.Read(MicPage()), NotchBands())};
  rings_.push_back(ring);
  list_->insertRow(list_->rowCount());
  ShowRow(list_->rowCount() - 1);
  const bool can = ring.proposal.kind == NotchProposal::Kind::kNew ||
                   ring.proposal.kind == NotchProposal::Kind::kDeeper;
  const bool room = ring.proposal.kind == NotchProposal::Kind::kDeeper ||
                    static_cast<int>(before_notch_.size()) < auto_limit_box_->value();
  if (auto_box_->isChecked() && can && room) ApplyRow(list_->rowCount() - 1);
}

void RingOutPanel::ShowRow(int row) {
  const Ring& ring = rings_[row];
  const QString cells[4] = {QStringLiteral("%1 s").arg(ring.report.time_s, 0, 'f', 1),
                            QStringLiteral("%1 Hz (%2 Hz)")
                                .arg(ring.report.freq_hz, 0, 'f', 1)
                                .arg(QString::fromStdString(FrequencyText(ring.report.freq_index))),
                            QStringLiteral("+%1 dB").arg(ring.report.above_db, 0, 'f', 1),
                            QString::fromStdString(DescribeProposal(ring.proposal))};
  for (int c = 0; c < 4; ++c) list_->setItem(row, c, new QTableWidgetItem(cells[c]));
}

void RingOutPanel::ApplyRow(int row) {
  if (row < 0 || row >= static_cast<int>(rings_.size())) return;
  Ring& ring = rings_[row];
  // Proposed against the bands as they were; ask again against the bands as they are now.
  ring.proposal = ProposeNotch(ring.report.freq_index, writer_.Read(MicPage()), NotchBands());
  const NotchProposal& p = ring.proposal;
  if (p.kind != NotchProposal::Kind::kNew && p.kind != NotchProposal::Kind::kDeeper) {
    ShowRow(row);
    return;
  }
  if (p.kind == NotchProposal::Kind::kNew) before_notch_[p.band] = writer_.Read(MicPage())[p.band];
  writer_.Write(MicPage(), {{p.band, p.setting}});
  ShowRow(row);
  list_->item(row, 3)->setText(list_->item(row, 3)->text() + " (" + Text(kApplied, lang_) + ")");
}

void RingOutPanel::RemoveRow(int row) {
  if (row < 0 || row >= static_cast<int>(rings_.size())) return;
  const auto it = before_notch_.find(rings_[row].proposal.band);
  if (it == before_notch_.end()) return;
  writer_.Write(MicPage(), {{it->first, it->second}});
  before_notch_.erase(it);
  list_->removeRow(row);
  rings_.erase(rings_.begin() + row);
}

}  // namespace kdsp
