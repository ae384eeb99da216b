#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdsp::tool {

/// One "Filter" line of a REW filter-settings file or an Equalizer APO configuration.
struct FilterLine {
  int line_number = 0;  ///< 1-based line of the text
  bool on = true;       ///< "ON" / "OFF"
  std::string type;     ///< as written, upper-case: "PK", "LS", "HSC", "NONE", "HP", "LS 6DB"
  std::optional<double> fc_hz;
  std::optional<double> gain_db;
  std::optional<double> q;
  std::optional<double> bw_oct;  ///< "BW Oct n", an alternative to Q for peaking filters
};

/// The filters of a text and what was noticed while reading it.
struct FilterText {
  std::vector<FilterLine> filters;
  std::vector<std::string> warnings;  ///< "line 3: Preamp -6.0 dB ignored", unreadable lines
};

/// Reads REW or APO filter text: whitespace-tolerant, comma accepted as decimal point, "Filter
/// n:" or "Filter:" lines with ON/OFF, a type and the Fc / Gain / Q / BW Oct pairs (units
/// optional). Lines that are not filters (headers, notes, comments) are passed over; a
/// "Preamp" line is ignored with a warning.
FilterText ParseFilterText(std::string_view text);

/// A band of the box as exported: type 0 bypass, 1 peaking, 2 low shelf, 3 high shelf (any
/// other type is written as bypassed), and the raw frequency, gain and Q indexes.
struct ExportBand {
  int type = 1;
  int freq_index = 0;
  int gain_raw = 120;
  int q_index = 16;  ///< field 3 for peaking and bypassed bands, field 4 for shelves
};

enum class FilterFormat { kRew, kApo };

/// The bands as REW "Filter Settings file" text (padded columns, bypassed bands "None") or as
/// Equalizer APO lines ("Filter 1: ON PK Fc 1000 Hz Gain 6.0 dB Q 1.00", bypassed bands OFF).
/// `note` goes into the header.
std::string FormatFilters(const std::vector<ExportBand>& bands, FilterFormat format,
                          std::string_view note);

}  // namespace kdsp::tool
