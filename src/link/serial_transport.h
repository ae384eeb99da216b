#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/chunked_reader.h"

namespace kdsp {

class LinkLog;

/// The serial port to the box: 115200 baud, 8 data bits, no parity, 1 stop bit, no flow
/// control, DTR and RTS on. An open failure is swallowed.
class SerialTransport : public QObject {
  Q_OBJECT

 public:
  explicit SerialTransport(LinkLog& log, QObject* parent = nullptr);

  /// Closes the port if open and opens `name` (a device path such as /dev/ttyUSB0).
  bool Open(const QString& name);
  void Close();
  bool IsOpen() const { return port_.isOpen(); }
  QString Name() const { return port_.portName(); }
  /// Writes to the open port; nothing happens when it is closed.
  void Send(std::span<const std::uint8_t> bytes);
  /// Waits briefly until buffered bytes are written (before the program ends).
  void Flush();

  /// The serial devices the system lists now, as device paths sorted as text.
  static std::vector<std::string> SystemPorts();

 signals:
  void bytesArrived(const QByteArray& bytes);
  /// The open port went away (an adapter pulled out); it has been closed.
  void portLost();

 private:
  LinkLog& log_;
  QSerialPort port_;
  ChunkedReader reader_;
};

}  // namespace kdsp
