#include "link/tcp_transport.h"

namespace kdsp {

TcpTransport::TcpTransport(QObject* parent)
    : QObject(parent),
      socket_(this),
      reader_(
          socket_, [this](const QByteArray& bytes) { emit bytesArrived(bytes); }, this) {
  socket_.setReadBufferSize(kReadBuffer);
  // Frames are small and paced by acknowledgements: send them without delay.
  connect(&socket_, &QTcpSocket::connected, this, [this] {
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    emit connected();
  });
  connect(&socket_, &QTcpSocket::errorOccurred, this,
          [this](QAbstractSocket::SocketError error) { last_error_ = error; });
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
