#pragma once

namespace kdsp {

/// What the 10 ms window timer does for the spectrum on one tick.
enum class SpectrumAction { kNone, kTransform, kDraw };

/// The 11-tick cycle of the analyser (`SpectrumTick`): transform on the fifth tick, draw on
/// the eleventh, so the picture shows the transform made six ticks earlier. The cycle holds
/// still while the spectrum is off or a marker is dragged.
class SpectrumCycle {
 public:
  SpectrumAction Tick(bool spectrum_on, bool drag_active);
  int Position() const { return tick_; }

 private:
  int tick_ = 0;
};

}  // namespace kdsp
