#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/bi_text.h"

namespace kdsp {

/// A channel tab button; its index in `kChannelTabs` is its `Tag`.
struct TabButton {
  std::string_view name;
  BiText caption;
  bool visible_at_start;
};

/// A button of one of the small button groups; its index in its list is its `Tag` or state.
/// An empty caption means the text is set elsewhere (per channel, or at refresh time).
struct NamedButton {
  std::string_view name;
  BiText caption;
};

/// Channel tabs by `Tag` 0..14. Note that the tab named "SUR" shows the centre output and the
/// one named "CEN" the surround output: the captions, not the names, say what a tab shows.
inline constexpr std::array<TabButton, 15> kChannelTabs = {{
    {"FormMusTabBtn", {"音乐", "Music"}, true},
    {"FormOut2TabBtn", {"输出2", "Out 2"}, false},
    {"FormMICATabBtn", {"麦克1", "MIC 1"}, true},
    {"FormMICBTabBtn", {"麦克2", "MIC 2"}, true},
    {"FormEFFTabBtn", {"效果", "Effect"}, true},
    {"FormMAINTabBtn", {"主输出", "Main"}, true},
    {"FormSURTabBtn", {"中置", "Center"}, true},
    {"FormCENTabBtn", {"环绕", "SUR"}, true},
    {"FormSUBTabBtn", {"输出6", "Out-6"}, false},
    {"FormHintTabBtn", {"隐藏", "Hint"}, false},
    {"FormOut4TabBtn", {"超低", "SUB"}, true},
    {"FormAUXTabBtn", {"辅助", "Other"}, true},
    {"HintAuxBtn", {"辅助", "AUX"}, false},
    {"FormOut7TabBtn", {"录音", "REC"}, true},
    {"FormOut8TabBtn", {"输出8", "Out 8"}, false},
}};

/// Effect sub-tabs by `Tag`: 0 and 1 show the echo, 2 the reverb. "回声B" is never shown.
inline constexpr std::array<NamedButton, 3> kEffectSubTabs = {{
    {"EchoAToolButton", {"回声", "Echo"}},
    {"EchoBToolButton", {"回声B", "Echo B"}},
    {"RvbToolButton", {"混响", "Reverb"}},
}};

/// Sub-buttons of the hidden equaliser page by `Tag`: music, microphone 1, microphone 2, system.
inline constexpr std::array<NamedButton, 4> kHiddenPageButtons = {{
    {"HintMusBtn", {"音乐", "MUSIC"}},
    {"HintMicABtn", {"话筒1", "MIC1"}},
    {"HintMicBBtn", {"话筒2", "MIC2"}},
    {"HintSysBtn", {"系统设定", "System"}},
}};

/// Microphone sync buttons by sync state 0..2; the outer two take their texts from the channel.
inline constexpr std::array<NamedButton, 3> kMicSyncButtons = {{
    {"LeftBtn", {}},
    {"SameBtn", {"同步", "SYNC"}},
    {"RightBtn", {}},
}};

/// Scene buttons by `SceneMode`: 0 sing, 1 dance.
inline constexpr std::array<NamedButton, 2> kSceneButtons = {{
    {"SingModeBtn", {"唱歌", "Sing"}},
    {"DiscoModeBtn", {"热舞", "Disco"}},
}};

/// Output mode buttons by `OutputMode`: 0 automatic, 1 manual.
inline constexpr std::array<NamedButton, 2> kOutputModeButtons = {{
    {"AutoModeBtn", {"自动", "Auto"}},
    {"ManulModeBtn", {"手动", "Manual"}},
}};

/// Quick-recall buttons of device modes 1..6, then the seventh button for modes 7..16.
inline constexpr std::array<std::string_view, 7> kModeButtons = {
    "SysFactoryBtn",  "SysFactoryBtn2", "SysFactoryBtn3", "SysFactoryBtn4",
    "SysFactoryBtn5", "SysFactoryBtn6", "SysFactoryBtn7"};

/// Places kept for band-number labels per band group (only the group's bands are filled).
inline constexpr int kBandLabelPlaces = 22;

/// Band-number labels of a band group, band 1 first; empty for a group without bands.
std::vector<std::string> BandLabelNames(int group);
/// The reverb page's own band-number labels.
std::vector<std::string> ReverbBandLabelNames();
/// The labels to highlight for a group: the reverb labels stand in for group 2 while
/// `EffectPage` is 4.
std::vector<std::string> HighlightLabelNames(int group, int effect_page);

}  // namespace kdsp
