#pragma once

#include <optional>

#include "model/param_addr.h"
#include "model/value_table.h"

namespace kdsp {

/// The current channel choices that bind view pages to device pages. The input source is not
/// kept here: it lives in `DeviceValues`[0][65] and is read at every mapping.
struct Selection {
  int mic_page = 1;     ///< `MicPage`: 1 or 2
  int effect_page = 3;  ///< `EffectPage`: 3 echo, 4 reverb
  int output_page = 5;  ///< `OutputPage`: output base + scene, 5..20
  int hint_page = 22;   ///< `HintPage`: 22, 23 or 24
  int scene_mode = 0;   ///< `SceneMode`: 0 sing, 1 dance
};

/// Where the input source and the scene are stored in `DeviceValues`.
inline constexpr ParamAddr kInputSourceAddr = MakeAddr(0, 65);
inline constexpr ParamAddr kSceneAddr = MakeAddr(0, 64);
inline constexpr ParamAddr kOutputModeAddr = MakeAddr(0, 63);

/// Slot 0..5 of page 0 that holds the music input gain of an input source.
int InputSlot(int input_source);

/// True when the input source is 0 (automatic): the window then disables `MusGain1Edit`.
bool IsAutomaticSource(const ValueTable& device_values);

/// Turns a view address into a device address under the selection and the input source
/// stored in `device_values`.
ParamAddr MapToDevice(const Selection& sel, const ValueTable& device_values, ParamAddr view);

/// The scene as a page refresh reads it: 1 only when the stored value is 1.
int SceneFromStored(int stored);

/// A band slot's position within its view page.
struct BandPos {
  int band;
  int field;
};
/// Band and field of a view address on pages 0, 1, 3, 4, 5, 21, 22; the high-pass pair gives
/// (`EqBandCount`, 0), the low-pass pair (`EqBandCount` + 1, 0); any other address none.
std::optional<BandPos> BandOf(ParamAddr view);

/// The slot a band's Q edit addresses: field 4 (slope) when the band's type is a shelf (2 or
/// more in `view_values`), else field 3. Other addresses are returned unchanged.
ParamAddr QSlotOf(const ValueTable& view_values, ParamAddr view);

/// Steps 1 and 2 of the view rebuild: fill every view page from `DeviceValues` through the
/// mapping, and the right-channel delay and mute cells of views 7, 15 and 19 by scene.
void RebuildView(const Selection& sel, const ValueTable& device_values, ValueTable& view_values);

}  // namespace kdsp
