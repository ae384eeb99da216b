#include "kdsp-tool/channels.h"

#include <array>

#include "model/page_layout.h"

namespace kdsp::tool {

namespace {

constexpr std::array<Channel, 18> kChannels = {{
    {"music", 0, false, 0, 10, true, false, "music input (10 bands)"},
    {"mic1", 1, false, 0, 20, true, false, "microphone 1 (20 bands)"},
    {"mic2", 2, false, 0, 20, true, false, "microphone 2 (20 bands)"},
    {"echo", 3, false, 0, 10, true, false, "echo (10 bands)"},
    {"reverb", 4, false, 0, 10, true, false, "reverb (10 bands)"},
    {"main", 5, true, 0, 10, true, false, "main output, left (10 bands)"},
    {"out2", 7, true, 0, 10, true, false, "output 2, main right (10 bands)"},
    {"sub", 9, true, 0, 10, true, false, "subwoofer output (10 bands)"},
    {"centre", 11, true, 0, 10, true, false, "centre output (10 bands)"},
    {"sur", 13, true, 0, 10, true, false, "surround output, left (10 bands)"},
    {"out6", 15, true, 0, 10, true, false, "output 6, surround right (10 bands)"},
    {"rec", 17, true, 0, 10, true, false, "recording output, left (10 bands)"},
    {"out8", 19, true, 0, 10, true, false, "output 8, recording right (10 bands)"},
    {"aux-music", 21, false, 0, 3, true, true, "user tone, music bass/middle/treble"},
    {"aux-mic", 21, false, 3, 3, true, false, "user tone, microphone bass/middle/treble"},
    {"hint-music", 22, false, 0, 5, false, false, "hidden equaliser, music (5 bands)"},
    {"hint-mic1", 23, false, 0, 5, true, false, "hidden equaliser, microphone 1 (5 bands)"},
    {"hint-mic2", 24, false, 0, 5, true, false, "hidden equaliser, microphone 2 (5 bands)"},
}};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const Channel> Channels() { return kChannels; }

const Channel* FindChannel(std::string_view id) {
  if (EqualIgnoringCase(id, "center")) id = "centre";
  for (const Channel& c : kChannels) {
    if (EqualIgnoringCase(c.id, id)) return &c;
  }
  return nullptr;
}

int ChannelPage(const Channel& channel, int scene) {
  return channel.page + (channel.has_scenes && scene == 1 ? 1 : 0);
}

std::string PageLabel(int page, int ui_language) {
  static constexpr std::array<BiText, 8> kOutputs = {{{"主输出", "Main"},
                                                      {"输出2", "Out 2"},
                                                      {"超低", "SUB"},
                                                      {"中置", "Center"},
                                                      {"环绕", "SUR"},
                                                      {"输出6", "Out-6"},
                                                      {"录音", "REC"},
                                                      {"输出8", "Out 8"}}};
  static constexpr BiText kSing{"唱歌", "Sing"};
  static constexpr BiText kDisco{"热舞", "Disco"};
  static constexpr std::array<BiText, 5> kInputs = {{{"音乐", "Music"},
                                                     {"麦克1", "MIC 1"},
                                                     {"麦克2", "MIC 2"},
                                                     {"回声", "Echo"},
                                                     {"混响", "Reverb"}}};
  static constexpr std::array<BiText, 9> kOthers = {{{"辅助", "AUX"},
                                                     {"隐藏 音乐", "Hint MUSIC"},
                                                     {"隐藏 话筒1", "Hint MIC1"},
                                                     {"隐藏 话筒2", "Hint MIC2"},
                                                     {"音量", "Volume"},
                                                     {"EQ重置", "EQ Reset"},
                                                     {"页27", "Page 27"},
                                                     {"页28", "Page 28"},
                                                     {"页29", "Page 29"}}};
  if (page >= 0 && page <= 4) return std::string(kInputs[page].In(ui_language));
  if (page >= 5 && page <= 20) {
    const int pair = (page - 5) / 2;
    const BiText& scene = (page - 5) % 2 == 0 ? kSing : kDisco;
    return std::string(kOutputs[pair].In(ui_language)) + " " + std::string(scene.In(ui_language));
  }
  if (page >= 21 && page <= 29) return std::string(kOthers[page - 21].In(ui_language));
  if (page == 30) return ui_language == 1 ? "系统" : "System";
  return (ui_language == 1 ? "页" : "Page ") + std::to_string(page);
}

int ViewPageOf(int page, int slot) {
  if (page == 0 || page == 3 || page == 4 || page == 21 || page == 25 || page == 26 || page == 30) {
    return page;
  }
  if (page == 1) return 1;
  if (page == 2) return slot == 115 ? 2 : 1;
  if (page >= 5 && page <= 20) {
    const int base = 5 + ((page - 5) / 2) * 2;
    const bool right_channel = base == 7 || base == 15 || base == 19;
    return right_channel && (slot == 16 || slot == 17) ? base : 5;
  }
  if (page >= 22 && page <= 24) return 22;
  return -1;
}

}  // namespace kdsp::tool
