#include "spectrum/spectrum_readout.h"

#include <algorithm>

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace kdsp {

SpectrumReadout::SpectrumReadout(QWidget* surface, TextAt text_at, QObject* parent)
    : QObject(parent), surface_(surface), text_at_(std::move(text_at)) {
  if (surface_ == nullptr) return;
  surface_->setMouseTracking(true);
  surface_->installEventFilter(this);
  label_ = new QLabel(surface_);
  label_->setObjectName("SpectrumReadout");
  label_->setStyleSheet(QStringLiteral(
      "background: rgba(255, 255, 255, 215); color: black; border: 1px solid #808080;"
      "padding: 1px 4px;"));
  label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  label_->hide();
}

SpectrumReadout::~SpectrumReadout() {
  if (surface_ != nullptr) surface_->removeEventFilter(this);
}

void SpectrumReadout::SetActive(bool active) {
  active_ = active;
  if (!active) Hide();
}

void SpectrumReadout::Hide() {
  if (label_ != nullptr) label_->hide();
}

void SpectrumReadout::Refresh() {
  if (label_ != nullptr && label_->isVisible()) ShowAtPointer();
}

bool SpectrumReadout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == surface_ && label_ != nullptr) {
    if (event->type() == QEvent::MouseMove) {
      hover_ = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (active_) {
        ShowAtPointer();
      } else {
        label_->hide();
      }
    } else if (event->type() == QEvent::Leave) {
      label_->hide();
    }
  }
  return QObject::eventFilter(watched, event);
}

void SpectrumReadout::ShowAtPointer() {
  const QString text = text_at_(hover_);
  if (text.isEmpty()) {
    label_->hide();
    return;
  }
  if (label_->text() != text) {
    label_->setText(text);
    label_->adjustSize();
  }
  QPoint at = hover_ + QPoint(14, 10);
  at.setX(std::min(at.x(), surface_->width() - label_->width()));
  at.setY(std::min(at.y(), surface_->height() - label_->height()));
  label_->move(std::max(0, at.x()), std::max(0, at.y()));
  label_->show();
  label_->raise();
}

}  // namespace kdsp
