#pragma once

#include <string>

#include "kdsp-tool/channels.h"
#include "model/value_table.h"

namespace kdsp::tool {

/// The channel's equaliser response as the console's graph draws it, as CSV: a header line
/// "frequency_hz,level_db", then one line per grid point from 10 Hz to 24 kHz.
std::string ChannelCurveCsv(const ValueTable& device_values, const Channel& channel, int page);

}  // namespace kdsp::tool
