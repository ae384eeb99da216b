#include "spectrum/maths/spectrum_cycle.h"

namespace kdsp {

SpectrumAction SpectrumCycle::Tick(bool spectrum_on, bool drag_active) {
  if (drag_active || !spectrum_on) return SpectrumAction::kNone;
  const int t = tick_++;
  if (t == 4) return SpectrumAction::kTransform;
  if (t >= 10) {
    tick_ = 0;
    return SpectrumAction::kDraw;
  }
  return SpectrumAction::kNone;
}

}  // namespace kdsp
