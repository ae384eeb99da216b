#pragma once

#include <complex>
#include <cstdint>
#include <span>

namespace kdsp {

/// Transform length and the number of samples taken into one transform.
inline constexpr int kFftLength = 2048;
inline constexpr int kSamplesPerTransform = 1024;

/// The analyser's transform: `FftInput` and `FftOutput` (2048 single-precision complex entries
/// each) and one forward FFTW plan, all made once by the constructor. Owned and used by the
/// window thread only; the transform step allocates nothing.
class SpectrumTransform {
 public:
  SpectrumTransform();
  ~SpectrumTransform();
  SpectrumTransform(const SpectrumTransform&) = delete;
  SpectrumTransform& operator=(const SpectrumTransform&) = delete;

  /// One transform step: the first 1024 unsigned 8-bit samples become s / 128 - 1 (samples
  /// missing from a short or empty block count as silence, 128), the rest of the input stays
  /// zero, the unscaled forward transform fills `FftOutput`, and bins 0, 1, 2 are multiplied by
  /// 0.1 k^3.
  void Run(std::span<const std::uint8_t> samples);

  std::span<const std::complex<float>, kFftLength> FftInput() const;
  std::span<const std::complex<float>, kFftLength> FftOutput() const;

  /// |FftOutput[bin]| rounded to single precision; bins outside 0..2047 read as 0.
  float Magnitude(int bin) const;

 private:
  std::complex<float>* input_;
  std::complex<float>* output_;
  void* plan_;  // fftwf_plan, kept opaque so that users need not include fftw3.h
};

}  // namespace kdsp
