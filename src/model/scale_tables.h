#pragma once

#include <span>
#include <string_view>

#include "model/bi_text.h"

namespace kdsp {

/// Limiter ratio texts, index 0..40 ("1.0" .. "100").
std::span<const std::string_view> RatioTable();
/// Release time as a multiple of the attack time, index 0..7 ("Atk x 2" .. "Atk x 32").
std::span<const std::string_view> ReleaseTable();
/// Attack times in milliseconds without unit, index 0..19 ("0.5" .. "400").
std::span<const std::string_view> AttackTable();

/// Names of the input sources 0..9 ("自动"/"AUTO" .. "HDMIARC").
std::span<const BiText> InputNames();
/// Caption of the music input gain for each input source 0..9 ("模拟1音量"/"RCA1 Vol" ..).
std::span<const BiText> InputVolumeNames();

/// Entry `index` of a table, the index clamped to the table; empty for an empty table.
std::string_view TextAt(std::span<const std::string_view> table, int index);
BiText TextAt(std::span<const BiText> table, int index);

}  // namespace kdsp
