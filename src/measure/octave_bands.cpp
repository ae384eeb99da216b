#include "measure/octave_bands.h"

#include <algorithm>
#include <cmath>

namespace kdsp {

std::vector<OctaveBand> OctaveBands(int fraction, double low_hz, double high_hz) {
  std::vector<OctaveBand> bands;
  if (fraction <= 0 || !(high_hz >= low_hz) || !(low_hz > 0)) return bands;
  const double n = fraction;
  const bool even = fraction % 2 == 0;
  const auto centre = [&](int k) {
    return 1000.0 * std::pow(2.0, even ? (2.0 * k + 1.0) / (2.0 * n) : k / n);
  };
  // First index at or above low_hz (with a little slack for rounding).
  int k = static_cast<int>(std::floor(std::log2(low_hz / 1000.0) * n)) - 2;
  while (centre(k) < low_hz * (1.0 - 1e-9)) ++k;
  // Edges from the same integer steps of 1/(2N) octave, so neighbours share theirs exactly.
  const auto edge = [&](int m) { return 1000.0 * std::pow(2.0, m / (2.0 * n)); };
  for (; centre(k) <= high_hz * (1.0 + 1e-9); ++k) {
    const int m = even ? 2 * k : 2 * k - 1;
    bands.push_back({centre(k), edge(m), edge(m + 2)});
  }
  return bands;
}

namespace {

// Running integral of power over ln f at each point of the trace (trapezoids).
std::vector<double> PowerIntegral(const std::vector<TracePoint>& pts, std::vector<double>& power) {
  power.resize(pts.size());
  for (std::size_t i = 0; i < pts.size(); ++i) power[i] = std::pow(10.0, pts[i].db / 10.0);
  std::vector<double> integral(pts.size(), 0.0);
  for (std::size_t i = 1; i < pts.size(); ++i) {
    const double w = std::log(pts[i].freq_hz / pts[i - 1].freq_hz);
    integral[i] = integral[i - 1] + 0.5 * w * (power[i] + power[i - 1]);
  }
  return integral;
}

// The integral from the first point to x (within the trace), power linear in ln f per segment.
double IntegralAt(const std::vector<TracePoint>& pts, const std::vector<double>& power,
                  const std::vector<double>& integral, double x) {
  if (x <= pts.front().freq_hz) return 0.0;
  if (x >= pts.back().freq_hz) return integral.back();
  const auto it = std::upper_bound(pts.begin(), pts.end(), x,
                                   [](double f, const TracePoint& p) { return f < p.freq_hz; });
  const std::size_t j = static_cast<std::size_t>(it - pts.begin());  // pts[j-1] <= x < pts[j]
  const double seg = std::log(pts[j].freq_hz / pts[j - 1].freq_hz);
  const double part = std::log(x / pts[j - 1].freq_hz);
  const double t = part / seg;
  const double px = power[j - 1] + t * (power[j] - power[j - 1]);
  return integral[j - 1] + 0.5 * part * (power[j - 1] + px);
}

}  // namespace

Trace SmoothTrace(const Trace& trace, int fraction) {
  if (fraction <= 0 || trace.points.size() < 2) return trace;
  const auto& pts = trace.points;
  std::vector<double> power;
  const std::vector<double> integral = PowerIntegral(pts, power);
  const double half = std::pow(2.0, 1.0 / (2.0 * fraction));
  Trace out;
  out.name = trace.name;
  out.points.reserve(pts.size());
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const double lo = std::max(pts[i].freq_hz / half, pts.front().freq_hz);
    const double hi = std::min(pts[i].freq_hz * half, pts.back().freq_hz);
    const double width = std::log(hi / lo);
    double p = power[i];
    if (width > 1e-12) {
      p = (IntegralAt(pts, power, integral, hi) - IntegralAt(pts, power, integral, lo)) / width;
    }
    out.points.push_back({pts[i].freq_hz, 10.0 * std::log10(std::max(p, 1e-30)), std::nullopt});
  }
  return out;
}

Trace BandLevels(const Trace& trace, int fraction) {
  Trace out;
  out.name = trace.name;
  if (trace.points.empty()) return out;
  const Trace smooth = SmoothTrace(trace, fraction);
  for (const OctaveBand& b :
       OctaveBands(fraction, trace.points.front().freq_hz, trace.points.back().freq_hz)) {
    out.points.push_back({b.centre_hz, TraceLevelAt(smooth, b.centre_hz), std::nullopt});
  }
  return out;
}

}  // namespace kdsp
