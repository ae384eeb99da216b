#include "link/tcp_transport.h"

namespace kdsp {

TcpTransport::TcpTransport(QObject* parent) : QObject(parent), socket_(this) {
  socket_.setReadBufferSize(kReadBuffer);
  connect(&socket_, &QTcpSocket::readyRead, this, &TcpTransport::ReadSome);
  // Frames are small and paced by acknowledgements: send them without delay.
  connect(&socket_, &QTcpSocket::connected, this,
          [this] { socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
  connect(&socket_, &QTcpSocket::errorOccurred, this,
          [this](QAbstractSocket::SocketError error) { last_error_ = error; });
}

void TcpTransport::ReadSome() {
  const QByteArray bytes = socket_.read(kReadChunk);
  if (!bytes.isEmpty()) emit bytesArrived(bytes);
  if (more_posted_ || socket_.bytesAvailable() <= 0) return;
  // More is waiting: it is read at the next turn of the event loop, after whatever else is due.
  more_posted_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        more_posted_ = false;
        ReadSome();
      },
      Qt::QueuedConnection);
}

void TcpTransport::Connect(const QString& host, quint16 port) {
  socket_.abort();
  last_error_ = QAbstractSocket::UnknownSocketError;
  socket_.connectToHost(host, port);
}

void TcpTransport::Disconnect() { socket_.abort(); }

bool TcpTransport::Connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

void TcpTransport::Send(std::span<const std::uint8_t> bytes) {
  if (!Connected()) return;
  socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void TcpTransport::Flush() {
  if (Connected()) socket_.flush();
}

}  // namespace kdsp
