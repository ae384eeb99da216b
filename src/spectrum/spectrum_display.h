#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSettings>
#include <QString>

#include "edit/binding_context.h"
#include "spectrum/maths/bin_averager.h"
#include "spectrum/maths/peak_hold.h"
#include "spectrum/maths/sample_block_exchange.h"
#include "spectrum/maths/spectrum_cycle.h"
#include "spectrum/maths/spectrum_transform.h"
#include "spectrum/sample_source.h"
#include "spectrum/spectrum_options.h"

class QWidget;

namespace kdsp {

class CaptureControl;
class EqualiserGraph;
class NoisePlayer;
class PictureButton;
class SpectrumReadout;
class TestSignal;

/// The live spectrum of the computer's audio input, drawn as blue bars on the equaliser graph
/// under its curve. The recorder delivers blocks on its own thread; the capture hook keeps the
/// newest one (unless the spectrum is off, frozen or a marker is being dragged), and the
/// window's 10 ms tick transforms it on the fifth tick of each eleven and draws it on the
/// eleventh. Every curve redraw also draws the latest bars under the new curve.
///
/// For room tuning it also offers, from the spectrum button's context menu and the input list
/// next to it: the capture device, exponential averaging of the bars, peak-hold lines, a
/// readout of the frequency and level under the pointer, and a pink-noise test signal. These
/// choices are kept in the settings. Averages and peaks advance once per cycle by the cycle's
/// nominal length, so they depend on the ticks only, and stand still while frozen.
class SpectrumDisplay : public QObject {
  Q_OBJECT
 public:
  /// Shows a plain notice (a message box by default).
  using Notifier = std::function<void(const QString& text)>;

  /// The set-up at window creation, after the graph's first frame: the recorder is created on
  /// `source` (the chosen audio input when none is given) with the capture hook and started;
  /// a failed start leaves `AudioAvailable` false and shows nothing. The buttons `PinPPBtn`
  /// and `PinDCFBtn` and the input list `SpectrumInputBox` are looked up under
  /// `buttons_root`; `notice_caption` captions the notice. The choices are read from and
  /// written to `settings` (the user's settings of the console when none is given).
  SpectrumDisplay(BindingContext& ctx, EqualiserGraph& graph, QWidget& buttons_root,
                  QString notice_caption, std::unique_ptr<SampleSource> source = nullptr,
                  std::unique_ptr<QSettings> settings = nullptr, QObject* parent = nullptr);
  /// Stops the recorder.
  ~SpectrumDisplay() override;

  /// The window timer's step, after the drag hand-over.
  void TimerStep();
  /// Draws the bars of the last transform. `erase`: the cycle's own redraw, which copies the
  /// empty grid back first and strokes the curve again afterwards; otherwise the bars go onto
  /// whatever the canvas holds (a curve redraw that has just erased it).
  void DrawSpectrumBars(bool erase);

  /// The spectrum button: on and off, or the notice when the recorder did not start.
  void PinPPBtnClick();
  /// The floor button: `LowFloor` follows its state.
  void PinDCFBtnClick();
  /// The freeze key: new blocks are dropped and averages and peaks stand still while frozen,
  /// so the picture stays.
  void ToggleFrozen() { frozen_.store(!frozen_.load()); }

  /// Nominal length of one cycle in seconds (11 ticks of 10 ms): the time step of averaging
  /// and peak hold.
  static constexpr double kCycleSeconds = 0.11;

  const SpectrumOptions& Options() const { return options_; }
  /// Records from another input (empty: the default input) and keeps the choice. When it
  /// cannot start, a running spectrum goes off with the missing-device notice.
  void SetInput(const QByteArray& id);
  /// Averaging time constant in seconds, 0 for none; switching it on starts from silence.
  void SetAveraging(double tau_s);
  void SetPeakHold(bool on);
  /// Starts or stops the pink noise on the chosen output.
  void SetNoiseOn(bool on);
  void SetNoiseOutput(const QByteArray& id);
  void SetNoiseLevel(int level_dbfs);
  bool NoisePlaying() const;
  NoisePlayer& Noise();
  const BinAverager& Averager() const { return averager_; }
  const PeakHold& Peaks() const { return peaks_; }
  /// The readout under the pointer (hidden unless the pointer is over the running spectrum).
  QLabel* Readout() const;
  /// The context menu now open, if any.
  QMenu* OpenMenu() const { return menu_; }
  /// Opens the context menu at a global position.
  void ShowMenu(QPoint global_pos);
  /// Texts in the current interface language (the input list).
  void RefreshTexts();

  /// The capture hook (`OnRecord`); runs on the audio system's thread.
  void CaptureHook(std::span<const std::uint8_t> block);

  bool SpectrumOn() const { return spectrum_on_.load(); }
  bool SpectrumFrozen() const { return frozen_.load(); }
  bool AudioAvailable() const;
  bool LowFloor() const { return low_floor_; }
  /// `SpectrumTick`: position in the 11-tick cycle.
  int SpectrumTick() const { return cycle_.Position(); }
  /// Blocks the capture hook has kept so far.
  long BlocksTaken() const { return blocks_taken_.load(); }
  const SpectrumTransform& Transform() const { return transform_; }
  SampleSource& Source();
  /// Replaces the message box of the notice.
  void SetNotifier(Notifier notifier) { notifier_ = std::move(notifier); }

  /// The notice of a missing audio device in the language `ui_language` (1 Chinese).
  static QString NoDeviceText(int ui_language);

 signals:
  /// The menu's measurement entry: the window opens its measurement view.
  void MeasurementRequested();

 private:
  void PaintBars(QImage& canvas);
  void PaintPeaks(QImage& canvas, int width, int height);
  void AdvanceLevels();
  /// The bins of the bars for a graph width (kept until the width changes).
  void RefreshBarBins(int width);
  /// Magnitude the bar of a bin shows: averaged or as transformed.
  float ShownMagnitude(int bin) const;
  void SwitchOffWithNotice();
  void Notify(const QString& text);
  /// The readout's text at a point of the graph: frequency, level and peak of the bar there.
  QString ReadoutText(QPoint at) const;
  void SaveOptions();
  /// Flips a two-state button (its Hint and look) and returns its new state.
  static bool ToggleSwitch(PictureButton* button, bool& fallback);
  bool DragActiveForCapture() const;

  BindingContext& ctx_;
  EqualiserGraph& graph_;
  QPointer<QWidget> notice_parent_;
  QString notice_caption_;
  Notifier notifier_;
  QPointer<PictureButton> pp_button_;
  QPointer<PictureButton> dcf_button_;
  bool pp_state_ = false;  // the buttons' states when a button is missing
  bool dcf_state_ = false;

  std::unique_ptr<CaptureControl> capture_;
  SpectrumTransform transform_;
  SampleBlockExchange exchange_;
  SpectrumCycle cycle_;
  std::vector<int> tops_;       // grows with the graph's width only
  std::vector<int> peak_rows_;  // likewise
  std::vector<int> bar_bins_;   // likewise
  std::size_t bar_count_ = 0;
  int bins_width_ = -1;
  int shown_bins_ = kFftLength;  // bins 0..shown_bins_ - 1 are on show
  BinAverager averager_;
  PeakHold peaks_;
  SpectrumOptions options_;
  std::unique_ptr<QSettings> settings_;
  std::unique_ptr<TestSignal> signal_;
  std::unique_ptr<SpectrumReadout> readout_;
  QPointer<QMenu> menu_;

  std::atomic<bool> spectrum_on_{false};
  std::atomic<bool> frozen_{false};
  std::atomic<bool> drag_seen_{false};  // `DragActive` as of the last tick, for other threads
  std::atomic<long> blocks_taken_{0};
  bool low_floor_ = false;
};

}  // namespace kdsp
