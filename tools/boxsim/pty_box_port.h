#pragma once

#include <string>
#include <vector>

#include "boxsim/box_session.h"
#include "boxsim/poll_client.h"

namespace kdsp::boxsim {

/// The box's serial port as a pseudo-terminal: the console opens the slave path like any
/// serial device (115200 8N1 and raw mode are accepted as set), the box works the master side.
class PtyBoxPort : public PollClient {
 public:
  explicit PtyBoxPort(BoxSim& box);
  ~PtyBoxPort() override;
  PtyBoxPort(const PtyBoxPort&) = delete;
  PtyBoxPort& operator=(const PtyBoxPort&) = delete;

  /// Creates the pseudo-terminal; false with the reason in `error` on failure.
  bool Open(std::string* error);
  void Close();
  /// Path of the slave side, e.g. "/dev/pts/7"; empty before `Open`.
  const std::string& SlavePath() const { return slave_path_; }

  void AddPollFds(std::vector<pollfd>& fds) override;
  void Service(std::span<const pollfd> fds) override;
  int TimeoutMs() override;

 private:
  BoxSim& box_;
  BoxSession session_;
  int master_fd_ = -1;
  // Held open so that the master never sees a hang-up while no console has the port open.
  int slave_fd_ = -1;
  std::string slave_path_;
  Bytes unsent_;
};

}  // namespace kdsp::boxsim
