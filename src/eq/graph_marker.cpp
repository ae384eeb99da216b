#include "eq/graph_marker.h"

#include <QPainter>

namespace kdsp {

namespace {

const QColor kMarkerOrange(243, 151, 0);

/// The disc, drawn once for all markers.
const QPixmap& DiscPicture() {
  static const QPixmap picture = [] {
    QPixmap pm(GraphMarker::kSize, GraphMarker::kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kMarkerOrange);
    p.drawEllipse(QRectF(0, 0, GraphMarker::kSize, GraphMarker::kSize));
    return pm;
  }();
  return picture;
}

}  // namespace

GraphMarker::GraphMarker(int tag, QWidget* parent) : QWidget(parent), tag_(tag) {
  setObjectName(tag < 20 ? QStringLiteral("EP%1").arg(tag + 1)
                         : QString::fromLatin1(tag == 20 ? "HPF" : "LPF"));
  resize(kSize, kSize);
  setAttribute(Qt::WA_NoSystemBackground, true);
}

void GraphMarker::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, DiscPicture());
}

}  // namespace kdsp
