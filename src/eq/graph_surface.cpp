#include "eq/graph_surface.h"

#include <cstring>

#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include "eq/cardinal_spline.h"

namespace kdsp {

namespace {

const QColor kGraphColour(238, 238, 238);
const QColor kLineGrey(210, 210, 210);
const QColor kLightGrey(220, 220, 220);
constexpr double kCurveTension = 0.4;
constexpr double kCurvePenWidth = 1.8;

constexpr double kMajorLinesHz[] = {100, 1000, 10000};
constexpr double kMinorLinesHz[] = {20,   30,   40,   50,   60,   70,   80,   90,   200,
                                    300,  400,  500,  600,  700,  800,  900,  2000, 3000,
                                    4000, 5000, 6000, 7000, 8000, 9000, 20000};

int Rnd(double v) { return static_cast<int>(RoundHalfEven(v)); }

void Line(QPainter& p, double x1, double y1, double x2, double y2) {
  p.drawLine(Rnd(x1), Rnd(y1), Rnd(x2), Rnd(y2));
}

}  // namespace

GraphSurface::GraphSurface(QWidget* parent) : QWidget(parent) {
  setObjectName("GraphSurface");
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  ResetBitmap(size());
}

void GraphSurface::ResetBitmap(QSize size) {
  const QSize s(std::max(1, size.width()), std::max(1, size.height()));
  canvas_ = QImage(s, QImage::Format_RGB32);
  canvas_.fill(kGraphColour);
  background_ = canvas_.copy();
}

void GraphSurface::DrawGrid(const GraphGeometry& g) {
  canvas_.fill(kGraphColour);
  const double w = g.width;
  const double h = g.height;
  QPainter p(&canvas_);
  auto pen = [&p](const QColor& c, int width) {
    QPen pen(c, width);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
  };
  // Level lines every 3 dB; -24, 0 and +12 dB stand out.
  for (int d = kGraphBottomDb; d <= kGraphTopDb; d += 3) {
    const bool major = d == kGraphBottomDb || d == 0 || d == kGraphTopDb;
    pen(major ? kLineGrey : kLightGrey, 1);
    Line(p, 0, g.DbToY(d), w, g.DbToY(d));
  }
  pen(kLineGrey, 2);
  Line(p, 0, 0, 0, h);
  for (double f : kMajorLinesHz) Line(p, g.FreqToX(f), 0, g.FreqToX(f), h);
  pen(kLightGrey, 1);
  for (double f : kMinorLinesHz) Line(p, g.FreqToX(f), 0, g.FreqToX(f), h);
  Line(p, kGridSteps * g.Scale() - 1, 0, kGridSteps * g.Scale() - 1, h);
  pen(kLineGrey, 2);
  Line(p, 0, g.DbToY(kGraphTopDb) + 1, w, g.DbToY(kGraphTopDb) + 1);
  Line(p, 0, g.DbToY(kGraphBottomDb), w, g.DbToY(kGraphBottomDb));
  p.end();
  background_ = canvas_.copy();
}

void GraphSurface::RestoreBackground() {
  // Same size and format by construction: a plain copy of the bits, no reallocation.
  if (background_.size() != canvas_.size()) {
    canvas_ = background_.copy();
    return;
  }
  std::memcpy(canvas_.bits(), background_.constBits(),
              static_cast<std::size_t>(background_.sizeInBytes()));
}

void GraphSurface::StrokeCurve(std::span<const QPoint> points, const QColor& colour) {
  if (points.size() < 2) return;
  path_.clear();
  path_.reserve(static_cast<int>(points.size()) * 3 + 1);
  path_.moveTo(points[0]);
  spline_.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    spline_[i] = {static_cast<double>(points[i].x()), static_cast<double>(points[i].y())};
  }
  for (std::size_t i = 0; i + 1 < spline_.size(); ++i) {
    const BezierControls c = CardinalSegment(spline_, i, kCurveTension);
    path_.cubicTo(c.c1.x, c.c1.y, c.c2.x, c.c2.y, spline_[i + 1].x, spline_[i + 1].y);
  }
  QPainter p(&canvas_);
  p.setRenderHint(QPainter::Antialiasing, true);
  // Integer coordinates name pixel centres, as they do for the grid lines.
  p.translate(0.5, 0.5);
  QPen pen(colour, kCurvePenWidth);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawPath(path_);
}

void GraphSurface::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.drawImage(event->rect(), canvas_, event->rect());
}

}  // namespace kdsp
