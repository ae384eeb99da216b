#pragma once

#include <span>
#include <vector>

#include "measure/trace_text.h"

namespace kdsp {

/// An exponential sine sweep: from `low_hz` to `high_hz` in `seconds`, peak level in dBFS,
/// with short raised-cosine fades at both ends.
struct SweepSettings {
  double low_hz = 20.0;
  double high_hz = 20000.0;
  double seconds = 3.0;
  double level_dbfs = -12.0;
  int sample_rate = 48000;
  double fade_s = 0.01;
};

std::vector<float> MakeSweep(const SweepSettings& settings);

/// An impulse response and the index of its largest sample (the direct sound).
struct ImpulseResponse {
  std::vector<float> samples;
  std::size_t peak = 0;
  int sample_rate = 48000;
};

/// The impulse response of whatever lay between the sweep and its recording: the recording's
/// transform divided by the sweep's (the sweep's inverse filter), regularised outside the
/// sweep's range, transformed back. The recording may start any time before the sweep arrives
/// and must last the sweep plus the delay and the decay; the response is circular over the
/// recording plus the sweep, so the delay shows as the peak's position and changes nothing else.
ImpulseResponse DeconvolveSweep(std::span<const float> sweep, std::span<const float> recording,
                                const SweepSettings& settings);

/// How an impulse response becomes a frequency response.
struct ResponseWindow {
  double pre_s = 0.005;   // kept before the peak, faded in
  double length_s = 0.5;  // from the start, the last quarter faded out
  int fraction = 24;      // fractional-octave smoothing (0 for none)
  int points_per_octave = 48;
  double low_hz = 20.0;
  double high_hz = 20000.0;
};

/// The windowed impulse response's level in dB (0 dB: unity gain) at log-spaced frequencies,
/// smoothed as asked.
Trace ResponseFromImpulse(const ImpulseResponse& ir, const ResponseWindow& window);

/// Pink noise room response: band levels in dBFS measured while pink noise of `noise_dbfs`
/// played, as dB relative to the noise (the noise's own power in each band taken off, so the
/// noise straight into the input reads flat at 0 dB).
Trace PinkNoiseResponse(std::span<const double> band_centres_hz,
                        std::span<const double> band_widths_octaves,
                        std::span<const double> levels_dbfs, double noise_dbfs);

/// The power average of several responses taken at different positions, on the points of the
/// first.
Trace PowerAverage(std::span<const Trace> positions);

}  // namespace kdsp
