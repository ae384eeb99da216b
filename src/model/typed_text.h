#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kdsp {

/// Keeps only '-', '.' and '0'..'9' of a typed text, in their order ("1kHz" -> "1",
/// "-3.5 dB" -> "-3.5").
std::string FilterTyped(std::string_view text);

/// Reads a filtered text as a decimal number with '.' as separator: an optional leading '-',
/// digits with at most one '.', at least one digit. Empty text, "1.2.3", "-", "5-" and the like
/// give no number. Digits too large for a double read as an infinity of that sign.
std::optional<double> ReadNumber(std::string_view filtered);

/// Filter and read in one step: the number an edit's text stands for, if any.
std::optional<double> ReadTyped(std::string_view text);

/// Nearest integer, a value halfway between two going to the even one. Halves are judged on
/// the decimal the user typed, so a binary error of a few ulps does not break a tie.
double RoundTypedHalfEven(double v);

/// The raw value (before clamping) of typed number `x` for a display kind: 2 the nearest
/// frequency index, 3/27/28 (x + 24) x 5 and 5 (x + 10) x 2 rounded, 4 the first Q index not
/// below x (101 above all), 29 x rounded; any other kind x unchanged.
double ParseTyped(int kind, double x);

}  // namespace kdsp
