#include "boxsim/fault.h"

#include <array>
#include <charconv>

namespace kdsp::boxsim {
namespace {

struct FaultInfo {
  FaultKind kind;
  std::string_view name;
  int default_value;
  std::string_view help;
};

constexpr std::array<FaultInfo, 10> kFaults = {{
    {FaultKind::kDrop, "drop", 1, "drop N[@K]      leave the next N answers unsent"},
    {FaultKind::kCorrupt, "corrupt", 1,
     "corrupt N[@K]   spoil the checksum of the next N answer frames"},
    {FaultKind::kSplit, "split", 1,
     "split N[@K]     send each of the next N answer frames in two sends (TCP, serial)"},
    {FaultKind::kMerge, "merge", 1,
     "merge N[@K]     send the next N pairs of answers in one send each (TCP, serial)"},
    {FaultKind::kSilent, "silent", 0,
     "silent MS[@K]   hear and answer nothing for MS ms; 0 = until 'back'"},
    {FaultKind::kResume, "back", 0, "back[@K]        come back from silence"},
    {FaultKind::kDelay, "delay", 0, "delay MS[@K]    answer MS ms late from then on; 0 = on time"},
    {FaultKind::kKey, "key", 7, "key V[@K]       turn the music key to V (0..14) at the panel"},
    {FaultKind::kStray, "stray", 1,
     "stray N[@K]     send a stray frame header before each of the next N answers (TCP, serial)"},
    {FaultKind::kSlow, "slow", 0,
     "slow MS[@K]     ignore a request arriving sooner than MS ms after the last answer; 0 = off"},
}};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

template <typename T>
bool ParseNumber(std::string_view s, T& out) {
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size() && out >= 0;
}

}  // namespace

std::string_view FaultName(FaultKind kind) {
  for (const FaultInfo& f : kFaults) {
    if (f.kind == kind) return f.name;
  }
  return "?";
}

std::optional<ScheduledFault> ParseFault(std::string_view name, std::string_view arg) {
  name = Trim(name);
  arg = Trim(arg);
  if (name.starts_with("--")) name.remove_prefix(2);
  for (const FaultInfo& f : kFaults) {
    if (f.name != name) continue;
    ScheduledFault out{{f.kind, f.default_value}, 0};
    std::string_view value = arg;
    if (const std::size_t at = arg.find('@'); at != std::string_view::npos) {
      value = arg.substr(0, at);
      if (!ParseNumber(arg.substr(at + 1), out.after_frames)) return std::nullopt;
    }
    if (!value.empty() && !ParseNumber(value, out.fault.value)) return std::nullopt;
    if (f.kind == FaultKind::kKey && out.fault.value > 14) return std::nullopt;
    return out;
  }
  return std::nullopt;
}

std::optional<ScheduledFault> ParseFaultLine(std::string_view line) {
  line = Trim(line);
  const std::size_t cut = line.find_first_of(" =\t");
  if (cut == std::string_view::npos) return ParseFault(line, {});
  return ParseFault(line.substr(0, cut), line.substr(cut + 1));
}

std::string FaultHelp() {
  std::string out;
  for (const FaultInfo& f : kFaults) {
    out += "  ";
    out += f.help;
    out += '\n';
  }
  return out;
}

}  // namespace kdsp::boxsim
