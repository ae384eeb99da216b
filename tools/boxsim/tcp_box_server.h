#pragma once

#include <memory>
#include <string>
#include <vector>

#include "boxsim/box_session.h"
#include "boxsim/poll_client.h"

namespace kdsp::boxsim {

/// The box's network module: a TCP listener whose every client gets its own session on the
/// shared box. One frame or acknowledgement per send, TCP_NODELAY on, and a short pause
/// between sends so that each answer reaches the console in a read of its own.
class TcpBoxServer : public PollClient {
 public:
  static constexpr int kSendGapMs = kTcpSendGapMs;

  /// `send_gap_ms`: least pause between two sends to one client.
  explicit TcpBoxServer(BoxSim& box, int send_gap_ms = kSendGapMs);
  ~TcpBoxServer() override;
  TcpBoxServer(const TcpBoxServer&) = delete;
  TcpBoxServer& operator=(const TcpBoxServer&) = delete;

  /// Listens on `address`:`port` (port 0: any free port). On failure returns false with the
  /// reason in `error`.
  bool Listen(const std::string& address, int port, std::string* error);
  /// The port actually listened on; 0 before `Listen`.
  int Port() const { return port_; }
  std::size_t ClientCount() const { return clients_.size(); }
  /// Closes the listener and every client.
  void Close();

  void AddPollFds(std::vector<pollfd>& fds) override;
  void Service(std::span<const pollfd> fds) override;
  int TimeoutMs() override;

 private:
  struct Client {
    int fd;
    BoxSession session;
    Bytes unsent;
  };
  void Accept();
  bool Receive(Client& c);
  bool Flush(Client& c);

  BoxSim& box_;
  int send_gap_ms_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::vector<std::unique_ptr<Client>> clients_;
};

}  // namespace kdsp::boxsim
