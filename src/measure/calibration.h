#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "measure/trace_text.h"

namespace kdsp {

/// A measurement microphone's calibration: its response deviation in dB by frequency and an
/// optional sensitivity in dB. Measured levels have the deviation at their frequency and the
/// sensitivity taken off.
struct Calibration {
  std::string name;  // shown on the view (the file's name)
  Trace curve;
  double sensitivity_db = 0;
  /// What comes off a level measured at `freq_hz` (0 for an empty calibration).
  double CorrectionAt(double freq_hz) const {
    return (curve.points.empty() ? 0.0 : TraceLevelAt(curve, freq_hz)) + sensitivity_db;
  }
};

struct CalibrationParse {
  std::optional<Calibration> calibration;
  int error_line = 0;
  std::string error;
  TraceError kind = TraceError::kNone;
};

/// Reads the common calibration text: like a trace ("frequency dB", a third column ignored),
/// comments with '*' or '#', and at most one sensitivity line such as
/// `"Sens Factor =-1.378dB, SERNO: 7001234"` or `Sensitivity -18.3 dB` anywhere in it.
CalibrationParse ParseCalibration(std::string_view text);

}  // namespace kdsp
