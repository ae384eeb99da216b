#pragma once

#include <QObject>

#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"

namespace kdsp {

/// The nine volume-limit trackbars of page 25 (normal, start and maximum volume of music,
/// microphone and effect) and their coupling: a normal volume rises one step per change and no
/// volume exceeds its group's maximum.
class VolumeLimits : public QObject {
  Q_OBJECT
 public:
  VolumeLimits(BindingContext& ctx, EditPipeline& pipeline, QObject* parent = nullptr);

  /// Wires the bars the window has.
  void Connect();
  /// `SysMusNormalVolBarChange`, the change handler of all nine bars.
  void SysMusNormalVolBarChange(ParamTrackBar* bar);
  /// The position a bar last accepted (0 before its first change).
  int LastAccepted(const ParamTrackBar* bar) const;

  /// Left edge of a marker standing for `position` (0..84 spans 53..212): 1.89 x position + 53,
  /// rounded to the nearest pixel, ties to even. Exact in integers.
  static int MarkerLeft(int position);
  /// The position a marker's left edge stands for: (left - 53) / 1.89 rounded (never a tie).
  static int PositionAt(int marker_left);
  /// Puts the start and maximum markers of the group of `bar` back onto their bars' positions.
  void PlaceMarkersOf(const ParamTrackBar* bar);

 private:
  enum Role { kNormal = 0, kStart = 1, kMaximum = 2 };
  struct Group {
    ParamTrackBar* bars[3];  // by role
    const char* max_marker;
    const char* start_marker;
    const char* value_label;
  };
  bool Locate(const ParamTrackBar* bar, int* group, int* role) const;
  void PlaceMarker(const char* name, int position);

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  Group groups_[3] = {};
  int last_[3][3] = {};
};

}  // namespace kdsp
