#include "link/chunked_reader.h"

namespace kdsp {

ChunkedReader::ChunkedReader(QIODevice& device, std::function<void(const QByteArray&)> deliver,
                             QObject* parent)
    : QObject(parent), device_(device), deliver_(std::move(deliver)) {
  connect(&device_, &QIODevice::readyRead, this, &ChunkedReader::ReadSome);
}

void ChunkedReader::ReadSome() {
  if (!device_.isOpen()) return;
  const QByteArray bytes = device_.read(kReadChunk);
  if (!bytes.isEmpty()) deliver_(bytes);
  // Delivering may have closed the device (a lost link).
  if (more_posted_ || !device_.isOpen() || device_.bytesAvailable() <= 0) return;
  more_posted_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        more_posted_ = false;
        ReadSome();
      },
      Qt::QueuedConnection);
}

}  // namespace kdsp
