#include "boxsim/poll_client.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kdsp::boxsim {

bool PollOnce(std::span<PollClient* const> clients, int max_wait_ms) {
  std::vector<pollfd> fds;
  int timeout = max_wait_ms;
  for (PollClient* c : clients) {
    c->AddPollFds(fds);
    const int t = c->TimeoutMs();
    if (t >= 0 && (timeout < 0 || t < timeout)) timeout = t;
  }
  const int n = poll(fds.data(), fds.size(), timeout);
  if (n < 0) {
    if (errno == EINTR) return false;
    for (pollfd& f : fds) f.revents = 0;
  }
  for (PollClient* c : clients) c->Service(fds);
  return true;
}

short EventsOf(std::span<const pollfd> fds, int fd) {
  for (const pollfd& f : fds) {
    if (f.fd == fd) return f.revents;
  }
  return 0;
}

bool SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

Waker::Waker() {
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    read_fd_ = fds[0];
    write_fd_ = fds[1];
  }
}

Waker::~Waker() {
  if (read_fd_ >= 0) close(read_fd_);
  if (write_fd_ >= 0) close(write_fd_);
}

void Waker::Wake() {
  const char byte = 1;
  if (write_fd_ >= 0) (void)!write(write_fd_, &byte, 1);  // a full pipe wakes the loop anyway
}

void Waker::AddPollFds(std::vector<pollfd>& fds) {
  if (read_fd_ >= 0) fds.push_back({read_fd_, POLLIN, 0});
}

void Waker::Service(std::span<const pollfd> fds) {
  if (!(EventsOf(fds, read_fd_) & POLLIN)) return;
  char buf[64];
  while (read(read_fd_, buf, sizeof buf) > 0) {
  }
}

}  // namespace kdsp::boxsim
