#include "kdsp-tool/stop_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kdsp::tool {

namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

// The write end of the live object's socket pair; the handler may touch nothing else.
volatile std::sig_atomic_t g_write_fd = -1;

extern "C" void OnStopSignal(int signo) {
  const int saved = errno;
  const int fd = g_write_fd;
  if (fd >= 0) {
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) return;
  // A flood of signals must never block the handler.
  ::fcntl(fds_[0], F_SETFL, ::fcntl(fds_[0], F_GETFL) | O_NONBLOCK);
  ::fcntl(fds_[1], F_SETFL, ::fcntl(fds_[1], F_GETFL) | O_NONBLOCK);
  g_write_fd = fds_[0];
  notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignals::Read);
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
}

StopSignals::~StopSignals() {
  if (fds_[0] < 0) return;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
  g_write_fd = -1;
  notifier_.reset();
  ::close(fds_[0]);
  ::close(fds_[1]);
}

const char* StopSignals::Name(int signo) {
  switch (signo) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "a signal";
  }
}

void StopSignals::Read() {
  char bytes[16];
  const ssize_t n = ::read(fds_[1], bytes, sizeof bytes);
  for (ssize_t i = 0; i < n; ++i) {
    const int signo = static_cast<unsigned char>(bytes[i]);
    if (first_ == 0) first_ = signo;
    emit stopRequested(signo);
  }
}

}  // namespace kdsp::tool
