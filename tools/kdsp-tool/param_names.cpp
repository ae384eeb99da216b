#include "kdsp-tool/param_names.h"

#include <array>
#include <span>

#include "kdsp-tool/channels.h"
#include "model/bi_text.h"
#include "model/display_kind.h"
#include "model/page_layout.h"
#include "model/scale_tables.h"
#include "model/slot_map.h"

namespace kdsp::tool {

namespace {

// A named slot; the two texts name the states of a switch (0 and 1) when the default
// "off"/"on" would not say what they mean.
struct NameRow {
  int slot;
  BiText name;
  BiText off = {};
  BiText on = {};
};

constexpr BiText kPhaseNormal{"正相", "normal"};
constexpr BiText kPhaseInverted{"反相", "inverted"};
constexpr BiText kDisable{"禁用", "Disable"};
constexpr BiText kEnable{"启用", "Enable"};
constexpr BiText kEqPass{"EQ直通", "EQ pass"};

constexpr std::array<NameRow, 15> kMusicRows = {{
    {0, {"模拟1音量", "RCA1 Vol"}},
    {1, {"模拟2音量", "RCA2 Vol"}},
    {2, {"蓝牙音量", "BLUE Vol"}},
    {3, {"光纤音量", "OPTI Vol"}},
    {4, {"USB音量", "USB Vol"}},
    {5, {"HDMI音量", "HDMI Vol"}},
    {6, {"变调", "Key"}},
    {7, {"高通类型", "HP type"}},
    {8, {"高通频率", "HPF"}},
    {9, {"低通类型", "LP type"}},
    {10, {"低通频率", "LPF"}},
    {12, kEqPass},
    {63, {"输出模式", "output mode"}, {"自动", "Auto"}, {"手动", "Manual"}},
    {64, {"场景", "scene"}, {"唱歌", "Sing"}, {"热舞", "Disco"}},
    {65, {"输入选择", "Input"}},
}};

constexpr std::array<NameRow, 16> kMicRows = {{
    {0, {"输入电平", "Input Level"}},
    {1, {"啸叫抑制", "Feedback"}},
    {2, {"噪声门启动电平", "Noise Threshold"}},
    {3, {"噪声门启动时间", "Noise Attack Time"}},
    {4, {"噪声门释放时间", "Noise Release Time"}},
    {5, {"压限启动电平", "Limit Level"}},
    {6, {"压限启动时间", "Attack Time"}},
    {7, {"压限释放时间", "Release Time"}},
    {8, {"压缩比例", "Ratio"}},
    {9, {"高通类型", "HP type"}},
    {10, {"高通频率", "HPF"}},
    {11, {"低通类型", "LP type"}},
    {12, {"低通频率", "LPF"}},
    {13, {"同步", "SYNC"}},
    {14, kEqPass},
    {115, {"效果音量", "Effect Vol"}},
}};

constexpr std::array<NameRow, 12> kEchoRows = {{
    {0, {"回声音量", "Echo Effect Vol"}},
    {1, {"回声相位", "Echo phase"}, kPhaseNormal, kPhaseInverted},
    {4, {"回声预延时", "Echo Pre-Delay"}},
    {5, {"回声延时", "Echo Delay"}},
    {6, {"回声重复比率", "Echo Repeat"}},
    {7, {"右通道预延时", "Right Pre-delay"}},
    {8, {"右通道延时", "Right delay"}},
    {9, {"高通类型", "HP type"}},
    {10, {"高通频率", "HPF"}},
    {11, {"低通类型", "LP type"}},
    {12, {"低通频率", "LPF"}},
    {13, kEqPass},
}};

constexpr std::array<NameRow, 11> kReverbRows = {{
    {0, {"混响音量", "Rvb Effect Vol"}},
    {1, {"混响相位", "Rvb Effect phase"}, kPhaseNormal, kPhaseInverted},
    {2, {"混响直达声", "Rvb Direct Vol"}},
    {3, {"直达声相位", "Rvb Direct phase"}, kPhaseNormal, kPhaseInverted},
    {4, {"混响预延时", "Rvb PreDelay"}},
    {5, {"混响时间", "Rvb Time"}},
    {6, {"高通类型", "HP type"}},
    {7, {"高通频率", "HPF"}},
    {8, {"低通类型", "LP type"}},
    {9, {"低通频率", "LPF"}},
    {10, kEqPass},
}};

constexpr std::array<NameRow, 21> kOutputRows = {{
    {0, {"音乐电平", "Music Level"}},
    {1, {"音乐相位", "Music phase"}, kPhaseNormal, kPhaseInverted},
    {4, {"麦克风电平", "Mic Level"}},
    {5, {"麦克风相位", "Mic phase"}, kPhaseNormal, kPhaseInverted},
    {8, {"回声效果电平", "Echo Level"}},
    {9, {"回声相位", "Echo phase"}, kPhaseNormal, kPhaseInverted},
    {12, {"混响效果电平", "Rvb Level"}},
    {13, {"混响相位", "Rvb phase"}, kPhaseNormal, kPhaseInverted},
    {16, {"延时", "Delay"}},
    {17, {"静音", "Mute"}},
    {18, {"压限启动电平", "Limit Level"}},
    {19, {"压限启动时间", "Attack Time"}},
    {20, {"压限释放时间", "Release Time"}},
    {21, {"压缩比例", "Ratio"}},
    {22, {"高通类型", "HP type"}},
    {23, {"高通频率", "HPF"}},
    {24, {"低通类型", "LP type"}},
    {25, {"低通频率", "LPF"}},
    {26, kEqPass},
    {77, {"输出音量", "Out Gain"}},
    {78, {"输出相位", "Out phase"}, kPhaseNormal, kPhaseInverted},
}};

constexpr std::array<NameRow, 13> kAuxRows = {{
    {0, {"增益步进", "gain step"}},
    {31, {"音乐低音最大提升", "music bass max boost"}},
    {32, {"音乐低音最大衰减", "music bass max cut"}},
    {33, {"音乐中音最大提升", "music middle max boost"}},
    {34, {"音乐中音最大衰减", "music middle max cut"}},
    {35, {"音乐高音最大提升", "music treble max boost"}},
    {36, {"音乐高音最大衰减", "music treble max cut"}},
    {37, {"话筒低音最大提升", "mic bass max boost"}},
    {38, {"话筒低音最大衰减", "mic bass max cut"}},
    {39, {"话筒中音最大提升", "mic middle max boost"}},
    {40, {"话筒中音最大衰减", "mic middle max cut"}},
    {41, {"话筒高音最大提升", "mic treble max boost"}},
    {42, {"话筒高音最大衰减", "mic treble max cut"}},
}};

constexpr std::array<NameRow, 1> kHiddenRows = {{{0, kEqPass}}};

constexpr std::array<NameRow, 10> kVolumeRows = {{
    {0, {"话筒音量", "Mic normal volume"}},
    {1, {"音乐音量", "Music normal volume"}},
    {2, {"效果音量", "Effect normal volume"}},
    {3, {"话筒最大音量", "Max mic volume"}},
    {4, {"音乐最大音量", "Max music volume"}},
    {5, {"效果最大音量", "Max effect volume"}},
    {6, {"话筒起始音量", "Initial mic volume"}},
    {7, {"音乐起始音量", "Initial music volume"}},
    {8, {"效果起始音量", "Initial effect volume"}},
    {9, {"模式独立音量", "independent VOL"}, kDisable, kEnable},
}};

constexpr std::array<NameRow, 9> kSystemRows = {{
    {2, {"模式", "mode"}},
    {3, {"联机", "link open"}},
    {4, {"联机密码/键盘锁", "Key panel lock"}, kDisable, kEnable},
    {8, {"用户级别", "user level"}},
    {20, {"输入源数量减一", "input sources less one"}},
    {21, {"隐藏调用模式", "mode load hidden"}},
    {23, {"中置路由", "Center routing"}},
    {24, {"超低音路由", "Sub routing"}},
    {34, {"隐藏模式", "hint mode"}},
}};

std::span<const NameRow> RowsOfPage(int page) {
  if (page == 0) return kMusicRows;
  if (page == 1 || page == 2) return kMicRows;
  if (page == 3) return kEchoRows;
  if (page == 4) return kReverbRows;
  if (page >= 5 && page <= 20) return kOutputRows;
  if (page == 21) return kAuxRows;
  if (page >= 22 && page <= 24) return kHiddenRows;
  if (page == 25) return kVolumeRows;
  if (page == 30) return kSystemRows;
  return {};
}

const NameRow* RowOf(int page, int slot) {
  for (const NameRow& row : RowsOfPage(page)) {
    if (row.slot == slot) return &row;
  }
  return nullptr;
}

std::string Lang(const BiText& t, int ui_language) { return std::string(t.In(ui_language)); }

std::string ItemOr(std::span<const std::string_view> items, std::int32_t value) {
  if (value >= 0 && static_cast<std::size_t>(value) < items.size())
    return std::string(items[value]);
  return std::to_string(value);
}

bool IsSwitch(ControlClass c) {
  return c == ControlClass::kPhaseSwitch || c == ControlClass::kMuteSwitch ||
         c == ControlClass::kBypassButton || c == ControlClass::kTwoStateButton ||
         c == ControlClass::kSyncButton;
}

// Text of a value by what the slot map says of its control.
std::string ValueText(const SlotEntry* entry, const NameRow* row, bool band_slope,
                      std::int32_t value, int ui_language) {
  if (!entry) return std::to_string(value);
  const int kind = entry->display_kind;
  switch (entry->primary_class) {
    case ControlClass::kBandTypeSelector:
      return ItemOr(kBandTypeItems, value);
    case ControlClass::kHighPassTypeSelector:
    case ControlClass::kLowPassTypeSelector:
      return ItemOr(kPassTypeItems, value);
    case ControlClass::kSelector:
      if (entry->item_source == ItemSource::kFixed) return ItemOr(entry->items, value);
      if (entry->item_source == ItemSource::kInputNames) {
        if (value >= 0 && value < static_cast<std::int32_t>(InputNames().size())) {
          return Lang(InputNames()[value], ui_language);
        }
        return std::to_string(value);
      }
      if (entry->item_source == ItemSource::kModeNames ||
          entry->item_source == ItemSource::kHintModeNames) {
        return std::to_string(static_cast<std::int64_t>(value) + 1);  // modes count from 1
      }
      return std::to_string(value);
    default:
      break;
  }
  if (IsSwitch(entry->primary_class) && (value == 0 || value == 1)) {
    if (row && !row->off.en.empty()) return Lang(value ? row->on : row->off, ui_language);
    return ui_language == 1 ? (value ? "开" : "关") : (value ? "on" : "off");
  }
  if (KindHasText(kind)) return FormatKind(kind, ClampDisplay(kind, value, band_slope));
  return std::to_string(value);
}

}  // namespace

ParamText DescribeParam(int page, int slot, std::int32_t value, int ui_language) {
  static constexpr std::array<BiText, 5> kFields = {
      {{"类型", "type"}, {"频率", "frequency"}, {"增益", "gain"}, {"Q值", "Q"}, {"斜率", "slope"}}};
  ParamText text;
  text.channel = PageLabel(page, ui_language);

  const int view_page = ViewPageOf(page, slot);
  const SlotEntry* entry = view_page >= 0 ? EntryAt(view_page, slot) : nullptr;
  const NameRow* row = RowOf(page, slot);
  bool band_slope = false;

  const int first = EqFirstSlot(page);
  const int bands = page <= 24 ? EqBandCount(page) : 0;
  if (bands > 0 && slot >= first && slot < first + 5 * bands) {
    const int band = (slot - first) / 5;
    const int field = (slot - first) % 5;
    band_slope = field == kFieldSlope;
    text.name = (ui_language == 1 ? "频段" : "band ") + std::to_string(band + 1) + " " +
                Lang(kFields[field], ui_language);
    text.named = true;
  } else if (row) {
    text.name = Lang(row->name, ui_language);
    text.named = true;
  } else if (page == 26 && slot <= 16) {
    text.name = (ui_language == 1 ? "EQ重置块" : "EQ reset block ") + std::to_string(slot);
    text.named = true;
  } else {
    text.name = (ui_language == 1 ? "槽位" : "slot ") + std::to_string(slot);
  }
  text.value = ValueText(entry, row, band_slope, value, ui_language);
  if (entry) text.control = entry->primary;
  return text;
}

std::string ParamLine(const ParamText& text) {
  return text.channel + " " + text.name + " " + text.value;
}

}  // namespace kdsp::tool
