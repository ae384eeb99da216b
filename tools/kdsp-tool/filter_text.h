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
  int section = -1;  ///< the Equalizer APO "Channel:" section it stands in; -1 before any
};

/// The filters of a text and what was noticed while reading it.
struct FilterText {
  std::vector<FilterLine> filters;
  std::vector<std::string> warnings;  ///< "line 3: Preamp -6.0 dB ignored", unreadable lines
  /// The channel names of each Equalizer APO "Channel:" line, upper-case ("L", "R", "ALL").
  std::vector<std::vector<std::string>> sections;
};

/// Reads REW or APO filter text: whitespace-tolerant, comma accepted as decimal point, "Filter
/// n:" or "Filter:" lines with ON/OFF, a type and the Fc / Gain / Q / BW Oct pairs (units
/// optional). Lines that are not filters (headers, notes, comments) are passed over; a
/// "Preamp" line is ignored with a warning, and so is a line that starts like a filter but
/// cannot be read. UTF-8 with a byte-order mark, UTF-16 with its mark and CR or CRLF line ends
/// are read as the text they are.
FilterText ParseFilterText(std::string_view text);

/// The filters that apply to one channel of an Equalizer APO text with "Channel:" sections.
struct ChannelPick {
  FilterText text;    ///< the chosen filters (all of them when the text has no sections)
  std::string error;  ///< set when no choice can be made; `text` is then empty
};

/// Chooses the filters for APO channel `channel` (case-insensitive; filters before the first
/// "Channel:" line and in "Channel: all" sections apply to every channel). Without a choice, a
/// text whose filters stand in more than one section is refused with a message listing them.
ChannelPick PickApoChannel(const FilterText& text, const std::optional<std::string>& channel);

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
