#include "boxsim/box_server_thread.h"

#include <vector>

#include "boxsim/poll_client.h"
#include "boxsim/pty_box_port.h"
#include "boxsim/tcp_box_server.h"

namespace kdsp::boxsim {

BoxServerThread::BoxServerThread() : own_box_(std::make_unique<BoxSim>()), box_(own_box_.get()) {}

BoxServerThread::BoxServerThread(BoxSim& box) : box_(&box) {}

BoxServerThread::~BoxServerThread() { Stop(); }

bool BoxServerThread::Start(const ServerOptions& options) {
  Stop();
  error_.clear();
  waker_ = std::make_unique<Waker>();
  if (!waker_->Ok()) {
    error_ = "cannot create the wake-up pipe";
    return false;
  }
  if (options.tcp) {
    tcp_ = std::make_unique<TcpBoxServer>(*box_, options.send_gap_ms);
    if (!tcp_->Listen(options.bind_address, options.tcp_port, &error_)) {
      tcp_.reset();
      return false;
    }
    port_ = tcp_->Port();
  }
  if (options.pty) {
    pty_ = std::make_unique<PtyBoxPort>(*box_);
    if (!pty_->Open(&error_)) {
      pty_.reset();
      tcp_.reset();
      port_ = 0;
      return false;
    }
    pty_path_ = pty_->SlavePath();
  }
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void BoxServerThread::Stop() {
  if (thread_.joinable()) {
    stop_ = true;
    waker_->Wake();
    thread_.join();
  }
  tcp_.reset();
  pty_.reset();
  waker_.reset();
  port_ = 0;
  pty_path_.clear();
}

void BoxServerThread::Run() {
  std::vector<PollClient*> clients{waker_.get()};
  if (tcp_) clients.push_back(tcp_.get());
  if (pty_) clients.push_back(pty_.get());
  while (!stop_) PollOnce(clients, 1000);
}

}  // namespace kdsp::boxsim
