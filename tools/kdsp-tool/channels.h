#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/bi_text.h"

namespace kdsp::tool {

/// A channel with an equaliser, as named on the command line.
struct Channel {
  std::string_view id;           ///< command-line name, e.g. "music", "mic1", "hint-mic2"
  int page;                      ///< device page (the sing scene's page for outputs)
  bool has_scenes;               ///< outputs: the dance scene is the next page
  int first_band;                ///< first band of the page that belongs to the channel
  int band_count;                ///< bands exported and imported
  bool hint_band3_visible;       ///< the console draws bands 3..5 of a hidden page
  bool aux_first_half;           ///< page 21: the music half (bands 1..3) is drawn
  std::string_view description;  ///< for --help
};

/// Every channel, in the order the help lists them.
std::span<const Channel> Channels();

/// The channel named `id` (case-insensitive; "center" is accepted for "centre"), or nullptr.
const Channel* FindChannel(std::string_view id);

/// The device page of a channel in a scene (0 sing, 1 dance).
int ChannelPage(const Channel& channel, int scene);

/// The channel label of a device page as the console's tabs name it, with the scene for
/// outputs: "Music", "MIC 2", "Main Sing", "SUB Disco", "Hint MIC1", "System".
std::string PageLabel(int page, int ui_language);

/// The view page whose slot map describes (device page, slot); -1 for pages without one.
int ViewPageOf(int page, int slot);

}  // namespace kdsp::tool
