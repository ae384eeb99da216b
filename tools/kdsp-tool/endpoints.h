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
/// a port outside 1..65535 or a host that is no IPv4 address, no IPv6 address and no DNS name
/// (a URL, a range, spaces, a second port).
std::optional<Endpoint> ParseEndpoint(std::string_view text, int default_port = kDefaultBoxPort);

/// Why `text` is no endpoint, for the usage message; empty when it is one.
std::string EndpointError(std::string_view text);

/// The addresses a scan target stands for: a host or address as it is (also HOST:PORT, the
/// form a scan prints), or the addresses of an IPv4 range "A.B.C.D/N" (network and broadcast
/// addresses left out for N up to 30). `port` is the port the target names, if it names one.
/// `error` tells why a target is refused (a range wider than /16, a malformed range or host).
struct ScanTargets {
  std::vector<std::string> hosts;
  std::optional<int> port;
  std::string error;
};
ScanTargets ExpandScanTarget(std::string_view target);

}  // namespace kdsp::tool
