#pragma once

#include <QObject>

#include "model/binding/binding_context.h"
#include "model/binding/edit_pipeline.h"

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
