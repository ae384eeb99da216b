#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "measure/octave_bands.h"

struct fftwf_plan_s;

namespace kdsp {

/// How band powers are averaged over time.
struct Averaging {
  enum class Kind { kNone, kExponential, kInfinite };
  Kind kind = Kind::kNone;
  double tau_s = 0;  // time constant of the exponential kind
};

/// The real-time analyser of the measurement view: mono samples at 48 kHz in, fractional-
/// octave band levels in dBFS out (a full-scale sine reads 0 dBFS). Each step transforms the
/// newest 32768 samples under a Hann window (0.68 s; the steps overlap), sums the bin powers
/// into the bands (bins split at the band edges in proportion) and averages the band powers.
/// Not thread-safe; one owner pushes and steps.
class BandAnalyser {
 public:
  static constexpr int kSampleRate = 48000;
  static constexpr int kFftLength = 32768;
  static constexpr double kLowHz = 20.0;
  static constexpr double kHighHz = 20000.0;

  BandAnalyser();
  ~BandAnalyser();
  BandAnalyser(const BandAnalyser&) = delete;
  BandAnalyser& operator=(const BandAnalyser&) = delete;

  /// 1/N octave: 1, 3, 6, 12 or 24. Changing it restarts the average.
  void SetFraction(int fraction);
  int Fraction() const { return fraction_; }
  void SetAveraging(Averaging averaging);
  const Averaging& Mode() const { return averaging_; }
  /// Forgets the average (and, for the infinite kind, its count).
  void ResetAverage();

  /// Appends samples (-1 .. 1) to the history the next step transforms.
  void Push(std::span<const float> samples);
  /// Transforms the newest samples and advances the average by `elapsed_s`.
  void Step(double elapsed_s);

  const std::vector<OctaveBand>& Bands() const { return bands_; }
  /// Band levels of the last step (averaged as chosen), in dBFS, floor -200.
  const std::vector<double>& LevelsDbfs() const { return levels_db_; }
  /// Steps in the average since the last reset, and the time they cover.
  long AverageCount() const { return count_; }
  double AverageSeconds() const { return seconds_; }
  /// Samples pushed since construction.
  long long SamplesPushed() const { return pushed_; }

  /// Sums one-sided bin powers (bin k centred on k * bin_hz) into each band, splitting the
  /// bins at the edges in proportion.
  static void SumBands(std::span<const double> bin_power, double bin_hz,
                       std::span<const OctaveBand> bands, std::span<double> out);

 private:
  void Rebuild();

  int fraction_ = 3;
  Averaging averaging_;
  std::vector<OctaveBand> bands_;
  std::vector<float> history_;  // ring of kFftLength samples
  std::size_t write_ = 0;
  long long pushed_ = 0;
  std::vector<float> window_;
  double window_power_ = 0;
  float* in_ = nullptr;
  void* out_ = nullptr;  // fftwf_complex[kFftLength / 2 + 1]
  fftwf_plan_s* plan_ = nullptr;
  std::vector<double> bin_power_;
  std::vector<double> band_power_;
  std::vector<double> average_;
  std::vector<double> levels_db_;
  long count_ = 0;
  double seconds_ = 0;
};

}  // namespace kdsp
