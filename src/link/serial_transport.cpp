#include "link/serial_transport.h"

#include <QSerialPortInfo>
#include <algorithm>

#include "link/core/link_texts.h"
#include "link/link_log.h"

namespace kdsp {

namespace {

// The farewell at close is nine bytes; at 115200 baud they are out within a millisecond.
constexpr int kFlushWaitMs = 100;

}  // namespace

SerialTransport::SerialTransport(LinkLog& log, QObject* parent)
    : QObject(parent),
      log_(log),
      port_(this),
      reader_(port_, [this](const QByteArray& bytes) { emit bytesArrived(bytes); }, this) {
  connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
    if (e == QSerialPort::WriteError) {
      log_.AddError(kLogWriteError, port_.errorString(), static_cast<unsigned>(e));
    } else if (e == QSerialPort::ResourceError && port_.isOpen()) {
      // The device is gone: writing on would only fail again and again.
      log_.AddError(kLogReadError, port_.errorString(), static_cast<unsigned>(e));
      Close();
      emit portLost();
    }
  });
}

bool SerialTransport::Open(const QString& name) {
  Close();
  if (name.isEmpty()) return false;
  port_.setPortName(name);
  port_.setBaudRate(QSerialPort::Baud115200);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  if (!port_.open(QIODevice::ReadWrite)) {
    port_.clearError();
    return false;
  }
  // Some lines (pseudo-terminals among them) have no modem lines; that is no failure.
  port_.setDataTerminalReady(true);
  port_.setRequestToSend(true);
  port_.clearError();
  return true;
}

void SerialTransport::Close() {
  if (port_.isOpen()) port_.close();
  port_.clearError();
}

void SerialTransport::Send(std::span<const std::uint8_t> bytes) {
  if (!port_.isOpen()) return;
  port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void SerialTransport::Flush() {
  if (port_.isOpen() && port_.bytesToWrite() > 0) port_.waitForBytesWritten(kFlushWaitMs);
}

std::vector<std::string> SerialTransport::SystemPorts() {
  std::vector<std::string> names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    names.push_back(info.systemLocation().toStdString());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace kdsp
