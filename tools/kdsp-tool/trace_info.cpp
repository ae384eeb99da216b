#include "kdsp-tool/trace_info.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "kdsp-tool/tool_commands.h"
#include "measure/octave_bands.h"
#include "measure/trace_text.h"

namespace kdsp::tool {

namespace {

// The largest trace read: a few hundred thousand points.
constexpr std::size_t kMaxTraceBytes = 16u << 20;

std::string Number(const char* format, double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

}  // namespace

int TraceInfo(const std::string& path, std::ostream& out, std::ostream& err) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err << "kdsp-tool: " << path << ": cannot be read\n";
    return kExitFileError;
  }
  std::string text;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (text.size() > kMaxTraceBytes) {
    err << "kdsp-tool: " << path << ": too large for a trace\n";
    return kExitFileError;
  }
  const TraceParse parsed = ParseTrace(text);
  if (!parsed.trace) {
    err << "kdsp-tool: " << path << ": " << parsed.error << "\n";
    return kExitFileError;
  }
  const Trace& t = *parsed.trace;
  const auto [lo, hi] =
      std::minmax_element(t.points.begin(), t.points.end(),
                          [](const TracePoint& a, const TracePoint& b) { return a.db < b.db; });
  const bool phase = std::any_of(t.points.begin(), t.points.end(),
                                 [](const TracePoint& p) { return p.phase_deg.has_value(); });
  out << "points: " << t.points.size() << "\n";
  out << "range: " << Number("%.1f", t.points.front().freq_hz) << " Hz .. "
      << Number("%.1f", t.points.back().freq_hz) << " Hz\n";
  out << "level: " << Number("%.2f", lo->db) << " dB at " << Number("%.1f", lo->freq_hz)
      << " Hz .. " << Number("%.2f", hi->db) << " dB at " << Number("%.1f", hi->freq_hz) << " Hz\n";
  out << "phase: " << (phase ? "yes" : "no") << "\n";
  out << "third-octave levels (smoothed):\n";
  for (const TracePoint& p : BandLevels(t, 3).points) {
    out << Number("%10.1f", p.freq_hz) << " Hz " << Number("%8.2f", p.db) << " dB\n";
  }
  return kExitOk;
}

}  // namespace kdsp::tool
