#include "kdsp-tool/endpoints.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kdsp::tool {

namespace {

std::optional<int> Number(std::string_view text, int lo, int hi) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < lo || value > hi) return std::nullopt;
  return value;
}

std::optional<std::uint32_t> Ipv4(std::string_view text) {
  std::uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = part < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return std::nullopt;
    const auto octet = Number(text.substr(0, dot), 0, 255);
    if (!octet) return std::nullopt;
    address = (address << 8) | static_cast<std::uint32_t>(*octet);
    text = part < 3 ? text.substr(dot + 1) : std::string_view();
  }
  return address;
}

std::string Ipv4Text(std::uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." +
         std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255);
}

bool Ipv6(const std::string& text) {
  in6_addr address{};
  return inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

/// A DNS name: dot-separated labels of letters, digits and hyphens, no label empty, longer
/// than 63 or starting or ending with a hyphen. A name of digits and dots alone must be an
/// IPv4 address ("10.0.0.256" is neither).
bool DnsName(std::string_view text) {
  if (text.empty() || text.size() > 253) return false;
  if (text.back() == '.') text.remove_suffix(1);  // the root's dot
  bool all_digits = true;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t dot = std::min(text.find('.', start), text.size());
    const std::string_view label = text.substr(start, dot - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
      return false;
    }
    for (const char ch : label) {
      const auto c = static_cast<unsigned char>(ch);
      if (!std::isalnum(c) && ch != '-') return false;
      if (!std::isdigit(c)) all_digits = false;
    }
    start = dot + 1;
  }
  return !all_digits || Ipv4(text).has_value();
}

/// Why `host` (without its port) names no machine; empty when it does.
std::string HostError(const std::string& host, bool bracketed) {
  if (host.empty()) return "an empty host";
  if (bracketed || host.find(':') != std::string::npos) {
    if (Ipv6(host)) return {};
    if (host.find("://") != std::string::npos) return "a URL, not a host";
    return bracketed ? "no IPv6 address in the brackets" : "more than one port";
  }
  if (host.find('/') != std::string::npos) return "a range, not a host (scan takes ranges)";
  if (host.find_first_of(" \t") != std::string::npos) return "a host name has no spaces";
  if (!DnsName(host)) return "not an address or a host name";
  return {};
}

struct Split {
  Endpoint endpoint;
  std::string error;
  bool port_given = false;
};

Split SplitEndpoint(std::string_view text, int default_port) {
  Split s;
  Endpoint& e = s.endpoint;
  e.port = default_port;
  std::string_view port_text;
  bool bracketed = false;
  if (!text.empty() && text.front() == '[') {
    bracketed = true;
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) {
      s.error = "no closing bracket";
      return s;
    }
    e.host = std::string(text.substr(1, close - 1));
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') {
        s.error = "text after the brackets";
        return s;
      }
      port_text = rest.substr(1);
      if (port_text.empty()) {
        s.error = "an empty port";
        return s;
      }
    }
  } else if (const std::size_t colon = text.find(':');
             colon != std::string_view::npos &&
             text.find(':', colon + 1) == std::string_view::npos) {
    e.host = std::string(text.substr(0, colon));
    port_text = text.substr(colon + 1);
    if (port_text.empty()) {
      s.error = "an empty port";
      return s;
    }
  } else {
    e.host = std::string(text);  // a name, an IPv4 address or a bare IPv6 address
  }
  s.error = HostError(e.host, bracketed);
  if (!s.error.empty()) return s;
  if (!port_text.empty()) {
    const auto port = Number(port_text, 1, 65535);
    if (!port) {
      s.error = "the port is not 1..65535";
      return s;
    }
    e.port = *port;
    s.port_given = true;
  }
  return s;
}

}  // namespace

std::string Endpoint::Label() const {
  const bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<Endpoint> ParseEndpoint(std::string_view text, int default_port) {
  Split s = SplitEndpoint(text, default_port);
  if (!s.error.empty()) return std::nullopt;
  return std::move(s.endpoint);
}

std::string EndpointError(std::string_view text) {
  const Split s = SplitEndpoint(text, kDefaultBoxPort);
  if (s.error.empty()) return {};
  return std::string(text) + " is not HOST or HOST:PORT (port 1..65535): " + s.error;
}

ScanTargets ExpandScanTarget(std::string_view target) {
  ScanTargets result;
  const std::size_t slash = target.find('/');
  if (slash == std::string_view::npos) {
    if (target.empty()) {
      result.error = "an empty target";
      return result;
    }
    const Split s = SplitEndpoint(target, kDefaultBoxPort);
    if (!s.error.empty()) {
      result.error = EndpointError(target);
      return result;
    }
    result.hosts.push_back(s.endpoint.host);
    if (s.port_given) result.port = s.endpoint.port;
    return result;
  }
  const auto base = Ipv4(target.substr(0, slash));
  const auto prefix = Number(target.substr(slash + 1), 0, 32);
  if (!base || !prefix) {
    result.error = std::string(target) + " is not HOST[:PORT] nor an IPv4 range (A.B.C.D/N)";
    return result;
  }
  if (*prefix < kWidestScanPrefix) {
    result.error = std::string(target) + " is wider than /" + std::to_string(kWidestScanPrefix) +
                   " and is refused";
    return result;
  }
  const std::uint32_t mask = *prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - *prefix);
  const std::uint32_t first = *base & mask;
  const std::uint32_t last = first | ~mask;
  // The network and broadcast addresses of a range hold no box.
  const std::uint32_t skip = *prefix <= 30 ? 1 : 0;
  for (std::uint64_t a = first + skip; a + skip <= last; ++a) {
    result.hosts.push_back(Ipv4Text(static_cast<std::uint32_t>(a)));
  }
  return result;
}

}  // namespace kdsp::tool
