#include "measure/calibration.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace kdsp {

namespace {

// The number after "sens..." on a sensitivity line, if the line is one.
std::optional<double> SensitivityOf(std::string_view line) {
  std::string lower(line);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto at = lower.find("sens");
  if (at == std::string::npos) return std::nullopt;
  std::size_t i = at;
  while (i < lower.size() && std::isalpha(static_cast<unsigned char>(lower[i]))) ++i;
  // Skip the rest of the label ("factor", "=", ":", blanks) up to the number.
  while (i < lower.size() && !(std::isdigit(static_cast<unsigned char>(lower[i])) ||
                               lower[i] == '-' || lower[i] == '+' || lower[i] == '.')) {
    ++i;
  }
  if (i >= lower.size()) return std::nullopt;
  const char* begin = lower.c_str() + i;
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin) return std::nullopt;
  return v;
}

}  // namespace

CalibrationParse ParseCalibration(std::string_view text) {
  CalibrationParse r;
  const trace_text_detail::ByteCheck check = trace_text_detail::CheckTextBytes(text);
  if (check.kind != TraceError::kNone) {
    r.error_line = check.line;
    r.kind = check.kind;
    r.error = check.message;
    return r;
  }
  // The sensitivity line becomes a comment, so line numbers stay those of the file; a third
  // column (phase) is dropped.
  std::string rest;
  rest.reserve(text.size());
  double sensitivity = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::string_view line =
        text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
    const auto first = line.find_first_not_of(" \t\r");
    const bool comment =
        first == std::string_view::npos || line[first] == '*' || line[first] == '#';
    if (!comment) {
      if (const auto s = SensitivityOf(line)) {
        sensitivity = *s;
        rest += "*";
        if (nl != std::string_view::npos) rest += '\n';
        continue;
      }
    }
    rest.append(line);
    if (nl != std::string_view::npos) rest += '\n';
  }
  TraceParse t = ParseTrace(rest);
  if (!t.trace) {
    r.error_line = t.error_line;
    r.kind = t.kind;
    r.error = t.error;
    return r;
  }
  Calibration c;
  c.curve = std::move(*t.trace);
  for (TracePoint& p : c.curve.points) p.phase_deg.reset();
  c.sensitivity_db = sensitivity;
  r.calibration = std::move(c);
  return r;
}

}  // namespace kdsp
