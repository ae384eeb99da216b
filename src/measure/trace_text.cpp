#include "measure/trace_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kdsp {

namespace trace_text_detail {

std::string LineMessage(int line, std::string_view what) {
  return "line " + std::to_string(line) + ": " + std::string(what);
}

ByteCheck CheckTextBytes(std::string_view text) {
  if (text.size() >= 2 && ((static_cast<unsigned char>(text[0]) == 0xFF &&
                            static_cast<unsigned char>(text[1]) == 0xFE) ||
                           (static_cast<unsigned char>(text[0]) == 0xFE &&
                            static_cast<unsigned char>(text[1]) == 0xFF))) {
    return {1, TraceError::kEncoding, LineMessage(1, "UTF-16 text; save it as plain text")};
  }
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
    return {1, TraceError::kEncoding,
            LineMessage(1, "byte-order mark; save it as plain text without one")};
  }
  int line = 1;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      ++line;
    } else if (u == 0) {
      // A NUL in the first lines of a text is UTF-16 without a mark far more often than not.
      return {line, TraceError::kBinary, LineMessage(line, "NUL bytes: binary or UTF-16 data")};
    } else if (u < 0x20 && c != '\t' && c != '\r' && c != '\f' && c != '\v') {
      return {line, TraceError::kBinary, LineMessage(line, "control bytes: not a text file")};
    }
  }
  return {};
}

bool SplitNumbers(std::string_view line, std::vector<double>& out) {
  out.clear();
  std::size_t i = 0;
  const auto is_sep = [](char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\f' || c == '\v';
  };
  while (i < line.size()) {
    while (i < line.size() && is_sep(line[i])) ++i;
    if (i >= line.size()) break;
    std::size_t j = i;
    while (j < line.size() && !is_sep(line[j])) ++j;
    const std::string field(line.substr(i, j - i));
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(field.c_str(), &end);
    if (end != field.c_str() + field.size() || errno == ERANGE || !std::isfinite(v)) return false;
    out.push_back(v);
    i = j;
  }
  return true;
}

}  // namespace trace_text_detail

namespace {

bool IsComment(std::string_view line) {
  const auto first = line.find_first_not_of(" \t\r");
  return first == std::string_view::npos || line[first] == '*' || line[first] == '#';
}

TraceParse Fail(int line, TraceError kind, std::string_view what) {
  TraceParse r;
  r.error_line = line;
  r.kind = kind;
  r.error = trace_text_detail::LineMessage(line, what);
  return r;
}

}  // namespace

TraceParse ParseTrace(std::string_view text) {
  using namespace trace_text_detail;
  if (const ByteCheck check = CheckTextBytes(text); check.kind != TraceError::kNone) {
    TraceParse r;
    r.error_line = check.line;
    r.kind = check.kind;
    r.error = check.message;
    return r;
  }
  Trace trace;
  std::vector<double> numbers;
  int line_no = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::string_view line =
        text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    ++line_no;
    pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
    if (IsComment(line)) continue;
    if (!SplitNumbers(line, numbers) || numbers.size() < 2 || numbers.size() > 3) {
      return Fail(line_no, TraceError::kNotNumeric, "expected \"frequency dB [phase]\"");
    }
    if (!(numbers[0] > 0.0)) {
      return Fail(line_no, TraceError::kBadFrequency, "frequency must be above 0 Hz");
    }
    if (!trace.points.empty() && numbers[0] <= trace.points.back().freq_hz) {
      return Fail(line_no, TraceError::kNotIncreasing,
                  numbers[0] == trace.points.back().freq_hz ? "frequency repeats the line before"
                                                            : "frequency is below the line before");
    }
    TracePoint p{numbers[0], numbers[1], std::nullopt};
    if (numbers.size() == 3) p.phase_deg = numbers[2];
    trace.points.push_back(p);
  }
  if (trace.points.empty()) {
    return Fail(std::max(1, line_no), TraceError::kEmpty, "no measurement lines");
  }
  TraceParse r;
  r.trace = std::move(trace);
  return r;
}

std::string FormatTrace(const Trace& trace) {
  std::string out;
  out += "* " + (trace.name.empty() ? std::string("trace") : trace.name) + "\n";
  const bool phase = std::any_of(trace.points.begin(), trace.points.end(),
                                 [](const TracePoint& p) { return p.phase_deg.has_value(); });
  out += phase ? "* Freq(Hz) SPL(dB) Phase(degrees)\n" : "* Freq(Hz) SPL(dB)\n";
  char buf[96];
  for (const TracePoint& p : trace.points) {
    if (phase) {
      std::snprintf(buf, sizeof buf, "%.4f %.3f %.2f\n", p.freq_hz, p.db, p.phase_deg.value_or(0));
    } else {
      std::snprintf(buf, sizeof buf, "%.4f %.3f\n", p.freq_hz, p.db);
    }
    out += buf;
  }
  return out;
}

double TraceLevelAt(const Trace& trace, double freq_hz) {
  const auto& pts = trace.points;
  if (pts.empty()) return 0.0;
  if (freq_hz <= pts.front().freq_hz) return pts.front().db;
  if (freq_hz >= pts.back().freq_hz) return pts.back().db;
  const auto it = std::upper_bound(pts.begin(), pts.end(), freq_hz,
                                   [](double f, const TracePoint& p) { return f < p.freq_hz; });
  const TracePoint& hi = *it;
  const TracePoint& lo = *(it - 1);
  const double t = std::log(freq_hz / lo.freq_hz) / std::log(hi.freq_hz / lo.freq_hz);
  return lo.db + t * (hi.db - lo.db);
}

Trace RelativeTrace(const Trace& after, const Trace& before) {
  Trace out;
  out.name = after.name + " - " + before.name;
  out.points.reserve(after.points.size());
  for (const TracePoint& p : after.points) {
    out.points.push_back({p.freq_hz, p.db - TraceLevelAt(before, p.freq_hz), std::nullopt});
  }
  return out;
}

}  // namespace kdsp
