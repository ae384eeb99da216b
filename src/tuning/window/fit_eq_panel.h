#pragma once

#include <optional>

#include <QPointer>
#include <QWidget>

#include "measure/trace_text.h"
#include "tuning/eq_fit.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kdsp {

class BandWriter;
class MeasurePlot;
class MeasureView;

/// Fit EQ, a tool of the measurement view: fits the bands of the channel the window shows to a
/// target from the measurement (the first trace shown, else the current measurement), draws
/// the prediction (measured + fitted equaliser) over the measurement, and on Apply writes the
/// bands as one undo step.
class FitEqPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kPreviewLayer = 30;

  FitEqPanel(MeasureView& view, BandWriter& writer, QWidget* parent = nullptr);
  ~FitEqPanel() override;

  /// Fits and shows the preview; false (with the reason in the result text) when it cannot.
  bool Fit();
  /// Writes the fitted bands; nothing before a fit.
  void Apply();

 private:
  std::optional<Trace> Measured() const;

  MeasureView& view_;
  QPointer<MeasurePlot> plot_;  // gone first when the view closes for good
  BandWriter& writer_;
  int lang_ = 0;
  int device_page_ = -1;
  std::optional<FitResult> fit_;
  QComboBox* target_box_ = nullptr;
  QSpinBox* low_box_ = nullptr;
  QSpinBox* high_box_ = nullptr;
  QLineEdit* bands_edit_ = nullptr;
  QDoubleSpinBox* boost_box_ = nullptr;
  QPushButton* fit_button_ = nullptr;
  QPushButton* apply_button_ = nullptr;
  QLabel* channel_label_ = nullptr;
  QLabel* result_label_ = nullptr;
};

}  // namespace kdsp
