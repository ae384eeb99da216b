#pragma once

#include <QByteArray>

class QSettings;

namespace kdsp {

/// The analyser's choices that are kept across runs: the input, averaging, peak hold and the
/// test signal's output and level. The test signal itself always starts off.
struct SpectrumOptions {
  /// Averaging time constants offered, in seconds (0: off).
  static constexpr double kAveragingChoices[3] = {0.0, 0.5, 2.0};
  /// Test-signal levels offered, in dBFS.
  static constexpr int kNoiseLevels[7] = {-40, -30, -24, -20, -18, -12, -6};
  static constexpr int kDefaultNoiseLevelDbfs = -20;

  QByteArray input_id;  ///< empty: the system's default input
  double averaging_s = 0.0;
  bool peak_hold = false;
  QByteArray noise_output_id;  ///< empty: the system's default output
  int noise_level_dbfs = kDefaultNoiseLevelDbfs;

  /// Reads the options; values that are not offered fall back to the defaults.
  static SpectrumOptions Load(QSettings& settings);
  void Save(QSettings& settings) const;

  bool operator==(const SpectrumOptions&) const = default;
};

}  // namespace kdsp
