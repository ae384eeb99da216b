#pragma once

#include <QObject>
#include <QPoint>

namespace kdsp {
struct DragState;
}

namespace kdsp::ui {

struct SystemEnv;
class VolumeMarker;

/// Dragging the maximum markers under the normal volume bars: the marker follows the pointer
/// and sets the maximum bar it stands for; the group's value label shows the volume while the
/// button is down. The drag state is the one the equaliser markers use, so the spectrum
/// pauses meanwhile.
class VolumeMarkerDrag : public QObject {
  Q_OBJECT
 public:
  static constexpr int kLeftMin = 53;
  static constexpr int kLeftMax = 211;

  /// `drag`: the shared drag state (`DragActive`, `DragAnchor`).
  VolumeMarkerDrag(SystemEnv& env, DragState& drag, QObject* parent = nullptr);
  void Connect();

  // Pointer positions in the marker's own coordinates.
  void MarkerMouseDown(VolumeMarker* marker, Qt::MouseButton button, QPoint in_marker);
  void MarkerMouseMove(VolumeMarker* marker, QPoint in_marker);
  void MarkerMouseUp(VolumeMarker* marker, Qt::MouseButton button);

 private:
  SystemEnv& env_;
  DragState& drag_;
};

}  // namespace kdsp::ui
