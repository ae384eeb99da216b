#pragma once

#include <memory>
#include <span>
#include <vector>

namespace kdsp {

/// One feedback frequency found in the capture.
struct FeedbackReport {
  double time_s = 0;    ///< end of the analysis frame in which it qualified
  double freq_hz = 0;   ///< interpolated between analysis bins
  double above_db = 0;  ///< level above its neighbourhood
  double level_db = 0;  ///< level of its bin, dB re full-scale sine
  int freq_index = 0;   ///< the nearest `FrequencyTable` step
};

struct FeedbackSettings {
  double sample_rate = 48000;
  double threshold_db = 10;  ///< how far above its neighbourhood a peak must stand
  double hold_s = 0.25;      ///< how long it must hold its frequency and level
  double repeat_s = 1.0;     ///< a ring that goes on is reported again after this long
  double low_hz = 50;
  double high_hz = 16000;
};

/// Finds feedback in a stream of samples: a narrow spectral peak that stands well above its
/// neighbourhood, keeps its frequency (vibrato moves a sung note, a ring holds still), lasts
/// `hold_s` without fading, and is not one of a harmonic series (a played note). Short-time
/// spectra of about 85 ms every 21 ms. Deterministic; the same samples give the same reports
/// whatever the block sizes.
class FeedbackDetector {
 public:
  explicit FeedbackDetector(const FeedbackSettings& settings = {});
  ~FeedbackDetector();
  FeedbackDetector(const FeedbackDetector&) = delete;
  FeedbackDetector& operator=(const FeedbackDetector&) = delete;

  /// Feeds mono samples (full scale = 1); returns the feedback that qualified in them.
  std::vector<FeedbackReport> Feed(std::span<const float> samples);

  /// Forgets everything heard so far (the time goes on).
  void Reset();

  int FrameLength() const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace kdsp
