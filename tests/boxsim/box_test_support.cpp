#include "box_test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace kdsp::boxsim::testing {

std::vector<int> WordsOf(std::span<const std::uint8_t> frame) {
  std::vector<int> words;
  for (std::size_t i = 6; i + 2 < frame.size(); i += 2)
    words.push_back(frame[i] | frame[i + 1] << 8);
  return words;
}

std::string TextOf(std::span<const std::uint8_t> frame) {
  if (frame.size() < 7) return {};
  return std::string(frame.begin() + 6, frame.end() - 1);
}

bool ChecksumOk(std::span<const std::uint8_t> frame) {
  return !frame.empty() && FrameChecksum(frame, frame.size()) == frame.back();
}

std::optional<Bytes> MessageReader::Next() {
  std::size_t size = 0;
  if (buffer_.size() >= 2 && buffer_[0] == kAckLead) {
    size = 2;
  } else if (buffer_.size() >= 3 && buffer_[0] == kFrameHeader) {
    size = buffer_[2] + 3u;
  } else if (!buffer_.empty() && buffer_[0] != kAckLead && buffer_[0] != kFrameHeader) {
    size = 1;  // junk: hand it over alone so that a test sees it
  }
  if (size == 0 || buffer_.size() < size) return std::nullopt;
  Bytes out(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(size));
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(size));
  return out;
}

Line::~Line() {
  if (fd_ >= 0) close(fd_);
}

void Line::Write(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

std::optional<Bytes> Line::ReadOnce(int timeout_ms) {
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, timeout_ms) <= 0) return std::nullopt;
  std::uint8_t buf[1024];
  const ssize_t n = read(fd_, buf, sizeof buf);
  if (n <= 0) return std::nullopt;
  return Bytes(buf, buf + n);
}

std::optional<Bytes> Line::Next(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (auto message = reader_.Next()) return message;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    auto bytes = ReadOnce(static_cast<int>(left.count()));
    if (!bytes) return std::nullopt;
    reader_.Add(*bytes);
  }
}

int ConnectLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

int OpenSerial(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return -1;
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, B115200);
  cfsetospeed(&tio, B115200);
  tcsetattr(fd, TCSANOW, &tio);
  return fd;
}

}  // namespace kdsp::boxsim::testing
