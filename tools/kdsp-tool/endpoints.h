#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdsp::tool {

/// The box's network module listens here unless told otherwise.
inline constexpr int kDefaultBoxPort = 8899;
/// The widest range `scan` takes: a /16, 65536 addresses.
inline constexpr int kWidestScanPrefix = 16;

/// A box on the network.
struct Endpoint {
  std::string host;
  int port = kDefaultBoxPort;
  /// "host:port", IPv6 addresses in brackets.
  std::string Label() const;
  bool operator==(const Endpoint&) const = default;
};

/// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT" (a bare IPv6 address has no port); nothing for
/// an empty host or a port outside 1..65535.
std::optional<Endpoint> ParseEndpoint(std::string_view text, int default_port = kDefaultBoxPort);

/// The addresses a scan target stands for: a host or address as it is, or the addresses of an
/// IPv4 range "A.B.C.D/N" (network and broadcast addresses left out for N up to 30). `error`
/// tells why a target is refused (a range wider than /16, a malformed range).
struct ScanTargets {
  std::vector<std::string> hosts;
  std::string error;
};
ScanTargets ExpandScanTarget(std::string_view target);

}  // namespace kdsp::tool
