#include "model/scale_tables.h"

#include <algorithm>
#include <array>

namespace kdsp {
namespace {

constexpr std::array<std::string_view, 41> kRatio = {
    "1.0", "1.2", "1.4",  "1.6",  "1.8",  "2.0", "2.4", "2.8", "3.2", "3.6", "4.0",
    "4.4", "4.8", "5.2",  "5.6",  "6.0",  "6.4", "6.8", "7.2", "7.6", "8.0", "8.4",
    "9.0", "9.6", "10.2", "10.8", "11.4", "12",  "13",  "14",  "15",  "16",  "17",
    "18",  "19",  "20",   "22",   "24",   "26",  "30",  "100"};

constexpr std::array<std::string_view, 8> kRelease = {
    "Atk x 2", "Atk x 4", "Atk x 6", "Atk x 8", "Atk x 12", "Atk x 16", "Atk x 24", "Atk x 32"};

constexpr std::array<std::string_view, 20> kAttack = {
    "0.5", "0.7", "1.0", "1.4", "2.0", "2.8", "4.0", "5.7", "8.0", "11",
    "16",  "23",  "32",  "45",  "64",  "90",  "100", "120", "150", "400"};

constexpr std::array<BiText, 10> kInputs = {{
    {"自动", "AUTO"},
    {"模拟1", "RCA1"},
    {"模拟2", "RCA2"},
    {"蓝牙", "BLUE"},
    {"光纤", "OPTI"},
    {"USB", "USB"},
    {"HDMI1", "HDMI1"},
    {"HDMI2", "HDMI2"},
    {"HDMI3", "HDMI3"},
    {"HDMIARC", "HDMIARC"},
}};

// Automatic and analogue 1 share the analogue 1 gain; the four HDMI sources share one gain.
constexpr std::array<BiText, 10> kInputVolumes = {{
    {"模拟1音量", "RCA1 Vol"},
    {"模拟1音量", "RCA1 Vol"},
    {"模拟2音量", "RCA2 Vol"},
    {"蓝牙音量", "BLUE Vol"},
    {"光纤音量", "OPTI Vol"},
    {"USB音量", "USB Vol"},
    {"HDMI音量", "HDMI Vol"},
    {"HDMI音量", "HDMI Vol"},
    {"HDMI音量", "HDMI Vol"},
    {"HDMI音量", "HDMI Vol"},
}};

std::size_t ClampIndex(int index, std::size_t size) {
  return index <= 0 ? 0 : std::min(static_cast<std::size_t>(index), size - 1);
}

}  // namespace

std::span<const std::string_view> RatioTable() { return kRatio; }
std::span<const std::string_view> ReleaseTable() { return kRelease; }
std::span<const std::string_view> AttackTable() { return kAttack; }
std::span<const BiText> InputNames() { return kInputs; }
std::span<const BiText> InputVolumeNames() { return kInputVolumes; }

std::string_view TextAt(std::span<const std::string_view> table, int index) {
  if (table.empty()) return {};
  return table[ClampIndex(index, table.size())];
}

BiText TextAt(std::span<const BiText> table, int index) {
  if (table.empty()) return {};
  return table[ClampIndex(index, table.size())];
}

}  // namespace kdsp
