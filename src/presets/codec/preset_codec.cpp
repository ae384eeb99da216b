#include "presets/codec/preset_codec.h"

#include <charconv>
#include <optional>

#include "presets/codec/preset_scramble.h"

namespace kdsp {

namespace {

constexpr std::string_view kVeltaTag = "Velta";
constexpr std::string_view kCountTag = "Intoal:";
constexpr std::string_view kChecksumTag = "CCCCK:";
constexpr std::int64_t kMaxWord = 65535;

std::string Line(std::string_view tag, std::int64_t number) {
  std::string line(tag);
  line.push_back(' ');
  line += std::to_string(number);
  return line;
}

// The two fields of a plain line: the text before the first space and the rest.
struct Fields {
  std::string_view first;
  std::string_view second;
};

std::optional<Fields> SplitFields(std::string_view line) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  return Fields{line.substr(0, space), line.substr(space + 1)};
}

// A decimal integer with an optional sign and nothing else around it.
std::optional<std::int64_t> ParseNumber(std::string_view text) {
  bool plus = false;
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    plus = true;
  }
  if (text.empty() || (plus && text.front() == '-')) return std::nullopt;
  std::int32_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t nl = bytes.find('\n');
    std::string_view line = bytes.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos) break;
    bytes.remove_prefix(nl + 1);
  }
  return lines;
}

// The second field of a stored line as a number, or nothing when the line is damaged.
std::optional<std::int64_t> SecondNumber(std::string_view stored) {
  const std::optional<std::string> plain = UnscrambleLine(stored);
  if (!plain) return std::nullopt;
  const std::optional<Fields> fields = SplitFields(*plain);
  if (!fields) return std::nullopt;
  return ParseNumber(fields->second);
}

DecodedPreset Fail(PresetStatus status) { return DecodedPreset{status, {}}; }

}  // namespace

int PresetChecksum(std::int64_t sum) { return static_cast<int>(((sum ^ 0xFFFF) + 1) & 0xFF); }

std::vector<PresetEntry> EntriesFromTable(PresetKind kind, const ValueTable& device_values) {
  const PresetKindTraits& t = TraitsOf(kind);
  std::vector<PresetEntry> entries;
  entries.reserve(DataLineCount(kind));
  for (int page = t.first_page; page <= t.last_page; ++page) {
    for (int slot = 0; slot <= LastWrittenSlot(page); ++slot) {
      entries.push_back({page, slot, device_values.Get(page, slot)});
    }
  }
  return entries;
}

std::vector<std::string> BuildPlainLines(PresetKind kind, const std::vector<PresetEntry>& entries) {
  const PresetKindTraits& t = TraitsOf(kind);
  std::vector<std::string> lines;
  lines.reserve(entries.size() + 4);
  lines.push_back(Line(t.header_tag, kHeaderNumber0 ^ t.header_mask));
  lines.push_back(Line(kVeltaTag, kHeaderNumber1 ^ t.header_mask));
  std::int64_t sum = 0;
  for (const PresetEntry& e : entries) {
    const std::int64_t k = static_cast<std::int64_t>(lines.size());
    const std::int64_t address = static_cast<std::int64_t>(e.page) * 256 + e.slot;
    lines.push_back(std::to_string(address ^ k) + ' ' + std::to_string(e.value ^ k));
    sum += e.value;
  }
  lines.push_back(Line(kCountTag, static_cast<std::int64_t>(lines.size())));
  lines.push_back(Line(kChecksumTag, PresetChecksum(sum)));
  return lines;
}

std::string EncodePresetEntries(PresetKind kind, const std::vector<PresetEntry>& entries) {
  std::string out;
  for (const std::string& line : BuildPlainLines(kind, entries)) {
    out += ScrambleLine(line);
    out += "\r\n";
  }
  return out;
}

std::string EncodePresetFile(PresetKind kind, const ValueTable& device_values) {
  return EncodePresetEntries(kind, EntriesFromTable(kind, device_values));
}

DecodedPreset DecodePresetFile(PresetKind kind, std::string_view bytes) {
  const PresetKindTraits& t = TraitsOf(kind);
  const std::vector<std::string_view> lines = SplitLines(bytes);
  const std::int64_t n = static_cast<std::int64_t>(lines.size());

  // Header: only the numbers are compared, the tags may read anything.
  if (n < 2) return Fail(PresetStatus::kFormatError);
  const std::optional<std::int64_t> h0 = SecondNumber(lines[0]);
  const std::optional<std::int64_t> h1 = SecondNumber(lines[1]);
  if (!h0 || !h1 || (*h0 ^ t.header_mask) != kHeaderNumber0 ||
      (*h1 ^ t.header_mask) != kHeaderNumber1) {
    return Fail(PresetStatus::kFormatError);
  }

  // Count line: its number is its own index.
  if (n < 4) return Fail(PresetStatus::kCorrupted);
  const std::optional<std::int64_t> count = SecondNumber(lines[n - 2]);
  if (!count || *count != n - 2) return Fail(PresetStatus::kCorrupted);

  DecodedPreset result{PresetStatus::kOk, {}};
  result.entries.reserve(static_cast<std::size_t>(n - 4));
  std::int64_t sum = 0;
  for (std::int64_t k = 2; k <= n - 3; ++k) {
    const std::optional<std::string> plain = UnscrambleLine(lines[k]);
    if (!plain) return Fail(PresetStatus::kCorrupted);
    const std::optional<Fields> fields = SplitFields(*plain);
    if (!fields) return Fail(PresetStatus::kCorrupted);
    const std::optional<std::int64_t> a = ParseNumber(fields->first);
    const std::optional<std::int64_t> v = ParseNumber(fields->second);
    if (!a || !v) return Fail(PresetStatus::kCorrupted);
    const std::int64_t address = *a ^ k;
    const std::int64_t value = *v ^ k;
    if (address < 0 || value < 0 || value > kMaxWord) return Fail(PresetStatus::kCorrupted);
    const int page = static_cast<int>(address / 256);
    const int slot = static_cast<int>(address % 256);
    if (!HasCell(page, slot)) return Fail(PresetStatus::kCorrupted);
    result.entries.push_back({page, slot, static_cast<std::int32_t>(value)});
    sum += value;
  }

  const std::optional<std::int64_t> checksum = SecondNumber(lines[n - 1]);
  if (!checksum || *checksum != PresetChecksum(sum)) return Fail(PresetStatus::kCorrupted);
  return result;
}

int ApplyPresetEntries(PresetKind kind, const std::vector<PresetEntry>& entries,
                       ValueTable& device_values) {
  int applied = 0;
  for (const PresetEntry& e : entries) {
    if (!IsAppliedOnLoad(kind, e.page, e.slot)) continue;
    device_values.Set(e.page, e.slot, e.value);
    ++applied;
  }
  return applied;
}

PresetStatus LoadPresetBytes(PresetKind kind, std::string_view bytes, ValueTable& device_values) {
  const DecodedPreset decoded = DecodePresetFile(kind, bytes);
  if (decoded.status == PresetStatus::kOk) ApplyPresetEntries(kind, decoded.entries, device_values);
  return decoded.status;
}

}  // namespace kdsp
