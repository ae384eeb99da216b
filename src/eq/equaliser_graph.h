#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <span>

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include "eq/graph_geometry.h"
#include "eq/graph_marker.h"
#include "eq/graph_surface.h"
#include "eq/maths/curve_table.h"
#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"
#include "edit/seams.h"

namespace kdsp {

class MarkerEditor;

/// The equaliser graph of the channel whose page is open: grid and axis labels, the channel
/// curve, the markers of every band and filter, the value label of the band last touched and
/// the bypass label. It lives in the graph panel: `AdvPanel1` holds the axis labels, its child
/// `AdvPanel2` the markers and labels, and `Image1` inside that the drawing surface (any of the
/// three missing is created). The graph follows `Image1`'s size by itself.
class EqualiserGraph : public QObject, public EqGraph {
  Q_OBJECT
 public:
  static constexpr int kMarkerCount = 22;
  static constexpr int kHighPassMarker = 20;
  static constexpr int kLowPassMarker = 21;
  /// Half a marker's height, rounded towards zero.
  static constexpr int kMarkerHalf = GraphMarker::kSize / 2;

  EqualiserGraph(BindingContext& ctx, EditPipeline& pipeline, QWidget& adv_panel1,
                 QObject* parent = nullptr);
  ~EqualiserGraph() override;

  // The edit path's view of the graph.
  void DrawEqCurve(int selector, int page) override;
  void SetCurveColour(const QColor& colour) override;
  QColor CurveColour() const { return curve_colour_; }

  /// Mode 0 draws the frame and creates the axis labels, mode 1 draws it again and moves the
  /// labels, mode 2 only copies the saved grid back (erasing the curve).
  void DrawGraphFrame(int mode);

  /// The window's 10 ms tick: the band-change check, then the hand-over of pending drag values.
  void Timer1Timer();
  /// The hand-over alone, for a window whose tick already ran the band-change check.
  void HandOverPending();

  // Coordinate maps of the current surface size.
  const GraphGeometry& Geometry() const { return geometry_; }
  const DragGeometry& DragLimits() const { return drag_; }
  double FreqToX(double freq_hz) const { return geometry_.FreqToX(freq_hz); }
  double XToFreq(double x) const { return geometry_.XToFreq(x); }
  double DbToY(double gain_db) const { return geometry_.DbToY(gain_db); }
  double YToDb(double y) const { return geometry_.YToDb(y); }

  // For the spectrum display.
  /// True while a marker is being dragged (capture and bar cycle pause meanwhile).
  bool DragActive() const;
  /// `GraphBackground`: the saved grid.
  const QImage& GraphBackground() const { return surface_->Background(); }
  /// The bitmap the graph draws into.
  QImage& Canvas() { return surface_->Canvas(); }
  /// What is painted onto the erased grid before the curve at every curve redraw, in
  /// ascending order: the spectrum bars, then measured traces, then predicted curves, say.
  using Layer = std::function<void(QImage& canvas)>;
  static constexpr int kBarsLayer = 0;
  static constexpr int kTraceLayer = 10;
  static constexpr int kPredictionLayer = 20;
  /// Adds or replaces the layer at `order`; an empty one removes it.
  void SetLayer(int order, Layer layer) {
    if (layer) {
      layers_[order] = std::move(layer);
    } else {
      layers_.erase(order);
    }
  }
  /// The bars' layer.
  void SetUnderlay(Layer underlay) { SetLayer(kBarsLayer, std::move(underlay)); }
  /// Strokes the current curve again (no recomputation) and shows the bitmap: for a caller
  /// that erased the grid and drew under the curve itself.
  void RepaintCurve();

  /// Watches the band-number labels of the registry (run once the registry is bound).
  void WireBandLabels();

  // Parts, for the window and the tests.
  GraphMarker* Marker(int index) const { return markers_[index]; }
  QLabel* ValueLabel() const { return value_label_; }
  QLabel* PassLabel() const { return pass_label_; }
  GraphSurface* Surface() const { return surface_; }
  QWidget* Area() const { return area_; }
  const CurveTable& Table() const { return *table_; }
  /// `CurvePoints`: N + 1 points, one per grid point.
  std::span<const QPoint> CurvePoints() const { return curve_points_; }
  MarkerEditor& Editor() { return *editor_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FollowImageSize();
  void PlaceAxisLabels();
  CurveLoadContext LoadContext(int page) const;
  void ShowMarkers(int bands, int filters);
  void PlaceRowMarker(int row, int bands);
  void ShowValueLabel(int row, int bands);
  void ApplyAuxHalves();
  bool AuxFirstHalfSelected() const;
  void HideAll();

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  QWidget& panel_;
  QWidget* area_ = nullptr;
  QPointer<QWidget> image_;  // the window may go before the graph
  GraphSurface* surface_ = nullptr;
  std::array<GraphMarker*, kMarkerCount> markers_{};
  QLabel* value_label_ = nullptr;
  QLabel* pass_label_ = nullptr;
  std::array<QLabel*, 11> level_labels_{};
  std::array<QLabel*, 10> freq_labels_{};

  GraphGeometry geometry_;
  DragGeometry drag_;
  QColor curve_colour_{255, 102, 0};
  std::unique_ptr<CurveTable> table_;
  std::array<QPoint, kGridSteps + 1> curve_points_{};
  std::map<int, Layer> layers_;
  std::unique_ptr<MarkerEditor> editor_;
};

}  // namespace kdsp
