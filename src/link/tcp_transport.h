#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <cstdint>
#include <span>

#include "link/chunked_reader.h"

namespace kdsp {

/// The TCP client to the box's network module. Connecting does not wait; errors are swallowed
/// (the link's time-outs notice the silence).
class TcpTransport : public QObject {
  Q_OBJECT

 public:
  explicit TcpTransport(QObject* parent = nullptr);

  /// Drops any connection and starts connecting to host:port.
  void Connect(const QString& host, quint16 port);
  void Disconnect();
  bool Connected() const;
  /// The last error of the socket since the last `Connect` (UnknownSocketError: none).
  QAbstractSocket::SocketError LastError() const { return last_error_; }
  /// Sends on a connected socket; on any other nothing is sent and nothing is reported.
  void Send(std::span<const std::uint8_t> bytes);
  /// Hands what is buffered to the system at once (before the program ends).
  void Flush();

  /// Most bytes the socket buffers before it stops reading (the box then has to wait).
  static constexpr qint64 kReadBuffer = 256 * 1024;

 signals:
  /// The connection is up.
  void connected();
  /// The bytes of one read, in arrival order.
  void bytesArrived(const QByteArray& bytes);

 private:
  QTcpSocket socket_;
  ChunkedReader reader_;
  QAbstractSocket::SocketError last_error_ = QAbstractSocket::UnknownSocketError;
};

}  // namespace kdsp
