#pragma once

#include <QPoint>

namespace kdsp {

/// The point editor's state: one instance for the window.
struct DragState {
  bool drag_active = false;  ///< `DragActive`: a left-button marker drag is in progress
  int drag_marker = -1;      ///< `DragMarker`: marker last pressed, -1 for none
  /// `DragAnchor`: left drag, the press point in the marker; Q drag, the press point (then the
  /// point of the last Q step) in the graph.
  QPoint drag_anchor;
  bool q_adjust_mode = false;     ///< `QAdjustMode`: a right-button Q drag is in progress
  int drag_target = -1;           ///< `DragTarget`: marker whose pending values are handed over
  double pending_freq = 0;        ///< `PendingFreq`, whole hertz
  double pending_gain = 0;        ///< `PendingGain`, dB
  double pending_freq_index = 0;  ///< `PendingFreqIndex`
  double pending_gain_raw = 0;    ///< `PendingGainRaw`
  double sent_freq_index = 0;     ///< `SentFreqIndex`
  double sent_gain_raw = 0;       ///< `SentGainRaw`
};

}  // namespace kdsp
