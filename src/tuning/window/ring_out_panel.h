#pragma once

#include <map>
#include <memory>
#include <span>
#include <vector>

#include <QWidget>

#include "tuning/feedback_detector.h"
#include "tuning/notch_planner.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kdsp {

class BandWriter;
class MeasureSource;

/// The ring-out assistant for microphone 1 or 2: while the user raises the microphone's gain,
/// each feedback frequency the detector finds in the capture is listed with its level and a
/// proposed notch on a free band of that microphone. A notch is applied with one click (or
/// automatically, up to a number of notches) as one undo step, and can be removed again.
class RingOutPanel : public QWidget {
  Q_OBJECT
 public:
  /// `source`: the recorder the panel starts and listens to (none: samples come through
  /// `Feed` only).
  RingOutPanel(BandWriter& writer, std::unique_ptr<MeasureSource> source,
               QWidget* parent = nullptr);
  ~RingOutPanel() override;

  /// Samples of the capture, mono 48 kHz.
  void Feed(std::span<const float> samples);
  /// Applies the proposal of row `row` of the list.
  void ApplyRow(int row);
  /// Removes the notch of row `row`: its band gets back what it held before the notch.
  void RemoveRow(int row);
  /// The device page of the microphone chosen (1 or 2).
  int MicPage() const;

 private:
  struct Ring {
    FeedbackReport report;
    NotchProposal proposal;
  };
  void OnReport(const FeedbackReport& r);
  void ShowRow(int row);
  std::vector<int> NotchBands() const;

  BandWriter& writer_;
  std::unique_ptr<MeasureSource> source_;
  std::unique_ptr<FeedbackDetector> detector_;
  int lang_ = 0;
  std::vector<Ring> rings_;
  std::map<int, BandSetting> before_notch_;  // band -> what it held before, for the mic shown
  QComboBox* mic_box_ = nullptr;
  QTableWidget* list_ = nullptr;
  QPushButton* listen_button_ = nullptr;
  QPushButton* apply_button_ = nullptr;
  QPushButton* remove_button_ = nullptr;
  QCheckBox* auto_box_ = nullptr;
  QSpinBox* auto_limit_box_ = nullptr;
};

}  // namespace kdsp
