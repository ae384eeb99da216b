#pragma once

namespace kdsp {

/// Coefficients of one section: numerator b0, b1, b2 and denominator a0, a1, a2, stored in
/// single precision.
struct BiquadCoefficients {
  float b0, b1, b2, a0, a1, a2;
};

/// Every band is designed at the one normalised frequency w0 = pi/2 rounded to single
/// precision; s and c are sin and cos of that value (c is about -4.4e-8, not 0).
struct DesignPoint {
  double w0, s, c;
};
const DesignPoint& Design();

/// Band designs. `q` and `slope` are the values actually used (after the Q remap).
BiquadCoefficients PeakingSection(float q, float gain_db);
BiquadCoefficients LowShelfSection(float slope, float gain_db);
BiquadCoefficients HighShelfSection(float slope, float gain_db);
/// Shelf slope used by the design: min(slope, 4) + 0.001 (a slope of 6.00 works as 4.001).
float ShelfSlope(float slope);

/// Filter designs; `alpha` of the second-order sections comes from one of the helpers below.
BiquadCoefficients BypassSection();
BiquadCoefficients FirstOrderSection(bool high_pass);
BiquadCoefficients SecondOrderSection(bool high_pass, float alpha);
/// alpha = s / (2 q) for a second-order section of quality q.
float AlphaForQuality(double quality);
/// alpha = s sin(theta), theta = pi (index + 0.5) / order: section `index` of a Butterworth
/// filter of order `order` (q = 1 / (2 sin theta)).
float ButterworthAlpha(int order, int index);

/// Magnitude of a section at p = 4 sin^2(w / 2), with the sums precomputed once per section.
class SectionMagnitude {
 public:
  explicit SectionMagnitude(const BiquadCoefficients& k);
  /// The numerator and denominator terms p (p b0 b2 - TB) + SB and p (p a0 a2 - TA) + SA.
  double Numerator(float p) const { return p * (p * b0b2_ - tb_) + sb_; }
  double Denominator(float p) const { return p * (p * a0a2_ - ta_) + sa_; }
  /// 10 log10(numerator) - 10 log10(denominator).
  static double Db(double numerator, double denominator);

 private:
  double b0b2_, sb_, tb_, a0a2_, sa_, ta_;
};

}  // namespace kdsp
