#include "ui/system_markers.h"

#include <QLabel>

#include "edit/edit_recorder.h"
#include "edit/volume_limits.h"
#include "eq/drag_state.h"
#include "ui/system_env.h"
#include "ui/system_widgets.h"

namespace kdsp::ui {

namespace {

constexpr const char* kMarkers[6] = {"MusMaxImage",   "MicMaxImage",   "EffMaxImage",
                                     "MusStartImage", "MicStartImage", "EffStartImage"};
constexpr const char* kValueLabels[3] = {"musLabel", "micLabel", "EffLabel"};

/// The value label of a marker's group (music, microphone, effect).
const char* ValueLabelOf(const VolumeMarker* marker) {
  const QString name = marker->objectName();
  if (name.startsWith("Mus")) return kValueLabels[0];
  if (name.startsWith("Mic")) return kValueLabels[1];
  return kValueLabels[2];
}

}  // namespace

VolumeMarkerDrag::VolumeMarkerDrag(SystemEnv& env, DragState& drag, QObject* parent)
    : QObject(parent), env_(env), drag_(drag) {}

void VolumeMarkerDrag::Connect() {
  for (const char* name : kMarkers) {
    auto* marker = env_.Find<VolumeMarker>(name);
    if (marker == nullptr) continue;
    connect(marker, &VolumeMarker::Pressed, this, &VolumeMarkerDrag::MarkerMouseDown);
    connect(marker, &VolumeMarker::Moved, this, &VolumeMarkerDrag::MarkerMouseMove);
    connect(marker, &VolumeMarker::Released, this, &VolumeMarkerDrag::MarkerMouseUp);
  }
}

void VolumeMarkerDrag::MarkerMouseDown(VolumeMarker*, Qt::MouseButton button, QPoint in_marker) {
  if (button != Qt::LeftButton) return;
  drag_.drag_anchor = in_marker;
  drag_.drag_active = true;
  // The whole drag is one undo step.
  if (env_.ctx.recorder != nullptr) env_.ctx.recorder->BeginGesture();
}

void VolumeMarkerDrag::MarkerMouseMove(VolumeMarker* marker, QPoint in_marker) {
  if (!drag_.drag_active || marker == nullptr) return;
  const int left = std::clamp(marker->x(), kLeftMin, kLeftMax);
  marker->move(left + in_marker.x() - drag_.drag_anchor.x(), marker->y());
  auto* bar = qobject_cast<ParamTrackBar*>(env_.ctx.registry.Primary(marker->Tag()));
  if (bar == nullptr) return;
  bar->setValue(VolumeLimits::PositionAt(marker->x()));
  if (auto* label = env_.Find<QLabel>(ValueLabelOf(marker))) {
    label->setText(QString::number(bar->value()));
    label->show();
    label->raise();
  }
}

void VolumeMarkerDrag::MarkerMouseUp(VolumeMarker* marker, Qt::MouseButton) {
  if (!drag_.drag_active) return;
  drag_.drag_active = false;
  if (env_.ctx.recorder != nullptr) env_.ctx.recorder->EndGestureLater();
  for (const char* name : kValueLabels) {
    if (auto* label = env_.Find<QWidget>(name)) label->hide();
  }
  // The marker comes to rest on its bar's position.
  if (marker == nullptr) return;
  auto* bar = qobject_cast<ParamTrackBar*>(env_.ctx.registry.Primary(marker->Tag()));
  if (bar != nullptr) env_.window.Volumes().PlaceMarkersOf(bar);
}

}  // namespace kdsp::ui
