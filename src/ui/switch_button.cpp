#include "ui/switch_button.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

namespace kdsp::ui {

namespace {

const QColor kOrange(243, 152, 0);
const QColor kPaleOrange(245, 199, 122);
const QColor kLine(216, 216, 216);
const QColor kDisabledGlyph(184, 184, 184);

/// Colours of one picture: ground, border and glyph.
struct Picture {
  QColor ground, border, glyph;
};

Picture PictureOf(bool pressed, bool enabled) {
  if (pressed) return {enabled ? kOrange : kPaleOrange, enabled ? kOrange : kPaleOrange, Qt::white};
  return {Qt::white, enabled ? kOrange : kLine, enabled ? kOrange : kDisabledGlyph};
}

/// A small loudspeaker in `box` (its height sets the size); crossed out when `muted`.
void DrawSpeaker(QPainter& p, const QRectF& box, const QColor& colour, bool muted) {
  const qreal s = box.height();
  const qreal x = box.left();
  const qreal y = box.top();
  QPainterPath body;
  body.moveTo(x, y + 0.35 * s);
  body.lineTo(x + 0.25 * s, y + 0.35 * s);
  body.lineTo(x + 0.55 * s, y + 0.08 * s);
  body.lineTo(x + 0.55 * s, y + 0.92 * s);
  body.lineTo(x + 0.25 * s, y + 0.65 * s);
  body.lineTo(x, y + 0.65 * s);
  body.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(body);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(colour, std::max<qreal>(1.2, s / 9), Qt::SolidLine, Qt::RoundCap));
  if (muted) {
    p.drawLine(QPointF(x + 0.68 * s, y + 0.32 * s), QPointF(x + 0.98 * s, y + 0.68 * s));
    p.drawLine(QPointF(x + 0.68 * s, y + 0.68 * s), QPointF(x + 0.98 * s, y + 0.32 * s));
  } else {
    p.drawArc(QRectF(x + 0.45 * s, y + 0.25 * s, 0.4 * s, 0.5 * s), -50 * 16, 100 * 16);
    p.drawArc(QRectF(x + 0.45 * s, y + 0.08 * s, 0.6 * s, 0.84 * s), -50 * 16, 100 * 16);
  }
}

}  // namespace

SwitchButton::SwitchButton(Kind kind, QWidget* parent) : PictureButton(parent), kind_(kind) {
  SetLook(Look::kReleased);
  SetHint(QStringLiteral("0"));
}

void SwitchButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, true);
  const bool pressed = CurrentLook() == Look::kPressed;
  const Picture pic = PictureOf(pressed, isEnabled());
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(pic.border, 1));
  p.setBrush(pic.ground);
  p.drawRoundedRect(frame, 3, 3);

  if (kind_ == Kind::kPhase) {
    // "+" in phase, "−" inverted.
    const qreal arm = std::min(width(), height()) * 0.26;
    const QPointF c = frame.center();
    p.setPen(QPen(pic.glyph, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
    if (!pressed) p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
    return;
  }

  const qreal s = std::min<qreal>(height() * 0.55, 13);
  const QString caption = text();
  const QFontMetrics fm(font());
  const qreal text_width = caption.isEmpty() ? 0 : fm.horizontalAdvance(caption) + 3;
  const qreal left = std::max<qreal>(2, (width() - s - text_width) / 2);
  DrawSpeaker(p, QRectF(left, (height() - s) / 2, s, s), pic.glyph, pressed);
  if (!caption.isEmpty()) {
    p.setPen(pic.glyph);
    p.drawText(QRectF(left + s + 3, 0, width() - left - s - 3, height()),
               Qt::AlignLeft | Qt::AlignVCenter, caption);
  }
}

}  // namespace kdsp::ui
