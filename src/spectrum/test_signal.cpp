#include "spectrum/test_signal.h"

#include <QEvent>
#include <QWidget>

namespace kdsp {

TestSignal::TestSignal(QWidget* window, QObject* parent)
    : QObject(parent), window_(window), noise_(std::make_unique<NoisePlayer>()) {
  if (window_ != nullptr) window_->installEventFilter(this);
}

TestSignal::~TestSignal() {
  noise_->Stop();
  if (window_ != nullptr) window_->removeEventFilter(this);
}

bool TestSignal::Start(const QByteArray& output_id, double level_dbfs) {
  return noise_->Start(output_id, level_dbfs);
}

bool TestSignal::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Close) noise_->Stop();
  return QObject::eventFilter(watched, event);
}

}  // namespace kdsp
