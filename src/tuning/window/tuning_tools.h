#pragma once

namespace kdsp {

class BandWriter;
class MeasureView;

/// Puts Fit EQ and the ring-out assistant into the measurement view's tools menu (actions
/// "FitEqAction" and "RingOutAction"); their panels open on demand as tool windows of the
/// view. `writer` outlives the view.
void AttachTuningTools(MeasureView& view, BandWriter& writer);

}  // namespace kdsp
