#pragma once

#include <vector>

#include "tuning/band_setting.h"

namespace kdsp {

/// What the fit works from. Levels are given on the graph's grid: entry k is the level at
/// `GridFrequency(k)`, k = 0..N; a NaN marks a point without a measurement.
struct FitRequest {
  std::vector<double> measured_db;  ///< the response measured with `current` in place
  std::vector<double> target_db;    ///< the wanted shape; its level is aligned by the fit
  int first_point = 0;              ///< the range, grid points, both ends included
  int last_point = kGridSteps;
  std::vector<BandSetting> current;  ///< every band of the channel as measured
  std::vector<bool> usable;          ///< bands the fit may change; empty: all of them
  double max_boost_db = 3.0;         ///< cuts may use the whole range
};

/// A stretch of the range the fit left alone: a deep narrow dip that boosting cannot fill.
struct LeftRange {
  double low_hz = 0;
  double high_hz = 0;
  double depth_db = 0;  ///< the lowest point below the target
};

struct FitResult {
  std::vector<BandSetting> bands;    ///< every band of the channel; unused usable bands flat
  std::vector<double> predicted_db;  ///< measured - current bands + new bands, grid 0..N
  std::vector<double> target_db;     ///< the target after alignment, grid 0..N
  double rms_db = 0;                 ///< residual over the range (left ranges excepted)
  double max_dev_db = 0;
  std::vector<LeftRange> left;
};

/// Chooses band types, frequencies, gains and Qs on the box's steps that bring the predicted
/// response closest to the target (least squares over the range): a greedy pass adds one band
/// at a time, then coordinate steps refine every band. Deterministic.
FitResult FitEqualiser(const FitRequest& request);

/// The grid points inside [low_hz, high_hz]: the first at or above low_hz, the last at or
/// below high_hz.
int FirstGridPointFrom(double low_hz);
int LastGridPointUpTo(double high_hz);

/// The built-in house curve: 0 dB at 1 kHz, falling 0.6 dB per octave.
double HouseCurveDb(double freq_hz);

}  // namespace kdsp
