#include "boxsim/tcp_box_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kdsp::boxsim {

TcpBoxServer::TcpBoxServer(BoxSim& box, int send_gap_ms) : box_(box), send_gap_ms_(send_gap_ms) {}

TcpBoxServer::~TcpBoxServer() { Close(); }

bool TcpBoxServer::Listen(const std::string& address, int port, std::string* error) {
  Close();
  auto fail = [&](const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    Close();
    return false;
  };
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  if (port < 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
    errno = EINVAL;
    return fail("bad address " + address + ":" + std::to_string(port));
  }
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) return fail("socket");
  const int one = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    return fail("bind " + address + ":" + std::to_string(port));
  }
  if (listen(listen_fd_, SOMAXCONN) != 0) return fail("listen");
  socklen_t len = sizeof addr;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  return true;
}

void TcpBoxServer::Close() {
  for (const auto& c : clients_) close(c->fd);
  clients_.clear();
  if (listen_fd_ >= 0) close(listen_fd_);
  listen_fd_ = -1;
  port_ = 0;
}

void TcpBoxServer::AddPollFds(std::vector<pollfd>& fds) {
  if (listen_fd_ >= 0) fds.push_back({listen_fd_, POLLIN, 0});
  for (const auto& c : clients_) {
    // A client whose answers pile up is not read from until it takes some of them.
    const short in = c->session.Full() ? 0 : POLLIN;
    fds.push_back({c->fd, static_cast<short>(in | (c->unsent.empty() ? 0 : POLLOUT)), 0});
  }
}

void TcpBoxServer::Service(std::span<const pollfd> fds) {
  if (listen_fd_ >= 0 && (EventsOf(fds, listen_fd_) & POLLIN)) Accept();
  std::erase_if(clients_, [&](const std::unique_ptr<Client>& c) {
    const short ev = EventsOf(fds, c->fd);
    bool alive = true;
    if (ev & (POLLIN | POLLHUP | POLLERR)) alive = Receive(*c);
    if (alive) alive = Flush(*c);
    if (!alive) close(c->fd);
    return !alive;
  });
}

int TcpBoxServer::TimeoutMs() {
  int timeout = -1;
  const std::int64_t now = box_.NowMs();
  for (const auto& c : clients_) {
    // A send the socket has not taken yet waits for POLLOUT, not for the clock.
    if (!c->unsent.empty()) continue;
    const std::int64_t wake = c->session.NextWakeMs();
    if (wake < 0) continue;
    const int t = static_cast<int>(std::clamp<std::int64_t>(wake - now, 0, 60000));
    if (timeout < 0 || t < timeout) timeout = t;
  }
  return timeout;
}

void TcpBoxServer::Accept() {
  for (;;) {
    const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    clients_.push_back(
        std::make_unique<Client>(Client{fd, BoxSession(box_, LinkTcp, send_gap_ms_), {}}));
  }
}

bool TcpBoxServer::Receive(Client& c) {
  std::uint8_t buf[4096];
  while (!c.session.Full()) {
    const ssize_t n = recv(c.fd, buf, sizeof buf, 0);
    if (n > 0) {
      c.session.Feed(std::span<const std::uint8_t>(buf, static_cast<std::size_t>(n)));
      continue;
    }
    if (n == 0) return false;  // the console closed the connection
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
  }
  return true;
}

bool TcpBoxServer::Flush(Client& c) {
  for (;;) {
    if (c.unsent.empty()) {
      auto next = c.session.PopDue();
      if (!next) return true;
      c.unsent = std::move(*next);
    }
    const ssize_t n = send(c.fd, c.unsent.data(), c.unsent.size(), MSG_NOSIGNAL);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    c.unsent.erase(c.unsent.begin(), c.unsent.begin() + n);
    if (!c.unsent.empty()) return true;  // the rest goes when the socket takes it
  }
}

}  // namespace kdsp::boxsim
