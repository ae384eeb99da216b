#include "app/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <utility>

#include <QSocketNotifier>

namespace kdsp::app {

namespace {

// Written by the handler, read by the event loop; -1 while no instance is installed.
volatile std::sig_atomic_t g_write_fd = -1;
int g_read_fd = -1;

constexpr int kSignals[] = {SIGTERM, SIGINT};

extern "C" void OnTerminationSignal(int signal_number) {
  const int saved_errno = errno;
  const auto byte = static_cast<char>(signal_number);
  // A full pipe means a request is already waiting: nothing is lost by dropping this one.
  const int fd = g_write_fd;
  if (fd >= 0) {
    const ssize_t written = ::write(fd, &byte, 1);
    static_cast<void>(written);
  }
  errno = saved_errno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  int fds[2];
  if (g_write_fd >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
  for (int fd : fds) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  g_read_fd = fds[0];
  g_write_fd = fds[1];
  notifier_ = new QSocketNotifier(g_read_fd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Read);

  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  installed_ = true;
  for (int signal_number : kSignals) {
    if (::sigaction(signal_number, &action, nullptr) != 0) installed_ = false;
  }
}

TerminationSignals::~TerminationSignals() {
  if (notifier_ == nullptr) return;
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int signal_number : kSignals) ::sigaction(signal_number, &action, nullptr);
  const int read_fd = std::exchange(g_read_fd, -1);
  const int write_fd = g_write_fd;
  g_write_fd = -1;
  delete notifier_;
  ::close(read_fd);
  ::close(write_fd);
}

void TerminationSignals::Read() {
  char bytes[16];
  const ssize_t n = ::read(g_read_fd, bytes, sizeof bytes);
  if (n > 0) emit Requested(static_cast<unsigned char>(bytes[n - 1]));
}

}  // namespace kdsp::app
