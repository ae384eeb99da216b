#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QColor>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "measure/band_analyser.h"
#include "measure/calibration.h"
#include "measure/sweep_response.h"
#include "measure/trace_text.h"
#include "measure/view/measure_plot.h"
#include "measure/view/measure_source.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace kdsp {

class NoisePlayer;
class SignalPlayer;

/// The measurement sheet: a real-time analyser in fractional-octave bands on a dBFS axis with
/// averaging and a microphone calibration, room responses from pink noise and from a sweep,
/// and kept traces (up to 8, shown, hidden, deleted, saved, read, shown relative to another).
/// It records from its own source, plays its test signals on the chosen output and stops them
/// when it closes. Tools of other features go in its tools menu and draw on its plot's layers.
class MeasureView : public QWidget {
  Q_OBJECT
 public:
  enum class Mode { kAnalyser = 0, kPinkNoise = 1, kSweep = 2 };
  static constexpr int kMaxTraces = 8;
  static constexpr int kFractions[] = {3, 6, 12, 24};
  /// Averaging choices: 0 off, negative infinite, otherwise the time constant in seconds.
  static constexpr double kAveragingChoices[] = {0.0, 0.5, 2.0, 8.0, -1.0};
  static constexpr int kStepMs = 100;

  /// Asks for a file to open or to save ("" when cancelled).
  using FileChooser = std::function<QString(bool save, const QString& caption)>;
  using Notifier = std::function<void(const QString& text)>;

  /// `source`: the recorder (the audio input when none is given).
  explicit MeasureView(int ui_language, std::unique_ptr<MeasureSource> source = nullptr,
                       QWidget* parent = nullptr);
  ~MeasureView() override;

  void SetLanguage(int ui_language);
  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  void SetNotifier(Notifier notifier) { notifier_ = std::move(notifier); }

  /// Adds an entry to the tools menu (the view does not own it).
  void AddTool(QAction* action);
  MeasurePlot& Plot() { return *plot_; }
  Mode CurrentMode() const { return mode_; }
  const BandAnalyser& Analyser() const { return analyser_; }
  /// The current measurement as a trace (bands or response, calibrated); empty before one.
  Trace CurrentTrace() const;
  /// The kept traces and whether each is shown.
  struct KeptTrace {
    Trace trace;
    QColor colour;
    bool shown = true;
  };
  const std::vector<KeptTrace>& Traces() const { return traces_; }
  const std::optional<Calibration>& CurrentCalibration() const { return calibration_; }
  MeasureSource& Source() { return *source_; }

  /// Reads a trace file and keeps it (named after the file), or says why not.
  bool LoadTraceFile(const QString& path);
  /// Reads a calibration file and applies it to every measurement, or says why not.
  bool LoadCalibrationFile(const QString& path);

  /// One analysis step (the view's timer runs it every 100 ms).
  void Step();

 signals:
  /// The kept traces changed (kept, deleted, read, shown or hidden).
  void TracesChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void RetranslateTexts();
  void SetMode(Mode mode);
  void ApplyAveraging();
  void UpdateCountLabel();
  void UpdatePlot();
  void RefreshTraceList();
  void KeepTrace();
  bool AddTrace(Trace trace);
  void DeleteTrace();
  void SaveTrace();
  void LoadTrace();
  void LoadCalibration();
  void Notify(const QString& text);
  bool StartSource();
  // The test-signal runs (measure_runs.cpp).
  void RunOrCancel();
  void StartPinkRun();
  void StartSweepRun();
  void FinishRun();
  void CancelRun();
  void AddPosition();
  void OnSamples(std::span<const float> samples);
  double CorrectionAt(double freq_hz) const;
  QColor FreeColour() const;

  int lang_ = 0;
  std::unique_ptr<MeasureSource> source_;
  std::unique_ptr<NoisePlayer> noise_;
  std::unique_ptr<SignalPlayer> sweep_player_;
  BandAnalyser analyser_;
  Mode mode_ = Mode::kAnalyser;
  std::optional<Calibration> calibration_;
  std::vector<KeptTrace> traces_;
  int trace_serial_ = 0;
  // Runs with a test signal.
  bool running_ = false;
  QElapsedTimer run_clock_;
  std::vector<float> recording_;
  std::vector<float> sweep_;
  SweepSettings sweep_settings_;
  Trace response_;                // the response shown (positions averaged)
  Trace single_response_;         // the last run's own response
  std::vector<Trace> positions_;  // responses of earlier microphone positions
  bool samples_since_step_ = false;

  QTimer timer_;
  QTimer run_timer_;
  FileChooser chooser_;
  Notifier notifier_;
  MeasurePlot* plot_ = nullptr;
  QComboBox* mode_box_ = nullptr;
  QComboBox* resolution_box_ = nullptr;
  QComboBox* averaging_box_ = nullptr;
  QPushButton* reset_button_ = nullptr;
  QLabel* count_label_ = nullptr;
  QPushButton* calibration_button_ = nullptr;
  QLabel* calibration_label_ = nullptr;
  QComboBox* input_box_ = nullptr;
  QComboBox* output_box_ = nullptr;
  QPushButton* run_button_ = nullptr;
  QSpinBox* duration_box_ = nullptr;
  QSpinBox* level_box_ = nullptr;
  QPushButton* position_button_ = nullptr;
  QLabel* positions_label_ = nullptr;
  QPushButton* keep_button_ = nullptr;
  QListWidget* trace_list_ = nullptr;
  QPushButton* delete_button_ = nullptr;
  QPushButton* save_button_ = nullptr;
  QPushButton* load_button_ = nullptr;
  QComboBox* relative_box_ = nullptr;
  QToolButton* tools_button_ = nullptr;
  QMenu* tools_menu_ = nullptr;
  QLabel* duration_label_ = nullptr;
  QLabel* level_label_ = nullptr;
  QLabel* resolution_label_ = nullptr;
  QLabel* averaging_label_ = nullptr;
  QLabel* input_label_ = nullptr;
  QLabel* output_label_ = nullptr;
};

}  // namespace kdsp
