#pragma once

#include <string>

namespace kdsp {

/// Display kinds (the number a value control keeps in its `Hint`) that callers branch on.
inline constexpr int kKindNone = 0;           ///< not formatted here (volume limits)
inline constexpr int kKindFilterType = 1;     ///< band type selector, items 0..3
inline constexpr int kKindFrequency = 2;      ///< band frequency, `FrequencyTable` index
inline constexpr int kKindGain = 3;           ///< band gain, 0.2 dB steps, 120 = 0 dB
inline constexpr int kKindQ = 4;              ///< band Q or shelf slope, `QTable` index
inline constexpr int kKindInputGain = 5;      ///< music input gain, 0.5 dB steps, 20 = 0 dB
inline constexpr int kKindHighPassType = 20;  ///< hint of a high-pass type selector
inline constexpr int kKindLowPassType = 21;   ///< hint of a low-pass type selector
inline constexpr int kKindMaxBoost = 27;      ///< user equaliser maximum boost, 120..180
inline constexpr int kKindMaxCut = 28;        ///< user equaliser maximum cut, 60..120
inline constexpr int kKindPlain = 29;         ///< plain number 0..100
inline constexpr int kKindCount = 30;

/// Inclusive raw range of a display kind.
struct KindRange {
  int min;
  int max;
  bool operator==(const KindRange&) const = default;
};

/// True for the kinds 0..29 of the scale set.
bool IsDisplayKind(int kind);

/// True when the kind has a raw range of its own (every kind 1..29).
bool HasRange(int kind);

/// Raw range of a kind; kind 4 ends at 24 on a shelving band (`shelf`). Kind 0 and unknown
/// kinds have no range of their own and get the whole parameter word, 0..65535.
KindRange RangeOf(int kind, bool shelf = false);

/// A user value (typed, stepped or dragged, in raw units) clamped to the kind's range and cut
/// to its integer part: the value that is shown, stored and sent.
int ClampUser(int kind, double v, bool shelf = false);

/// A stored value shown without being edited: kinds 1..5 apply only the upper bound (stored
/// values are never negative), every other kind its full range; then cut to the integer part.
int ClampDisplay(int kind, double v, bool shelf = false);

/// True when `FormatKind` gives a text for the kind (every kind but 0 and 1).
bool KindHasText(int kind);

/// Text of raw value `raw` for a kind, unit appended with no space ("6.0dB", "19.7Hz", "63ms",
/// "Off"); empty for kinds 0, 1 and unknown kinds. The caller clamps first; table lookups keep
/// their index inside the table whatever `raw` is.
std::string FormatKind(int kind, int raw);

}  // namespace kdsp
