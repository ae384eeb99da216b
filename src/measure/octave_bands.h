#pragma once

#include <vector>

#include "measure/trace_text.h"

namespace kdsp {

/// One fractional-octave band: its centre and edges in Hz.
struct OctaveBand {
  double centre_hz = 0;
  double low_hz = 0;
  double high_hz = 0;
};

/// The base-2 band centres around 1 kHz for 1/N octave: 1000 * 2^(k/N) when N is odd and
/// 1000 * 2^((2k+1)/(2N)) when N is even, edges half a band either side. Returns the bands
/// whose centres lie within [low_hz, high_hz].
std::vector<OctaveBand> OctaveBands(int fraction, double low_hz, double high_hz);

/// Fractional-octave smoothing: each point becomes the power average of the trace over the
/// 1/N-octave window centred on it (integrated in log-frequency, edges clamped to the trace).
/// Phase is dropped. A fraction of 0 or less returns the trace unchanged.
Trace SmoothTrace(const Trace& trace, int fraction);

/// The smoothed trace sampled at the 1/N-octave band centres inside its range.
Trace BandLevels(const Trace& trace, int fraction);

}  // namespace kdsp
