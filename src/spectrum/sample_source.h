#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include <QByteArray>
#include <QString>

namespace kdsp {

/// Where the spectrum's samples come from: the recorder of an audio input, or a
/// stand-in. Blocks are unsigned 8-bit mono samples at 48 kHz (128 = silence).
class SampleSource {
 public:
  /// `OnRecord`: called with each filled block (its bytes are valid during the call only),
  /// possibly on a thread of the audio system.
  using RecordHook = std::function<void(std::span<const std::uint8_t> block)>;

  virtual ~SampleSource() = default;
  /// Set by the owner before starting.
  virtual void SetOnRecord(RecordHook hook) = 0;
  /// `Triggered`: cleared by the owner before starting; the first non-empty block sets it.
  virtual void SetTriggered(bool triggered) = 0;
  /// Opens the device and starts recording; true when it runs (or already ran).
  virtual bool CaptureStart() = 0;
  /// Stops recording and closes the device.
  virtual bool CaptureStop() = 0;
  /// The last failure, for diagnosis only.
  virtual QString CaptureError() const = 0;
  /// The input to record from at the next start: a device id, or empty for the system's
  /// default input.
  virtual void SetInputDevice(const QByteArray& id) = 0;
  /// Called on the window thread when a running recording ends by itself (the device went
  /// away or failed).
  virtual void SetOnLost(std::function<void()> hook) = 0;
};

}  // namespace kdsp
