#pragma once

#include <poll.h>

#include <span>
#include <vector>

namespace kdsp::boxsim {

/// Something that lives in the box's poll() loop: it names the descriptors it waits on, gets a
/// turn after every poll (with or without events of its own) and says how long the loop may
/// sleep before it needs the next turn.
class PollClient {
 public:
  virtual ~PollClient() = default;
  virtual void AddPollFds(std::vector<pollfd>& fds) = 0;
  /// Services this client's descriptors among `fds` (found by number) and any due work.
  virtual void Service(std::span<const pollfd> fds) = 0;
  /// Milliseconds until this client needs a turn without an event; -1 for never.
  virtual int TimeoutMs() = 0;
};

/// One round of the loop: polls every client's descriptors for at most `max_wait_ms` (-1:
/// as long as the clients allow), then gives each client its turn. Returns false when poll()
/// was interrupted by a signal.
bool PollOnce(std::span<PollClient* const> clients, int max_wait_ms);

/// Finds the events reported for `fd`; 0 when it was not polled or had none.
short EventsOf(std::span<const pollfd> fds, int fd);

/// Puts a descriptor in non-blocking mode; false on failure.
bool SetNonBlocking(int fd);

/// A pipe that wakes the loop from another thread.
class Waker : public PollClient {
 public:
  Waker();
  ~Waker() override;
  Waker(const Waker&) = delete;
  Waker& operator=(const Waker&) = delete;
  bool Ok() const { return read_fd_ >= 0; }
  void Wake();
  void AddPollFds(std::vector<pollfd>& fds) override;
  void Service(std::span<const pollfd> fds) override;
  int TimeoutMs() override { return -1; }

 private:
  int read_fd_ = -1;
  int write_fd_ = -1;
};

}  // namespace kdsp::boxsim
