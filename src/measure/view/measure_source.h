#pragma once

#include <functional>
#include <span>

#include <QByteArray>
#include <QString>

namespace kdsp {

/// Where the measurement view's samples come from: mono at 48 kHz, -1 .. 1, delivered on the
/// window's thread. The audio input in the console, a hand-fed stand-in in tests.
class MeasureSource {
 public:
  using SampleHook = std::function<void(std::span<const float> samples)>;
  virtual ~MeasureSource() = default;
  virtual void SetOnSamples(SampleHook hook) = 0;
  /// Starts recording from an input (empty: the default); false with `Error` when it cannot.
  virtual bool Start(const QByteArray& input_id) = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
  virtual QString Error() const = 0;
};

}  // namespace kdsp
