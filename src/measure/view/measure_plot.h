#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QColor>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "measure/octave_bands.h"
#include "measure/trace_text.h"

class QPainter;

namespace kdsp {

/// Frequency and level to pixels of the plot as it is now.
struct PlotMap {
  QRectF area;  // the plotting area inside the axes
  double low_hz = 20, high_hz = 20000;
  double top_db = 0, bottom_db = -100;
  double FreqToX(double f) const;
  double XToFreq(double x) const;
  double DbToY(double db) const;
};

/// The measurement view's plot: log-frequency axis 20 Hz to 20 kHz, its own level axis (dBFS
/// for the analyser, dB for responses), drawn as ordered layers: grid, the current bands,
/// traces with their legend, and whatever else is added (a predicted curve, say). The pointer
/// shows the band under it as "f Hz, level dB".
class MeasurePlot : public QWidget {
  Q_OBJECT
 public:
  using Layer = std::function<void(QPainter& painter, const PlotMap& map)>;
  /// Layer orders of the plot's own layers; others go between or above.
  static constexpr int kGridLayer = 0;
  static constexpr int kBandLayer = 10;
  static constexpr int kTraceLayer = 20;
  static constexpr int kLegendLayer = 100;

  struct ShownTrace {
    Trace trace;
    QColor colour;
  };

  explicit MeasurePlot(QWidget* parent = nullptr);

  /// Adds or replaces the layer at `order` (empty: removes it) and repaints.
  void SetLayer(int order, Layer layer);
  /// The level axis: range and unit text ("dBFS" or "dB").
  void SetLevelAxis(double top_db, double bottom_db, const QString& unit);
  /// The bands of the current measurement as bars (levels in the axis's unit).
  void SetBands(std::vector<OctaveBand> bands, std::vector<double> levels);
  /// The current measurement as a line instead of bars (a response); empty for none.
  void SetCurrentCurve(Trace curve);
  /// The traces drawn, in order, with their colours; the legend lists them.
  void SetTraces(std::vector<ShownTrace> traces);

  PlotMap Map() const;
  /// The readout of the band under a point of the plot (empty outside the bands).
  QString ReadoutAt(QPoint at) const;
  QLabel* Readout() const { return readout_; }
  const std::vector<ShownTrace>& Traces() const { return traces_; }
  const std::vector<double>& Levels() const { return levels_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void PaintGrid(QPainter& p, const PlotMap& m) const;
  void PaintBands(QPainter& p, const PlotMap& m) const;
  void PaintTraces(QPainter& p, const PlotMap& m) const;
  void PaintLegend(QPainter& p, const PlotMap& m) const;

  std::map<int, Layer> layers_;
  double top_db_ = 0, bottom_db_ = -100;
  QString unit_ = QStringLiteral("dBFS");
  std::vector<OctaveBand> bands_;
  std::vector<double> levels_;
  Trace curve_;
  std::vector<ShownTrace> traces_;
  QPointer<QLabel> readout_;
};

}  // namespace kdsp
