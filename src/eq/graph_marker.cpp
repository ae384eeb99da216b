#include "eq/graph_marker.h"

#include <QPainter>

namespace kdsp {

namespace {

const QColor kMarkerOrange(243, 151, 0);
// The grey of a graph that cannot be edited (the curve of an automatic output).
const QColor kMarkerGrey(172, 172, 172);

}  // namespace

GraphMarker::GraphMarker(int tag, QWidget* parent) : QWidget(parent), tag_(tag) {
  setObjectName(tag < 20 ? QStringLiteral("EP%1").arg(tag + 1)
                         : QString::fromLatin1(tag == 20 ? "HPF" : "LPF"));
  resize(kSize, kSize);
  setAttribute(Qt::WA_NoSystemBackground, true);
}

void GraphMarker::SetMuted(bool muted) {
  if (muted == muted_) return;
  muted_ = muted;
  update();
}

QColor GraphMarker::ShownColour() const {
  return isEnabled() && !muted_ ? kMarkerOrange : kMarkerGrey;
}

void GraphMarker::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(ShownColour());
  p.drawEllipse(QRectF(0, 0, kSize, kSize));
}

}  // namespace kdsp
