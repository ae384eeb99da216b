#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <memory>

namespace kdsp::tool {

/// SIGINT, SIGTERM and SIGHUP turned into a Qt signal while an object of this class lives.
/// The handler only writes the signal's number into one end of a socket pair; the event loop
/// reads it from the other end and emits `stopRequested`, so everything that follows runs on
/// the main thread as any other event. The previous handlers come back on destruction.
/// One object at a time.
class StopSignals : public QObject {
  Q_OBJECT

 public:
  explicit StopSignals(QObject* parent = nullptr);
  ~StopSignals() override;
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  /// The first signal received, 0 before any.
  int First() const { return first_; }
  /// "SIGINT", "SIGTERM", "SIGHUP".
  static const char* Name(int signo);

 signals:
  void stopRequested(int signo);

 private:
  void Read();

  int fds_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
  struct sigaction previous_[3] = {};
  int first_ = 0;
};

}  // namespace kdsp::tool
