#include "eq/equaliser_graph.h"

#include <algorithm>
#include <cmath>

#include <QEvent>

#include "eq/graph_texts.h"
#include "eq/marker_editor.h"
#include "model/page_layout.h"

namespace kdsp {

namespace {

// Design geometry of the graph area inside its panel, used when the panel lacks it.
const QRect kAreaDesign(48, 35, 883, 268);
const QRect kPassLabelDesign(360, 72, 230, 46);
constexpr int kLevelLabelWidth = 32;
constexpr int kFreqLabelWidth = 36;
constexpr int kAxisLabelHeight = 13;
// Pages from 25 on have no equaliser.
constexpr int kFirstPageWithoutGraph = 25;
// Curve levels far outside the graph are drawn clipped; this keeps the pixel maths finite.
constexpr double kCurveLimitDb = 1e4;

int Rnd(double v) { return static_cast<int>(RoundHalfEven(v)); }

void SetShown(QWidget* w, bool shown) {
  if (w != nullptr && w->isHidden() == shown) w->setVisible(shown);
}

QWidget* FindOrMake(QWidget& parent, const char* name, const QRect& geometry) {
  if (auto* w = parent.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) return w;
  auto* w = new QWidget(&parent);
  w->setObjectName(name);
  w->setGeometry(geometry);
  return w;
}

}  // namespace

EqualiserGraph::EqualiserGraph(BindingContext& ctx, EditPipeline& pipeline, QWidget& adv_panel1,
                               QObject* parent)
    : QObject(parent),
      ctx_(ctx),
      pipeline_(pipeline),
      panel_(adv_panel1),
      table_(std::make_unique<CurveTable>()) {
  area_ = FindOrMake(panel_, "AdvPanel2", kAreaDesign);
  image_ = FindOrMake(*area_, "Image1", QRect(QPoint(0, 0), area_->size()));
  surface_ = new GraphSurface(image_);
  surface_->setGeometry(image_->rect());

  pass_label_ = area_->findChild<QLabel*>("EQPassLabel", Qt::FindDirectChildrenOnly);
  if (pass_label_ == nullptr) {
    pass_label_ = new QLabel(QStringLiteral("EQ PASS"), area_);
    pass_label_->setObjectName("EQPassLabel");
    pass_label_->setGeometry(kPassLabelDesign);
    pass_label_->setAlignment(Qt::AlignCenter);
    pass_label_->setStyleSheet(QString::fromUtf8(
        "color: rgb(160, 160, 160); background: transparent; font-family: '微软雅黑';"
        " font-size: 35px; font-weight: bold;"));
    pass_label_->hide();
  }

  value_label_ = new QLabel(area_);
  value_label_->setObjectName("EQlabel");
  value_label_->setAlignment(Qt::AlignCenter);
  value_label_->setStyleSheet(
      "color: rgb(243, 152, 0); background: transparent; font-family: 'Arial Narrow';"
      " font-size: 13px; font-weight: bold;");
  value_label_->hide();

  for (int i = 0; i < kMarkerCount; ++i) {
    markers_[i] = new GraphMarker(i, area_);
    markers_[i]->hide();
  }
  value_label_->raise();
  for (GraphMarker* m : markers_) m->raise();

  editor_ = std::make_unique<MarkerEditor>(ctx_, pipeline_, *this);
  for (GraphMarker* m : markers_) editor_->Watch(m);
  editor_->Watch(surface_);
  editor_->Watch(value_label_);
  editor_->Watch(pass_label_);

  image_->installEventFilter(this);
  geometry_ = GraphGeometry{image_->width(), image_->height()};
  surface_->ResetBitmap(image_->size());
  drag_ = DragGeometry::For(geometry_, kMarkerHalf);
  DrawGraphFrame(0);
}

EqualiserGraph::~EqualiserGraph() {
  if (image_ != nullptr) image_->removeEventFilter(this);
}

bool EqualiserGraph::eventFilter(QObject* watched, QEvent* event) {
  if (watched == image_ && event->type() == QEvent::Resize) FollowImageSize();
  return QObject::eventFilter(watched, event);
}

void EqualiserGraph::FollowImageSize() {
  const QSize size = image_->size();
  if (size == QSize(geometry_.width, geometry_.height)) return;
  surface_->setGeometry(0, 0, size.width(), size.height());
  surface_->ResetBitmap(size);
  geometry_ = GraphGeometry{size.width(), size.height()};
  drag_ = DragGeometry::For(geometry_, kMarkerHalf);
  DrawGraphFrame(1);
  const int page = ctx_.channel.view_page;
  DrawEqCurve(kAllRows, page);
  DrawEqCurve(ctx_.edit.selected_band[GroupOf(page)], page);
}

void EqualiserGraph::DrawGraphFrame(int mode) {
  if (mode == 2) {
    surface_->RestoreBackground();
    return;
  }
  // A surface without room for two rows has no level axis to draw.
  if (geometry_.width < 2 || geometry_.height < 2) return;
  surface_->DrawGrid(geometry_);  // the grid is now both the bitmap and the saved background
  if (level_labels_[0] == nullptr) {
    const QString style = "color: rgb(161, 161, 161); background: transparent; font-size: 10px;";
    for (int i = 0; i < kLevelAxisLabels; ++i) {
      auto* label = new QLabel(&panel_);
      label->setObjectName(QStringLiteral("EQLabelY%1").arg(i));
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      label->setStyleSheet(style);
      level_labels_[i] = label;
    }
    for (int i = 0; i < static_cast<int>(freq_labels_.size()); ++i) {
      auto* label = new QLabel(&panel_);
      label->setObjectName(QStringLiteral("EQLabelX%1").arg(i + kLevelAxisLabels));
      label->setAlignment(Qt::AlignCenter);
      label->setStyleSheet(style);
      freq_labels_[i] = label;
    }
  }
  PlaceAxisLabels();
  surface_->update();
}

void EqualiserGraph::PlaceAxisLabels() {
  const QPoint area = area_->pos();
  for (int i = 0; i < kLevelAxisLabels; ++i) {
    QLabel* label = level_labels_[i];
    label->setText(QString::fromStdString(LevelAxisText(i)));
    label->setGeometry(area.x() - kLevelLabelWidth - 2,
                       Rnd(geometry_.DbToY(6 * i - 24)) + area.y() - kAxisLabelHeight / 2,
                       kLevelLabelWidth, kAxisLabelHeight);
    label->show();
  }
  for (int i = 0; i < static_cast<int>(freq_labels_.size()); ++i) {
    QLabel* label = freq_labels_[i];
    label->setText(QString::fromLatin1(kFrequencyAxisLabels[i].text));
    label->setGeometry(
        Rnd(geometry_.FreqToX(kFrequencyAxisLabels[i].freq_hz)) + area.x() - kFreqLabelWidth / 2,
        area.y() + geometry_.height, kFreqLabelWidth, kAxisLabelHeight);
    label->show();
  }
}

void EqualiserGraph::SetCurveColour(const QColor& colour) {
  curve_colour_ = colour;
  // The markers of a graph that cannot be edited (an automatic output) are grey like its curve.
  const bool grey = colour.red() == colour.green() && colour.green() == colour.blue();
  for (GraphMarker* m : markers_) {
    if (m != nullptr) m->SetMuted(grey);
  }
}

bool EqualiserGraph::DragActive() const { return editor_->DragActive(); }

void EqualiserGraph::Timer1Timer() {
  pipeline_.BandChangeCheck();
  editor_->HandOverPending();
}

void EqualiserGraph::HandOverPending() { editor_->HandOverPending(); }

void EqualiserGraph::WireBandLabels() { editor_->WireBandLabels(); }

CurveLoadContext EqualiserGraph::LoadContext(int page) const {
  CurveLoadContext c;
  if (page == 22) {
    auto* box = ctx_.registry.Find<QWidget>("HintEQGroupBox3");
    c.hint_band3_visible = box == nullptr || !box->isHidden();
  }
  if (page == 21) c.aux_first_half_selected = AuxFirstHalfSelected();
  return c;
}

bool EqualiserGraph::AuxFirstHalfSelected() const {
  const auto labels = ctx_.registry.BandLabels(GroupOf(21), ctx_.selection.effect_page);
  for (int i = 0; i < 3 && i < static_cast<int>(labels.size()); ++i) {
    if (labels[i] != nullptr && labels[i]->property("opaque").toBool()) return true;
  }
  return false;
}

void EqualiserGraph::HideAll() {
  for (GraphMarker* m : markers_) SetShown(m, false);
  SetShown(value_label_, false);
}

void EqualiserGraph::ShowMarkers(int bands, int filters) {
  for (int i = 0; i < kHighPassMarker; ++i) SetShown(markers_[i], i < bands);
  SetShown(markers_[kHighPassMarker], filters >= 1);
  SetShown(markers_[kLowPassMarker], filters >= 2);
}

void EqualiserGraph::ApplyAuxHalves() {
  // Only the half of the tone equaliser that holds the selected band has handles.
  const bool first = AuxFirstHalfSelected();
  for (int i = 0; i < 3; ++i) {
    SetShown(markers_[i], first);
    SetShown(markers_[i + 3], !first);
  }
}

void EqualiserGraph::PlaceRowMarker(int row, int bands) {
  const CurveEntry& entry = table_->Row(row);
  GraphMarker* marker = nullptr;
  double gain = 0.0;  // filter handles sit on the 0 dB line
  if (row < bands) {
    marker = markers_[row];
    gain = entry.gain;
  } else {
    marker = markers_[row == bands ? kHighPassMarker : kLowPassMarker];
  }
  const double h = marker->height() / 2;
  const QPoint at(Rnd(geometry_.FreqToX(entry.frequency) - h), Rnd(geometry_.DbToY(gain) - h));
  if (marker->pos() != at) marker->move(at);
}

void EqualiserGraph::ShowValueLabel(int row, int bands) {
  const CurveEntry& entry = table_->Row(row);
  GraphMarker* marker = nullptr;
  std::string text;
  if (row < bands) {
    marker = markers_[row];
    text = BandValueText(entry.gain, entry.q, entry.frequency);
  } else {
    const bool low_pass = row == bands + 1;
    marker = markers_[low_pass ? kLowPassMarker : kHighPassMarker];
    text = FilterValueText(low_pass, entry.frequency);
  }
  const QString caption = QString::fromStdString(text);
  if (value_label_->text() != caption) {
    value_label_->setText(caption);
    value_label_->adjustSize();
  }
  const int left = marker->x() + marker->width() / 2 - value_label_->width() / 2;
  const int top =
      entry.gain >= 0 ? marker->y() + marker->height() : marker->y() - value_label_->height() - 1;
  if (value_label_->x() != left || value_label_->y() != top) value_label_->move(left, top);
  SetShown(value_label_, true);
}

void EqualiserGraph::DrawEqCurve(int selector, int page) {
  if (selector < 0 || selector > kAllRows || ctx_.edit.refresh_in_progress) return;
  if (page < 0 || page >= kFirstPageWithoutGraph) return;
  if (geometry_.width < 2 || geometry_.height < 2) return;
  // One row can only be redrawn over rows of the same page; anything else starts afresh.
  const bool full = selector == kAllRows || table_->Page() != page || table_->LastRow() < 0;
  const int rows = full ? kAllRows : selector;

  const int layout = table_->LoadCurveTable(ctx_.view_values, page, rows, LoadContext(page));
  if (layout < 0) {  // a page without equaliser: an empty grid
    HideAll();
    DrawGraphFrame(2);
    surface_->update();
    return;
  }
  const int bands = layout % 100 + 1;
  const int filters = layout / 100;
  const int last_row = bands - 1 + filters;
  if (!full && rows > last_row) return;  // a band the page does not show

  if (full) ShowMarkers(bands, filters);
  DrawGraphFrame(2);
  table_->ComputeRows(rows);
  if (!editor_->DragActive()) {
    for (int i = 0; i <= last_row; ++i) {
      if (full || i == rows) PlaceRowMarker(i, bands);
    }
  }
  if (full) {
    SetShown(value_label_, false);
  } else {
    ShowValueLabel(rows, bands);
  }
  for (auto& [order, layer] : layers_) layer(surface_->Canvas());
  if (full) {
    for (int k = 0; k <= kGridSteps; ++k) curve_points_[k].setX(geometry_.CurvePointX(k));
  }
  if (page == 21) ApplyAuxHalves();
  for (int k = 0; k <= kGridSteps; ++k) {
    double db = table_->ChannelCurve(k);
    if (!std::isfinite(db)) db = db > 0 ? kCurveLimitDb : -kCurveLimitDb;
    db = std::clamp(db, -kCurveLimitDb, kCurveLimitDb);
    curve_points_[k].setY(geometry_.CurvePointY(db));
  }
  RepaintCurve();
}

void EqualiserGraph::RepaintCurve() {
  // Point N closes the grid but is not part of the spline.
  surface_->StrokeCurve(std::span<const QPoint>(curve_points_.data(), kGridSteps), curve_colour_);
  surface_->update();
}

}  // namespace kdsp
