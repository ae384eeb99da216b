#pragma once

#include <QObject>

class QSocketNotifier;

namespace kdsp::app {

/// SIGTERM and SIGINT end the console as a close of its window does. The signal handler only
/// writes a byte into a socket pair; the event loop reads it and emits `Requested`, so that
/// the close (and the farewell to the box) runs on the window's thread, not in the handler.
/// One instance per process.
class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  /// False when the socket pair or the handlers could not be set up.
  bool Installed() const { return installed_; }

 signals:
  /// SIGTERM or SIGINT arrived.
  void Requested(int signal_number);

 private:
  void Read();

  QSocketNotifier* notifier_ = nullptr;
  bool installed_ = false;
};

}  // namespace kdsp::app
