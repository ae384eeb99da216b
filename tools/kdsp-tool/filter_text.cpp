#include "kdsp-tool/filter_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "kdsp-tool/shelf_slope.h"
#include "kdsp-tool/text_encoding.h"
#include "model/display_kind.h"
#include "model/frequency_table.h"
#include "model/q_table.h"

namespace kdsp::tool {

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

// A decimal number with '.' or ',' as decimal point; nothing for anything else.
std::optional<double> Number(std::string_view token) {
  std::string s(token);
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  if (!s.empty() && s.front() == '+') s.erase(0, 1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty() || !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Consumes the "Filter", "Filter:", "Filter 3:", "Filter 3 :" head; false for other lines.
bool FilterHead(const std::vector<std::string_view>& t, std::size_t& i) {
  if (t.empty()) return false;
  const std::string first = Upper(t[0]);
  if (first == "FILTER:") {
    i = 1;
    return true;
  }
  if (first.rfind("FILTER", 0) != 0) return false;
  if (first.size() > 6) {  // "Filter3:"
    const std::string_view rest = std::string_view(first).substr(6);
    if (rest.back() != ':' || !IsDigits(rest.substr(0, rest.size() - 1))) return false;
    i = 1;
    return true;
  }
  if (t.size() < 2) return false;
  if (t[1] == ":") {
    i = 2;
    return true;
  }
  if (t[1].back() == ':' && IsDigits(t[1].substr(0, t[1].size() - 1))) {
    i = 2;
    return true;
  }
  if (IsDigits(t[1]) && t.size() > 2 && t[2] == ":") {
    i = 3;
    return true;
  }
  return false;
}

// An Equalizer APO "Channel: L R" line opens a section for the channels named.
bool ChannelHead(const std::vector<std::string_view>& t, FilterText& out) {
  if (t.empty()) return false;
  std::string first = Upper(t[0]);
  std::size_t i = 1;
  if (first == "CHANNEL" && t.size() > 1 && t[1] == ":") {
    i = 2;
  } else if (first.rfind("CHANNEL:", 0) == 0 && first.size() > 8) {
    // "Channel:L" without a space
    std::vector<std::string> names{first.substr(8)};
    for (std::size_t k = 1; k < t.size(); ++k) names.push_back(Upper(t[k]));
    out.sections.push_back(std::move(names));
    return true;
  } else if (first != "CHANNEL:") {
    return false;
  }
  std::vector<std::string> names;
  for (; i < t.size(); ++i) names.push_back(Upper(t[i]));
  out.sections.push_back(std::move(names));
  return true;
}

// "Filter 3 ON PK ..." (no colon) and the like: meant as a filter, so worth a warning. The
// REW file's first line "Filter Settings file" is a header.
bool LooksLikeFilter(const std::vector<std::string_view>& t) {
  if (t.empty() || Upper(t[0]).rfind("FILTER", 0) != 0) return false;
  return !(t.size() > 1 && Upper(t[1]) == "SETTINGS");
}

bool IsShelfVariantSuffix(std::string_view token) {
  const std::string u = Upper(token);
  return u.size() > 2 && u.substr(u.size() - 2) == "DB" && IsDigits(u.substr(0, u.size() - 2));
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// Reads one line into `out`: a filter, a warning, or nothing.
void ParseLine(std::string_view line, int line_number, FilterText& out) {
  const std::vector<std::string_view> t = Tokens(line);
  const std::string where = "line " + std::to_string(line_number) + ": ";
  if (!t.empty() && Upper(t[0]).rfind("PREAMP", 0) == 0) {
    std::string rest;
    for (std::size_t k = 1; k < t.size(); ++k) rest += (k > 1 ? " " : "") + std::string(t[k]);
    out.warnings.push_back(where + "Preamp " + rest + " ignored");
    return;
  }
  if (ChannelHead(t, out)) return;
  std::size_t i = 0;
  if (!FilterHead(t, i)) {
    if (LooksLikeFilter(t)) out.warnings.push_back(where + "unreadable filter line, passed over");
    return;
  }
  FilterLine f;
  f.line_number = line_number;
  f.section = static_cast<int>(out.sections.size()) - 1;
  const std::string state = i < t.size() ? Upper(t[i]) : std::string();
  if (state != "ON" && state != "OFF") {
    out.warnings.push_back(where + "filter without ON/OFF, passed over");
    return;
  }
  f.on = state == "ON";
  if (++i >= t.size()) {
    out.warnings.push_back(where + "filter without type, passed over");
    return;
  }
  f.type = Upper(t[i++]);
  if (i < t.size() && IsShelfVariantSuffix(t[i])) f.type += " " + Upper(t[i++]);
  while (i < t.size()) {
    const std::string key = Upper(t[i++]);
    std::optional<double>* target = nullptr;
    if (key == "FC") {
      target = &f.fc_hz;
    } else if (key == "GAIN") {
      target = &f.gain_db;
    } else if (key == "Q") {
      target = &f.q;
    } else if (key == "BW") {
      target = &f.bw_oct;
      if (i < t.size() && Upper(t[i]) == "OCT") ++i;
    } else {
      out.warnings.push_back(where + "unknown field \"" + key + "\", filter passed over");
      return;
    }
    const std::optional<double> v = i < t.size() ? Number(t[i]) : std::nullopt;
    if (!v) {
      out.warnings.push_back(where + key + " without a number, filter passed over");
      return;
    }
    *target = v;
    ++i;
    if (i < t.size()) {  // an optional unit
      const std::string unit = Upper(t[i]);
      if (unit == "HZ" || unit == "DB" || unit == "OCT") ++i;
    }
  }
  out.filters.push_back(f);
}

}  // namespace

FilterText ParseFilterText(std::string_view bytes) {
  // One line end for all: CRLF and a lone CR become LF.
  const std::string utf8 = TextAsUtf8(bytes);
  std::string normalised;
  normalised.reserve(utf8.size());
  for (std::size_t k = 0; k < utf8.size(); ++k) {
    if (utf8[k] == '\r') {
      normalised += '\n';
      if (k + 1 < utf8.size() && utf8[k + 1] == '\n') ++k;
    } else {
      normalised += utf8[k];
    }
  }
  const std::string_view text = normalised;
  FilterText out;
  std::size_t start = 0;
  for (int line_number = 1;; ++line_number) {
    const std::size_t nl = text.find('\n', start);
    ParseLine(
        text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start),
        line_number, out);
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return out;
}

ChannelPick PickApoChannel(const FilterText& text, const std::optional<std::string>& channel) {
  ChannelPick pick;
  bool in_sections = false;
  std::vector<int> used;  // sections that hold filters, in order
  for (const FilterLine& f : text.filters) {
    in_sections = in_sections || f.section >= 0;
    if (std::find(used.begin(), used.end(), f.section) == used.end()) used.push_back(f.section);
  }
  // Every channel named by a section, for the messages.
  std::vector<std::string> names;
  for (const auto& section : text.sections) {
    for (const std::string& n : section) {
      if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
    }
  }
  std::string listed;
  for (const std::string& n : names) listed += (listed.empty() ? "" : ", ") + n;

  if (!in_sections || (!channel && used.size() == 1)) {
    pick.text = text;
    return pick;
  }
  if (!channel) {
    pick.error = "the text has filters for several channels (" + listed +
                 "); choose one with --apo-channel NAME";
    return pick;
  }
  const std::string wanted = Upper(*channel);
  if (wanted != "ALL" && std::find(names.begin(), names.end(), wanted) == names.end() &&
      std::find(names.begin(), names.end(), "ALL") == names.end()) {
    pick.error = "no Channel section names " + *channel + " (the text names " + listed + ")";
    return pick;
  }
  pick.text.warnings = text.warnings;
  pick.text.sections = text.sections;
  for (const FilterLine& f : text.filters) {
    bool applies = f.section < 0;
    if (!applies) {
      const auto& section = text.sections[static_cast<std::size_t>(f.section)];
      applies = std::find(section.begin(), section.end(), wanted) != section.end() ||
                std::find(section.begin(), section.end(), "ALL") != section.end();
    }
    if (applies) pick.text.filters.push_back(f);
  }
  return pick;
}

std::string FormatFilters(const std::vector<ExportBand>& bands, FilterFormat format,
                          std::string_view note) {
  std::string out;
  if (format == FilterFormat::kRew) {
    out += "Filter Settings file\r\n\r\nkdsp-tool\r\nNotes: " + std::string(note) +
           "\r\n\r\nEqualiser: Generic\r\n";
  } else {
    out += "# " + std::string(note) + "\n";
  }
  const char* eol = format == FilterFormat::kRew ? "\r\n" : "\n";
  for (std::size_t b = 0; b < bands.size(); ++b) {
    const ExportBand& band = bands[b];
    const bool active = band.type >= 1 && band.type <= 3;
    const bool shelf = band.type == 2 || band.type == 3;
    const char* type = band.type == 2 ? "LS" : band.type == 3 ? "HS" : "PK";
    const std::string fc = FrequencyText(std::clamp(band.freq_index, 0, kFrequencyIndexMax));
    const double gain_db = (std::clamp(band.gain_raw, 0, 180) * 2 - 240) / 10.0;
    const std::string gain = Fixed(gain_db, 1);
    // The box keeps a shelf's slope; the text carries the Q of the same shelf.
    const int q_index = std::clamp(band.q_index, 0, shelf ? kShelfQIndexMax : kQIndexMax);
    const std::string q = shelf ? Fixed(ShelfQFromSlope(QValue(q_index), gain_db), 3)
                                : std::string(QText(q_index));
    char buf[160];
    if (format == FilterFormat::kRew) {
      if (!active) {
        std::snprintf(buf, sizeof buf, "Filter %2zu: ON  None", b + 1);
      } else {
        std::snprintf(buf, sizeof buf, "Filter %2zu: ON  %-8s Fc %8s Hz  Gain %5s dB  Q %6s", b + 1,
                      type, fc.c_str(), gain.c_str(), q.c_str());
      }
    } else {
      std::snprintf(buf, sizeof buf, "Filter %zu: %s %s Fc %s Hz Gain %s dB Q %s", b + 1,
                    active ? "ON" : "OFF", type, fc.c_str(), gain.c_str(), q.c_str());
    }
    out += buf;
    out += eol;
  }
  return out;
}

}  // namespace kdsp::tool
