#include "measure/view/measure_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace kdsp {

double PlotMap::FreqToX(double f) const {
  return area.left() + area.width() * std::log(f / low_hz) / std::log(high_hz / low_hz);
}

double PlotMap::XToFreq(double x) const {
  return low_hz * std::pow(high_hz / low_hz, (x - area.left()) / std::max(1.0, area.width()));
}

double PlotMap::DbToY(double db) const {
  const double t = (top_db - db) / (top_db - bottom_db);
  return area.top() + area.height() * std::clamp(t, 0.0, 1.0);
}

MeasurePlot::MeasurePlot(QWidget* parent) : QWidget(parent) {
  setObjectName("MeasurePlot");
  setMouseTracking(true);
  setMinimumSize(480, 260);
  readout_ = new QLabel(this);
  readout_->setObjectName("MeasureReadout");
  readout_->setStyleSheet(QStringLiteral(
      "background: rgba(255, 255, 255, 215); color: black; border: 1px solid #808080;"
      "padding: 1px 4px;"));
  readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
  readout_->hide();
  layers_[kGridLayer] = [this](QPainter& p, const PlotMap& m) { PaintGrid(p, m); };
  layers_[kBandLayer] = [this](QPainter& p, const PlotMap& m) { PaintBands(p, m); };
  layers_[kTraceLayer] = [this](QPainter& p, const PlotMap& m) { PaintTraces(p, m); };
  layers_[kLegendLayer] = [this](QPainter& p, const PlotMap& m) { PaintLegend(p, m); };
}

void MeasurePlot::SetLayer(int order, Layer layer) {
  if (layer) {
    layers_[order] = std::move(layer);
  } else {
    layers_.erase(order);
  }
  update();
}

void MeasurePlot::SetLevelAxis(double top_db, double bottom_db, const QString& unit) {
  top_db_ = top_db;
  bottom_db_ = bottom_db;
  unit_ = unit;
  update();
}

void MeasurePlot::SetBands(std::vector<OctaveBand> bands, std::vector<double> levels) {
  bands_ = std::move(bands);
  levels_ = std::move(levels);
  update();
}

void MeasurePlot::SetCurrentCurve(Trace curve) {
  curve_ = std::move(curve);
  update();
}

void MeasurePlot::SetTraces(std::vector<ShownTrace> traces) {
  traces_ = std::move(traces);
  update();
}

PlotMap MeasurePlot::Map() const {
  PlotMap m;
  m.area = QRectF(52, 8, std::max(10, width() - 72), std::max(10, height() - 30));
  m.top_db = top_db_;
  m.bottom_db = bottom_db_;
  return m;
}

void MeasurePlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(250, 250, 250));
  const PlotMap m = Map();
  for (auto& [order, layer] : layers_) {
    p.save();
    layer(p, m);
    p.restore();
  }
}

void MeasurePlot::PaintGrid(QPainter& p, const PlotMap& m) const {
  p.setPen(QColor(200, 200, 200));
  p.drawRect(m.area);
  const double freqs[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
  const char* names[] = {"20", "50", "100", "200", "500", "1k", "2k", "5k", "10k", "20k"};
  for (int i = 0; i < 10; ++i) {
    const double x = m.FreqToX(freqs[i]);
    p.setPen(QColor(215, 215, 215));
    p.drawLine(QPointF(x, m.area.top()), QPointF(x, m.area.bottom()));
    p.setPen(Qt::black);
    p.drawText(QRectF(x - 20, m.area.bottom() + 2, 40, 16), Qt::AlignCenter, names[i]);
  }
  const double step = (top_db_ - bottom_db_) > 60 ? 10 : 5;
  for (double db = std::ceil(bottom_db_ / step) * step; db <= top_db_ + 1e-9; db += step) {
    const double y = m.DbToY(db);
    p.setPen(QColor(215, 215, 215));
    p.drawLine(QPointF(m.area.left(), y), QPointF(m.area.right(), y));
    p.setPen(Qt::black);
    p.drawText(QRectF(0, y - 8, m.area.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(db));
  }
  p.drawText(QRectF(2, m.area.bottom() + 2, 48, 16), Qt::AlignLeft, unit_);
}

void MeasurePlot::PaintBands(QPainter& p, const PlotMap& m) const {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 120, 200, 190));
  for (std::size_t b = 0; b < bands_.size() && b < levels_.size(); ++b) {
    const double x0 = m.FreqToX(std::max(bands_[b].low_hz, m.low_hz));
    const double x1 = m.FreqToX(std::min(bands_[b].high_hz, m.high_hz));
    const double y = m.DbToY(levels_[b]);
    p.drawRect(
        QRectF(QPointF(x0 + 0.5, y), QPointF(std::max(x0 + 1.0, x1 - 0.5), m.area.bottom())));
  }
  if (curve_.points.size() >= 2) {
    QPainterPath path;
    for (std::size_t i = 0; i < curve_.points.size(); ++i) {
      const QPointF pt(m.FreqToX(curve_.points[i].freq_hz), m.DbToY(curve_.points[i].db));
      if (i == 0) {
        path.moveTo(pt);
      } else {
        path.lineTo(pt);
      }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 20, 20), 2.5));
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPath(path);
  }
}

void MeasurePlot::PaintTraces(QPainter& p, const PlotMap& m) const {
  p.setRenderHint(QPainter::Antialiasing);
  p.setClipRect(m.area);
  for (const ShownTrace& t : traces_) {
    QPainterPath path;
    bool first = true;
    for (const TracePoint& pt : t.trace.points) {
      if (pt.freq_hz < m.low_hz / 1.05 || pt.freq_hz > m.high_hz * 1.05) continue;
      const QPointF at(m.FreqToX(pt.freq_hz), m.DbToY(pt.db));
      if (first) {
        path.moveTo(at);
      } else {
        path.lineTo(at);
      }
      first = false;
    }
    p.setPen(QPen(t.colour, 2));
    p.drawPath(path);
  }
}

void MeasurePlot::PaintLegend(QPainter& p, const PlotMap& m) const {
  if (traces_.empty()) return;
  const QFontMetrics fm = p.fontMetrics();
  int width = 0;
  for (const ShownTrace& t : traces_) {
    width = std::max(width, fm.horizontalAdvance(QString::fromStdString(t.trace.name)));
  }
  const int row = fm.height() + 2;
  QRectF box(m.area.right() - width - 40, m.area.top() + 6, width + 34,
             row * static_cast<int>(traces_.size()) + 6);
  p.setPen(QColor(160, 160, 160));
  p.setBrush(QColor(255, 255, 255, 225));
  p.drawRect(box);
  for (std::size_t i = 0; i < traces_.size(); ++i) {
    const double y = box.top() + 3 + row * static_cast<double>(i) + row / 2.0;
    p.setPen(QPen(traces_[i].colour, 3));
    p.drawLine(QPointF(box.left() + 5, y), QPointF(box.left() + 24, y));
    p.setPen(Qt::black);
    p.drawText(QRectF(box.left() + 29, y - row / 2.0, width + 4, row), Qt::AlignVCenter,
               QString::fromStdString(traces_[i].trace.name));
  }
}

QString MeasurePlot::ReadoutAt(QPoint at) const {
  const PlotMap m = Map();
  if (!m.area.contains(at)) return {};
  const double f = m.XToFreq(at.x());
  char text[64];
  if (!curve_.points.empty()) {
    std::snprintf(text, sizeof text, "%.0f Hz, %.1f dB", f, TraceLevelAt(curve_, f));
    return QString::fromLatin1(text);
  }
  for (std::size_t b = 0; b < bands_.size() && b < levels_.size(); ++b) {
    if (f >= bands_[b].low_hz && f < bands_[b].high_hz) {
      std::snprintf(text, sizeof text, "%.0f Hz, %.1f %s", bands_[b].centre_hz, levels_[b],
                    unit_.toLatin1().constData());
      return QString::fromLatin1(text);
    }
  }
  return {};
}

void MeasurePlot::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QString text = ReadoutAt(at);
  if (text.isEmpty()) {
    readout_->hide();
    return;
  }
  readout_->setText(text);
  readout_->adjustSize();
  QPoint pos = at + QPoint(14, 10);
  pos.setX(std::min(pos.x(), width() - readout_->width()));
  pos.setY(std::min(pos.y(), height() - readout_->height()));
  readout_->move(std::max(0, pos.x()), std::max(0, pos.y()));
  readout_->show();
  readout_->raise();
}

void MeasurePlot::leaveEvent(QEvent*) { readout_->hide(); }

}  // namespace kdsp
