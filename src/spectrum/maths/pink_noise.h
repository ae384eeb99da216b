#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kdsp {

/// Pink noise for room measurements: uniform white noise through Paul Kellet's refined pink
/// filter (seven first-order sections, within a fraction of a dB of -3 dB per octave across
/// the audio band), scaled to an RMS level in dBFS and clipped to full scale. The level follows
/// the usual convention that a full-scale sine reads 0 dBFS, so an RMS of 1 / sqrt(2) is
/// 0 dBFS. Deterministic for a given seed; no allocation, safe to run on an audio thread.
class PinkNoise {
 public:
  static constexpr double kDefaultLevelDbfs = -20.0;

  explicit PinkNoise(std::uint32_t seed = 0x1234567u);

  /// RMS level in dBFS of the noise from the next sample on.
  void SetLevelDbfs(double level_dbfs);
  double LevelDbfs() const { return level_dbfs_; }

  /// The next sample, -1 .. 1.
  float Next();
  /// Fills `out` with the next samples.
  void Fill(std::span<float> out);

  /// RMS amplitude of a level in dBFS: 10^(L / 20) / sqrt(2).
  static double RmsOfLevel(double level_dbfs);

 private:
  double White();

  std::uint32_t state_;
  std::array<double, 7> b_{};
  double level_dbfs_ = kDefaultLevelDbfs;
  double gain_ = 0.0;  // filter output to the wanted RMS
};

}  // namespace kdsp
