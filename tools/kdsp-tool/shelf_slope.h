#pragma once

namespace kdsp::tool {

// A shelf is described by its slope S on the box and by its Q in REW and Equalizer APO text.
// The two are tied by the shelf's gain: 1/Q = sqrt((A + 1/A)(1/S - 1) + 2), A = 10^(gain/40).

/// The Q of a shelf of slope `slope` and gain `gain_db`.
double ShelfQFromSlope(double slope, double gain_db);

/// The slope of a shelf of Q `q` and gain `gain_db`; +infinity when no slope gives that Q (a Q
/// steeper than the gain allows).
double ShelfSlopeFromQ(double q, double gain_db);

}  // namespace kdsp::tool
