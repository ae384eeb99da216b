#include "eq/maths/biquad_section.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kdsp {

namespace {

float F(double x) { return static_cast<float>(x); }

// The peaking Q is scaled up before the design: Q' = (Q + 0.01) / 0.357142857142857.
constexpr double kPeakingQScale = 0.357142857142857;

struct ShelfTerms {
  double a, sqrt_a;
  float alpha;
};

ShelfTerms Shelf(float slope, float gain_db) {
  const double a = std::pow(10.0, gain_db / 40.0);
  const double s = Design().s;
  const double inv = 1.0 / ShelfSlope(slope);
  const float alpha = F(s / 2.0 * std::sqrt(std::fabs((a + 1.0 / a) * (inv - 1.0) + 2.0)));
  return {a, std::sqrt(a), alpha};
}

}  // namespace

const DesignPoint& Design() {
  static const DesignPoint point = [] {
    const double w0 = static_cast<float>(std::numbers::pi / 2.0);
    return DesignPoint{w0, std::sin(w0), std::cos(w0)};
  }();
  return point;
}

float ShelfSlope(float slope) { return F(std::min(slope, 4.0f) + 0.001); }

BiquadCoefficients PeakingSection(float q, float gain_db) {
  const double a = std::pow(10.0, gain_db / 40.0);
  const double c = Design().c;
  const double q_scaled = (q + 0.01) / kPeakingQScale;
  const float alpha = F(Design().s / (2.0 * q_scaled));
  return {F(1.0 + alpha * a), F(-2.0 * c), F(1.0 - alpha * a),
          F(1.0 + alpha / a), F(-2.0 * c), F(1.0 - alpha / a)};
}

BiquadCoefficients LowShelfSection(float slope, float gain_db) {
  const auto [a, sa, alpha] = Shelf(slope, gain_db);
  const double c = Design().c;
  const double k = 2.0 * sa * alpha;
  return {F(a * ((a + 1) - (a - 1) * c + k)), F(2 * a * ((a - 1) - (a + 1) * c)),
          F(a * ((a + 1) - (a - 1) * c - k)), F((a + 1) + (a - 1) * c + k),
          F(-2 * ((a - 1) + (a + 1) * c)),    F((a + 1) + (a - 1) * c - k)};
}

BiquadCoefficients HighShelfSection(float slope, float gain_db) {
  const auto [a, sa, alpha] = Shelf(slope, gain_db);
  const double c = Design().c;
  const double k = 2.0 * sa * alpha;
  return {F(a * ((a + 1) + (a - 1) * c + k)), F(-2 * a * ((a - 1) + (a + 1) * c)),
          F(a * ((a + 1) + (a - 1) * c - k)), F((a + 1) - (a - 1) * c + k),
          F(2 * ((a - 1) - (a + 1) * c)),     F((a + 1) - (a - 1) * c - k)};
}

BiquadCoefficients BypassSection() { return {1, 0, 0, 1, 0, 0}; }

BiquadCoefficients FirstOrderSection(bool high_pass) {
  const double s = Design().s;
  const double c = Design().c;
  const float a0 = F(s + c + 1);
  const float a1 = F(s - c - 1);
  if (high_pass) return {F(1 + c), F(-(1 + c)), 0, a0, a1, 0};
  return {F(s), F(s), 0, a0, a1, 0};
}

BiquadCoefficients SecondOrderSection(bool high_pass, float alpha) {
  const double c = Design().c;
  const float a0 = F(1.0 + alpha);
  const float a1 = F(-2.0 * c);
  const float a2 = F(1.0 - alpha);
  if (high_pass) return {F((1 + c) / 2), F(-(1 + c)), F((1 + c) / 2), a0, a1, a2};
  return {F((1 - c) / 2), F(1 - c), F((1 - c) / 2), a0, a1, a2};
}

float AlphaForQuality(double quality) { return F(Design().s / (2.0 * quality)); }

float ButterworthAlpha(int order, int index) {
  const double theta = std::numbers::pi * (index + 0.5) / order;
  return F(Design().s * std::sin(theta));
}

SectionMagnitude::SectionMagnitude(const BiquadCoefficients& k)
    : b0b2_(static_cast<double>(k.b0) * k.b2),
      sb_((static_cast<double>(k.b0) + k.b1 + k.b2) * (static_cast<double>(k.b0) + k.b1 + k.b2)),
      tb_(static_cast<double>(k.b1) * (static_cast<double>(k.b0) + k.b2) + 4.0 * k.b0 * k.b2),
      a0a2_(static_cast<double>(k.a0) * k.a2),
      sa_((static_cast<double>(k.a0) + k.a1 + k.a2) * (static_cast<double>(k.a0) + k.a1 + k.a2)),
      ta_(static_cast<double>(k.a1) * (static_cast<double>(k.a0) + k.a2) + 4.0 * k.a0 * k.a2) {}

double SectionMagnitude::Db(double numerator, double denominator) {
  return 10.0 * std::log10(numerator) - 10.0 * std::log10(denominator);
}

}  // namespace kdsp
