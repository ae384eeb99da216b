#pragma once

// Texts of the equaliser graph: the value label of the band last touched and the axis labels.

#include <array>
#include <string>

namespace kdsp {

/// `value` with `decimals` digits after a "." (the "#0.0" / "#0.00" patterns): halves go away
/// from zero, at least one integer digit, no sign on a value that rounds to zero.
std::string FormatFixed(double value, int decimals);

/// The three lines of a band's value label: gain, Q and frequency ("-3.2dB", "Q:1.00",
/// "1000.00Hz"), joined by line breaks.
std::string BandValueText(double gain_db, double q, double freq_hz);

/// A filter's value label: "HPF:19.00Hz" or "LPF:20600.00Hz".
std::string FilterValueText(bool low_pass, double freq_hz);

/// Level axis label i (0..10): the integer 6i - 24 followed by "dB", no plus sign.
std::string LevelAxisText(int i);
inline constexpr int kLevelAxisLabels = 11;

/// One frequency axis label: its frequency and text.
struct FrequencyAxisLabel {
  double freq_hz;
  const char* text;
};
inline constexpr std::array<FrequencyAxisLabel, 10> kFrequencyAxisLabels = {{
    {20, "20Hz"},
    {50, "50Hz"},
    {100, "100Hz"},
    {200, "200Hz"},
    {500, "500Hz"},
    {1000, "1KHz"},
    {2000, "2KHz"},
    {5000, "5KHz"},
    {10000, "10KHz"},
    {20000, "20KHz"},
}};

}  // namespace kdsp
