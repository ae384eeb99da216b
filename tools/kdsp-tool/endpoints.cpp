#include "kdsp-tool/endpoints.h"

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

}  // namespace

std::string Endpoint::Label() const {
  const bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<Endpoint> ParseEndpoint(std::string_view text, int default_port) {
  Endpoint e;
  e.port = default_port;
  std::string_view port_text;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    e.host = std::string(text.substr(1, close - 1));
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port_text = rest.substr(1);
      if (port_text.empty()) return std::nullopt;
    }
  } else if (const std::size_t colon = text.find(':');
             colon != std::string_view::npos &&
             text.find(':', colon + 1) == std::string_view::npos) {
    e.host = std::string(text.substr(0, colon));
    port_text = text.substr(colon + 1);
    if (port_text.empty()) return std::nullopt;
  } else {
    e.host = std::string(text);  // a name, an IPv4 address or a bare IPv6 address
  }
  if (e.host.empty()) return std::nullopt;
  if (!port_text.empty()) {
    const auto port = Number(port_text, 1, 65535);
    if (!port) return std::nullopt;
    e.port = *port;
  }
  return e;
}

ScanTargets ExpandScanTarget(std::string_view target) {
  ScanTargets result;
  const std::size_t slash = target.find('/');
  if (slash == std::string_view::npos) {
    if (target.empty()) {
      result.error = "an empty target";
    } else {
      result.hosts.emplace_back(target);
    }
    return result;
  }
  const auto base = Ipv4(target.substr(0, slash));
  const auto prefix = Number(target.substr(slash + 1), 0, 32);
  if (!base || !prefix) {
    result.error = std::string(target) + " is not an IPv4 range (A.B.C.D/N)";
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
