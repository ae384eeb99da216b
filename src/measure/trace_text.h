#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdsp {

/// One point of a frequency response: level in dB and, when known, phase in degrees.
struct TracePoint {
  double freq_hz = 0;
  double db = 0;
  std::optional<double> phase_deg;
};

/// A named frequency response; frequencies strictly increasing.
struct Trace {
  std::string name;
  std::vector<TracePoint> points;
};

/// Why a trace or calibration text was refused.
enum class TraceError {
  kNone,
  kEmpty,         // no data line at all
  kBinary,        // control bytes or NULs: not a text file
  kEncoding,      // UTF-16 or a byte-order mark
  kNotNumeric,    // a line that is neither a comment nor two or three numbers
  kBadFrequency,  // zero, negative or not finite
  kNotIncreasing  // a frequency equal to or below the one before
};

/// The outcome of reading a trace: either a trace, or the line (1-based) and the reason.
struct TraceParse {
  std::optional<Trace> trace;
  int error_line = 0;
  std::string error;  // "line N: ..." in English
  TraceError kind = TraceError::kNone;
};

/// Reads the common frequency-response text: comment lines starting with '*' or '#', blank
/// lines, and data lines "frequency dB [phase]" separated by blanks, tabs, commas or
/// semicolons. Anything else is refused with the line that is wrong; nothing partial is
/// returned.
TraceParse ParseTrace(std::string_view text);

/// A comment header naming the trace, then one "frequency dB [phase]" line per point.
std::string FormatTrace(const Trace& trace);

/// The level at a frequency, interpolated linearly in log-frequency and held at the first or
/// last point outside the trace. 0 for an empty trace.
double TraceLevelAt(const Trace& trace, double freq_hz);

/// Phase and level differences aside: `after` minus `before` at the points of `after`.
Trace RelativeTrace(const Trace& after, const Trace& before);

namespace trace_text_detail {
/// The checks on raw bytes shared by the trace and calibration readers: empty on success,
/// otherwise the line and the reason.
struct ByteCheck {
  int line = 0;
  TraceError kind = TraceError::kNone;
  std::string message;
};
ByteCheck CheckTextBytes(std::string_view text);
/// Splits a line into numbers; false when a field is not a number.
bool SplitNumbers(std::string_view line, std::vector<double>& out);
std::string LineMessage(int line, std::string_view what);
}  // namespace trace_text_detail

}  // namespace kdsp
