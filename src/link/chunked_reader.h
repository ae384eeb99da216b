#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QObject>
#include <functional>

namespace kdsp {

/// Reads a socket or port in bounded pieces and hands each on; when more is waiting, the next
/// piece is read at the next turn of the event loop, so that a box flooding the console cannot
/// hold up its timers and repaints.
class ChunkedReader : public QObject {
 public:
  /// Most bytes handed on per turn of the event loop.
  static constexpr qint64 kReadChunk = 16 * 1024;

  ChunkedReader(QIODevice& device, std::function<void(const QByteArray&)> deliver,
                QObject* parent = nullptr);

  /// Reads one piece; connected to the device's readyRead.
  void ReadSome();

 private:
  QIODevice& device_;
  std::function<void(const QByteArray&)> deliver_;
  bool more_posted_ = false;
};

}  // namespace kdsp
