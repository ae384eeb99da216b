#include "boxsim/pty_box_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kdsp::boxsim {

PtyBoxPort::PtyBoxPort(BoxSim& box) : box_(box), session_(box, LinkCom) {}

PtyBoxPort::~PtyBoxPort() { Close(); }

bool PtyBoxPort::Open(std::string* error) {
  Close();
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    Close();
    return false;
  };
  master_fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_fd_ < 0) return fail("posix_openpt");
  if (grantpt(master_fd_) != 0 || unlockpt(master_fd_) != 0) return fail("grantpt");
  char name[128];
  if (ptsname_r(master_fd_, name, sizeof name) != 0) return fail("ptsname");
  slave_fd_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (slave_fd_ < 0) return fail("open slave");
  termios tio{};
  if (tcgetattr(slave_fd_, &tio) != 0) return fail("tcgetattr");
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  cfsetispeed(&tio, B115200);
  cfsetospeed(&tio, B115200);
  if (tcsetattr(slave_fd_, TCSANOW, &tio) != 0) return fail("tcsetattr");
  if (!SetNonBlocking(master_fd_)) return fail("fcntl");
  slave_path_ = name;
  return true;
}

void PtyBoxPort::Close() {
  if (master_fd_ >= 0) close(master_fd_);
  if (slave_fd_ >= 0) close(slave_fd_);
  master_fd_ = slave_fd_ = -1;
  slave_path_.clear();
  unsent_.clear();
}

void PtyBoxPort::AddPollFds(std::vector<pollfd>& fds) {
  if (master_fd_ < 0) return;
  // While the answers pile up the line is not read from, as for a TCP client.
  const short in = session_.Full() ? 0 : POLLIN;
  fds.push_back({master_fd_, static_cast<short>(in | (unsent_.empty() ? 0 : POLLOUT)), 0});
}

void PtyBoxPort::Service(std::span<const pollfd> fds) {
  if (master_fd_ < 0) return;
  if (EventsOf(fds, master_fd_) & POLLIN) {
    std::uint8_t buf[4096];
    ssize_t n;
    while (!session_.Full() && (n = read(master_fd_, buf, sizeof buf)) > 0) {
      session_.Feed(std::span<const std::uint8_t>(buf, static_cast<std::size_t>(n)));
    }
  }
  for (;;) {
    if (unsent_.empty()) {
      auto next = session_.PopDue();
      if (!next) return;
      unsent_ = std::move(*next);
    }
    const ssize_t n = write(master_fd_, unsent_.data(), unsent_.size());
    if (n <= 0) return;  // the line is full: the rest goes at the next turn
    unsent_.erase(unsent_.begin(), unsent_.begin() + n);
  }
}

int PtyBoxPort::TimeoutMs() {
  if (!unsent_.empty()) return -1;  // waits for the line to take it (POLLOUT)
  const std::int64_t wake = session_.NextWakeMs();
  if (wake < 0) return -1;
  return static_cast<int>(std::clamp<std::int64_t>(wake - box_.NowMs(), 0, 60000));
}

}  // namespace kdsp::boxsim
