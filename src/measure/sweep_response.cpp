#include "measure/sweep_response.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "measure/octave_bands.h"

namespace kdsp {

namespace {

constexpr double kPi = std::numbers::pi;

// The octaves over which the console's pink noise spreads its power (about 9 Hz to the
// Nyquist frequency at 48 kHz).
constexpr double kPinkNoiseOctaves = 11.35;

std::size_t NextPowerOfTwo(std::size_t n) {
  std::size_t p = 1;
  while (p < n) p <<= 1;
  return p;
}

// Real forward transform of `in` zero-padded to `size`.
std::vector<std::complex<double>> Forward(std::span<const float> in, std::size_t size) {
  float* buf = fftwf_alloc_real(size);
  auto* out = fftwf_alloc_complex(size / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(static_cast<int>(size), buf, out, FFTW_ESTIMATE);
  std::fill(buf, buf + size, 0.0f);
  std::copy(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(std::min(in.size(), size)), buf);
  fftwf_execute(plan);
  std::vector<std::complex<double>> result(size / 2 + 1);
  for (std::size_t k = 0; k < result.size(); ++k) result[k] = {out[k][0], out[k][1]};
  fftwf_destroy_plan(plan);
  fftwf_free(buf);
  fftwf_free(out);
  return result;
}

std::vector<float> Inverse(const std::vector<std::complex<double>>& in, std::size_t size) {
  auto* buf = fftwf_alloc_complex(size / 2 + 1);
  float* out = fftwf_alloc_real(size);
  fftwf_plan plan = fftwf_plan_dft_c2r_1d(static_cast<int>(size), buf, out, FFTW_ESTIMATE);
  for (std::size_t k = 0; k < in.size(); ++k) {
    buf[k][0] = static_cast<float>(in[k].real());
    buf[k][1] = static_cast<float>(in[k].imag());
  }
  fftwf_execute(plan);
  std::vector<float> result(out, out + size);
  const float scale = 1.0f / static_cast<float>(size);
  for (float& v : result) v *= scale;
  fftwf_destroy_plan(plan);
  fftwf_free(buf);
  fftwf_free(out);
  return result;
}

}  // namespace

std::vector<float> MakeSweep(const SweepSettings& settings) {
  const auto n = static_cast<std::size_t>(std::llround(settings.seconds * settings.sample_rate));
  std::vector<float> out(n);
  const double rate = settings.sample_rate;
  const double k = settings.seconds / std::log(settings.high_hz / settings.low_hz);
  const double amplitude = std::pow(10.0, settings.level_dbfs / 20.0);
  const auto fade = static_cast<std::size_t>(settings.fade_s * rate);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    double v = amplitude * std::sin(2.0 * kPi * settings.low_hz * k * (std::exp(t / k) - 1.0));
    const std::size_t from_end = n - 1 - i;
    if (fade > 0 && std::min(i, from_end) < fade) {
      v *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(std::min(i, from_end)) / fade);
    }
    out[i] = static_cast<float>(v);
  }
  return out;
}

ImpulseResponse DeconvolveSweep(std::span<const float> sweep, std::span<const float> recording,
                                const SweepSettings& settings) {
  const std::size_t size = NextPowerOfTwo(sweep.size() + recording.size());
  const auto x = Forward(sweep, size);
  auto y = Forward(recording, size);
  double peak_power = 0;
  for (const auto& v : x) peak_power = std::max(peak_power, std::norm(v));
  const double bin_hz = static_cast<double>(settings.sample_rate) / static_cast<double>(size);
  for (std::size_t k = 0; k < y.size(); ++k) {
    const double f = static_cast<double>(k) * bin_hz;
    // Inside the sweep's range the division is exact; outside it there is no excitation and
    // the response is held down instead of dividing noise by nothing.
    const bool inside = f >= settings.low_hz && f <= settings.high_hz;
    const double eps = peak_power * (inside ? 1e-12 : 1e-3);
    y[k] = y[k] * std::conj(x[k]) / (std::norm(x[k]) + eps);
  }
  ImpulseResponse ir;
  ir.samples = Inverse(y, size);
  ir.sample_rate = settings.sample_rate;
  ir.peak = static_cast<std::size_t>(
      std::max_element(ir.samples.begin(), ir.samples.end(),
                       [](float a, float b) { return std::fabs(a) < std::fabs(b); }) -
      ir.samples.begin());
  return ir;
}

Trace ResponseFromImpulse(const ImpulseResponse& ir, const ResponseWindow& window) {
  Trace out;
  const std::size_t n = ir.samples.size();
  if (n == 0) return out;
  const double rate = ir.sample_rate;
  const auto pre = static_cast<std::size_t>(window.pre_s * rate);
  const auto length = std::min(
      n, std::max<std::size_t>(pre + 16, static_cast<std::size_t>(window.length_s * rate)));
  const std::size_t fade_out = length / 4;
  std::vector<float> cut(length);
  const std::size_t start = (ir.peak + n - std::min(pre, n - 1)) % n;
  for (std::size_t i = 0; i < length; ++i) {
    double w = 1.0;
    if (i < pre) w = 0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / pre);
    const std::size_t to_end = length - 1 - i;
    if (to_end < fade_out) w *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(to_end) / fade_out);
    cut[i] = static_cast<float>(ir.samples[(start + i) % n] * w);
  }
  const std::size_t size = NextPowerOfTwo(std::max<std::size_t>(2 * length, 16384));
  const auto spectrum = Forward(cut, size);
  const double bin_hz = rate / static_cast<double>(size);
  Trace bins;
  for (std::size_t k = 1; k < spectrum.size(); ++k) {
    const double f = static_cast<double>(k) * bin_hz;
    if (f < window.low_hz / 1.2) continue;
    if (f > window.high_hz * 1.2) break;
    bins.points.push_back({f, 10.0 * std::log10(std::max(std::norm(spectrum[k]), 1e-30)), {}});
  }
  const Trace smooth = SmoothTrace(bins, window.fraction);
  const double step = std::pow(2.0, 1.0 / std::max(1, window.points_per_octave));
  for (double f = window.low_hz; f <= window.high_hz * 1.0001; f *= step) {
    out.points.push_back({f, TraceLevelAt(smooth, f), {}});
  }
  return out;
}

Trace PinkNoiseResponse(std::span<const double> band_centres_hz,
                        std::span<const double> band_widths_octaves,
                        std::span<const double> levels_dbfs, double noise_dbfs) {
  Trace out;
  const std::size_t n =
      std::min({band_centres_hz.size(), band_widths_octaves.size(), levels_dbfs.size()});
  for (std::size_t b = 0; b < n; ++b) {
    // The noise's power in a band is its whole power times the band's share of its octaves.
    const double noise_in_band =
        noise_dbfs + 10.0 * std::log10(band_widths_octaves[b] / kPinkNoiseOctaves);
    out.points.push_back({band_centres_hz[b], levels_dbfs[b] - noise_in_band, {}});
  }
  return out;
}

Trace PowerAverage(std::span<const Trace> positions) {
  Trace out;
  if (positions.empty()) return out;
  out.name = positions.front().name;
  for (const TracePoint& p : positions.front().points) {
    double sum = 0;
    for (const Trace& t : positions) sum += std::pow(10.0, TraceLevelAt(t, p.freq_hz) / 10.0);
    out.points.push_back(
        {p.freq_hz, 10.0 * std::log10(sum / static_cast<double>(positions.size())), {}});
  }
  return out;
}

}  // namespace kdsp
