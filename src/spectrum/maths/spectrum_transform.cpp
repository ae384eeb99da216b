#include "spectrum/maths/spectrum_transform.h"

#include <fftw3.h>

#include <cmath>
#include <new>

namespace kdsp {

namespace {

fftwf_complex* AsFftw(std::complex<float>* p) { return reinterpret_cast<fftwf_complex*>(p); }

}  // namespace

SpectrumTransform::SpectrumTransform() {
  // std::complex<float> and fftwf_complex share their layout (two floats, real first).
  input_ = reinterpret_cast<std::complex<float>*>(fftwf_alloc_complex(kFftLength));
  output_ = reinterpret_cast<std::complex<float>*>(fftwf_alloc_complex(kFftLength));
  if (input_ == nullptr || output_ == nullptr) {
    fftwf_free(input_);
    fftwf_free(output_);
    throw std::bad_alloc();
  }
  // FFTW_ESTIMATE leaves the arrays alone while planning and gives the same plan on every run.
  plan_ =
      fftwf_plan_dft_1d(kFftLength, AsFftw(input_), AsFftw(output_), FFTW_FORWARD, FFTW_ESTIMATE);
  for (int i = 0; i < kFftLength; ++i) {
    input_[i] = {0.0f, 0.0f};
    output_[i] = {0.0f, 0.0f};
  }
}

SpectrumTransform::~SpectrumTransform() {
  fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
  fftwf_free(input_);
  fftwf_free(output_);
}

void SpectrumTransform::Run(std::span<const std::uint8_t> samples) {
  for (int i = 0; i < kSamplesPerTransform; ++i) {
    const std::uint8_t s = i < static_cast<int>(samples.size()) ? samples[i] : 128;
    // Only the real part is written; the imaginary parts and the padding stay zero.
    input_[i].real(static_cast<float>(s) / 128.0f - 1.0f);
  }
  // A plain out-of-place complex transform keeps its input intact.
  fftwf_execute(static_cast<fftwf_plan>(plan_));
  // The lowest bins carry mostly the DC offset of 8-bit capture; damp them by 0.1 k^3.
  for (int k = 0; k < 3; ++k) {
    const double factor = 0.1 * k * k * k;
    output_[k] = {static_cast<float>(output_[k].real() * factor),
                  static_cast<float>(output_[k].imag() * factor)};
  }
}

std::span<const std::complex<float>, kFftLength> SpectrumTransform::FftInput() const {
  return std::span<const std::complex<float>, kFftLength>(input_, kFftLength);
}

std::span<const std::complex<float>, kFftLength> SpectrumTransform::FftOutput() const {
  return std::span<const std::complex<float>, kFftLength>(output_, kFftLength);
}

float SpectrumTransform::Magnitude(int bin) const {
  if (bin < 0 || bin >= kFftLength) return 0.0f;
  const double re = output_[bin].real();
  const double im = output_[bin].imag();
  return static_cast<float>(std::sqrt(re * re + im * im));
}

}  // namespace kdsp
