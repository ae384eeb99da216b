#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "boxsim/box_session.h"
#include "boxsim/box_sim.h"

namespace kdsp::boxsim {

class TcpBoxServer;
class PtyBoxPort;
class Waker;

struct ServerOptions {
  bool tcp = true;
  int tcp_port = 0;  ///< 0: any free port
  std::string bind_address = "127.0.0.1";
  bool pty = false;
  int send_gap_ms = kTcpSendGapMs;  ///< least pause between two TCP sends to one client
};

/// The emulated box served from a background thread of the calling process, for tests and the
/// console's demonstration mode. The box is reached through `Box()` at any time (it locks
/// itself); `Stop` (or the destructor) closes every connection and joins the thread.
class BoxServerThread {
 public:
  /// Serves a factory-fresh box of its own.
  BoxServerThread();
  /// Serves `box`, which must outlive the server.
  explicit BoxServerThread(BoxSim& box);
  ~BoxServerThread();
  BoxServerThread(const BoxServerThread&) = delete;
  BoxServerThread& operator=(const BoxServerThread&) = delete;

  /// Opens the listener and/or the pseudo-terminal and starts the thread. False (with
  /// `Error()`) when something could not be opened; nothing runs then.
  bool Start(const ServerOptions& options = {});
  void Stop();
  bool Running() const { return thread_.joinable(); }

  /// The TCP port listened on (0 without TCP) and the serial device path (empty without pty).
  int Port() const { return port_; }
  const std::string& PtyPath() const { return pty_path_; }
  const std::string& Error() const { return error_; }
  BoxSim& Box() { return *box_; }

 private:
  void Run();

  std::unique_ptr<BoxSim> own_box_;
  BoxSim* box_;
  std::unique_ptr<TcpBoxServer> tcp_;
  std::unique_ptr<PtyBoxPort> pty_;
  std::unique_ptr<Waker> waker_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  int port_ = 0;
  std::string pty_path_;
  std::string error_;
};

}  // namespace kdsp::boxsim
