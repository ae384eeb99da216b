#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QObject>

#include "spectrum/input_selector.h"
#include "spectrum/sample_source.h"

class QComboBox;

namespace kdsp {

/// The spectrum's recorder and its input: the chosen device, the input list next to the
/// spectrum button, the device going away while recording and coming back. It owns the
/// recorder; the display hears when the input is lost for good.
class CaptureControl : public QObject {
  Q_OBJECT
 public:
  /// `source`: the recorder (the audio input when none is given). `list`: the input list, if
  /// the window has one.
  CaptureControl(std::unique_ptr<SampleSource> source, QComboBox* list,
                 std::function<int()> language, QObject* parent = nullptr);
  ~CaptureControl() override;

  /// Starts recording from `id` (empty: the default input); the result is `Available()`.
  bool Start(const QByteArray& id);
  /// Records from another input instead; false when it cannot start.
  bool Switch(const QByteArray& id);
  bool Available() const { return available_; }
  SampleSource& Source() { return *source_; }
  InputSelector& Selector() { return *selector_; }
  /// Runs when the recording stops for good while it was available (the device went away).
  void SetOnLost(std::function<void()> hook) { on_lost_ = std::move(hook); }

 private:
  void InputLost();
  void OnInputsChanged();

  std::unique_ptr<SampleSource> source_;
  std::unique_ptr<InputSelector> selector_;
  std::function<void()> on_lost_;
  QByteArray input_id_;
  bool available_ = true;
};

}  // namespace kdsp
