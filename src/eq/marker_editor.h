#pragma once

#include <QObject>
#include <QPoint>
#include <QSet>

#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"
#include "eq/drag_state.h"

class QMouseEvent;

namespace kdsp {

class EqualiserGraph;

/// The point editor: presses, drags and releases on the graph's markers, the right-button Q
/// drag over the graph, the hand-over of dragged values to the edit path, and the band-number
/// labels that select a band's frequency edit. Every change goes through the edit pipeline.
class MarkerEditor : public QObject {
  Q_OBJECT
 public:
  MarkerEditor(BindingContext& ctx, EditPipeline& pipeline, EqualiserGraph& graph);

  /// Filters the events of the markers, the surface and the value labels.
  void Watch(QObject* object);
  /// Watches the band-number labels the registry found (idempotent; run after binding).
  void WireBandLabels();

  // The handlers, with pointer positions in the widget's own coordinates.
  void EP1MouseDown(int marker, Qt::MouseButton button, QPoint in_marker);
  void EP1MouseMove(int marker, QPoint in_marker);
  void EP1MouseUp(int marker, Qt::MouseButton button);
  void Image1MouseMove(QPoint in_graph, Qt::MouseButtons buttons);
  void Image1MouseUp(Qt::MouseButton button);
  void EQlabelMouseUp();
  /// A click on band-number label `band` (0-based) of view page `page`.
  void MusEQPointLabel1Click(int page, int band);

  /// Hands the values pending from the last drag event to the edit path: at most one
  /// frequency and one gain write, each only when it differs from the value last handed over.
  void HandOverPending();

  const DragState& State() const { return state_; }
  /// The drag state itself, shared with the volume markers of the system page.
  DragState& SharedState() { return state_; }
  bool DragActive() const { return state_.drag_active; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// What lies under a point of the graph area, top-most first.
  struct Hit {
    enum Kind { kNothing, kMarker, kLabel, kSurface } kind = kNothing;
    int marker = -1;
  };
  Hit HitTest(QPoint in_area) const;
  void TrackGesture(const QMouseEvent* event);
  bool MarkerEvent(int marker, QMouseEvent* event);
  void RouteMove(QPoint in_area, Qt::MouseButtons buttons);
  void RouteRelease(QPoint in_area, Qt::MouseButton button);

  bool OutputPageAutomatic() const;
  bool PassShown() const;
  bool WindowShown() const;
  /// Selects the edit of field `field` of band `band` of the open page, as a click on it does.
  void SelectBandField(int band, int field);
  void SelectEditAt(ParamAddr a);
  /// Starts the pending and sent values of a new drag at the marker's stored values.
  void StartFromStored(int marker);
  QWidget* FrequencyControl(int marker) const;
  QWidget* GainControl(int marker) const;

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  EqualiserGraph& graph_;
  DragState state_;
  QSet<QObject*> band_labels_;
};

}  // namespace kdsp
