#pragma once

#include <array>
#include <string>
#include <vector>

#include "kdsp-tool/channels.h"
#include "kdsp-tool/filter_text.h"
#include "model/value_table.h"

namespace kdsp::tool {

/// The five raw fields of one band: type, frequency index, gain, Q index, slope index.
using BandState = std::array<int, 5>;

/// Slot of field `field` of the channel's band `band` (0-based within the channel) on `page`.
int ChannelBandSlot(const Channel& channel, int page, int band, int field);

/// The channel's bands on device page `page` of `values`.
std::vector<BandState> ReadBandStates(const Channel& channel, int page, const ValueTable& values);

/// The export form of a band: the slope stands in for the Q on shelves.
ExportBand ToExportBand(const BandState& band);

/// The QTable index 0..max_index nearest to `q` (by ratio; a tie goes to the lower index).
int NearestQIndex(double q, int max_index);

/// The `FrequencyTable` index 0..max nearest to `hz` (a tie goes to the lower index). Not the
/// window's rule for typed entries, which rounds up into the last step.
int NearestImportFrequencyIndex(double hz);

/// Applies filter text to the bands, in order: every PK, LS/LSC, HS/HSC or None filter takes
/// the next band; OFF and None bands are bypassed (an OFF filter's values are kept in the
/// band); the bands after the last filter are bypassed. Frequencies go to the nearest
/// `FrequencyTable` index, gains to 0.2 dB steps clamped to -24..+12 dB, Q to the nearest
/// `QTable` index; a shelf's Q is turned into its slope at the band's gain (slopes up to index
/// 24). Returns one message for every filter left out
/// (types the box lacks, more filters than bands, no usable frequency) and for every value
/// that was clamped or kept.
std::vector<std::string> ImportFilters(const FilterText& filters, std::vector<BandState>& bands);

}  // namespace kdsp::tool
