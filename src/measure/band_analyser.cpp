#include "measure/band_analyser.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kdsp {

BandAnalyser::BandAnalyser()
    : history_(kFftLength, 0.0f), window_(kFftLength), bin_power_(kFftLength / 2 + 1) {
  for (int n = 0; n < kFftLength; ++n) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / kFftLength);
    window_[n] = static_cast<float>(w);
    window_power_ += w * w;
  }
  in_ = fftwf_alloc_real(kFftLength);
  out_ = fftwf_alloc_complex(kFftLength / 2 + 1);
  plan_ = fftwf_plan_dft_r2c_1d(kFftLength, in_, static_cast<fftwf_complex*>(out_), FFTW_ESTIMATE);
  Rebuild();
}

BandAnalyser::~BandAnalyser() {
  fftwf_destroy_plan(plan_);
  fftwf_free(in_);
  fftwf_free(out_);
}

void BandAnalyser::SetFraction(int fraction) {
  if (fraction == fraction_ || fraction <= 0) return;
  fraction_ = fraction;
  Rebuild();
}

void BandAnalyser::SetAveraging(Averaging averaging) {
  const bool restart = averaging.kind != averaging_.kind;
  averaging_ = averaging;
  if (restart) ResetAverage();
}

void BandAnalyser::Rebuild() {
  bands_ = OctaveBands(fraction_, kLowHz * 0.98, kHighHz * 1.02);
  band_power_.assign(bands_.size(), 0.0);
  levels_db_.assign(bands_.size(), -200.0);
  ResetAverage();
}

void BandAnalyser::ResetAverage() {
  average_.assign(bands_.size(), 0.0);
  count_ = 0;
  seconds_ = 0;
}

void BandAnalyser::Push(std::span<const float> samples) {
  // Only the newest kFftLength samples matter.
  if (samples.size() > history_.size()) samples = samples.last(history_.size());
  for (float s : samples) {
    history_[write_] = s;
    write_ = (write_ + 1) % history_.size();
  }
  pushed_ += static_cast<long long>(samples.size());
}

void BandAnalyser::SumBands(std::span<const double> bin_power, double bin_hz,
                            std::span<const OctaveBand> bands, std::span<double> out) {
  // Cumulative power below a frequency: bin k spans (k - 1/2 .. k + 1/2) * bin_hz.
  std::vector<double> prefix(bin_power.size() + 1, 0.0);
  for (std::size_t k = 0; k < bin_power.size(); ++k) prefix[k + 1] = prefix[k] + bin_power[k];
  const double last = static_cast<double>(bin_power.size());
  const auto below = [&](double f) {
    const double pos = std::clamp(f / bin_hz + 0.5, 0.0, last);
    const auto k = static_cast<std::size_t>(pos);
    const double frac = k < bin_power.size() ? (pos - static_cast<double>(k)) * bin_power[k] : 0;
    return prefix[k] + frac;
  };
  for (std::size_t b = 0; b < bands.size() && b < out.size(); ++b) {
    out[b] = std::max(0.0, below(bands[b].high_hz) - below(bands[b].low_hz));
  }
}

void BandAnalyser::Step(double elapsed_s) {
  const std::size_t n = history_.size();
  for (std::size_t i = 0; i < n; ++i) in_[i] = history_[(write_ + i) % n] * window_[i];
  fftwf_execute(plan_);
  const auto* out = static_cast<const fftwf_complex*>(out_);
  const double scale = 2.0 / (static_cast<double>(kFftLength) * window_power_);
  for (std::size_t k = 0; k < bin_power_.size(); ++k) {
    const double re = out[k][0];
    const double im = out[k][1];
    bin_power_[k] = (re * re + im * im) * scale;
  }
  bin_power_[0] *= 0.5;  // DC and Nyquist have no mirror image
  bin_power_.back() *= 0.5;
  SumBands(bin_power_, static_cast<double>(kSampleRate) / kFftLength, bands_, band_power_);

  ++count_;
  seconds_ += elapsed_s;
  switch (averaging_.kind) {
    case Averaging::Kind::kNone:
      average_ = band_power_;
      break;
    case Averaging::Kind::kExponential: {
      const double a =
          count_ == 1 ? 1.0 : 1.0 - std::exp(-elapsed_s / std::max(1e-6, averaging_.tau_s));
      for (std::size_t b = 0; b < average_.size(); ++b) {
        average_[b] += a * (band_power_[b] - average_[b]);
      }
      break;
    }
    case Averaging::Kind::kInfinite:
      for (std::size_t b = 0; b < average_.size(); ++b) {
        average_[b] += (band_power_[b] - average_[b]) / static_cast<double>(count_);
      }
      break;
  }
  for (std::size_t b = 0; b < average_.size(); ++b) {
    // dBFS: a full-scale sine (mean square 1/2) reads 0.
    levels_db_[b] = average_[b] > 1e-20 ? 10.0 * std::log10(2.0 * average_[b]) : -200.0;
  }
}

}  // namespace kdsp
