#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QAudio>
#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>

#include "spectrum/block_splitter.h"
#include "spectrum/sample_source.h"

class QAudioSource;

namespace kdsp {

/// The recorder of an audio input (the default one unless another is chosen): unsigned 8-bit
/// mono at 48 kHz, handed to
/// `OnRecord` in blocks of 1024 samples. It records without pause from `CaptureStart` to
/// `CaptureStop`; it shows nothing itself and reports failures only through the result of
/// `CaptureStart` and the text of `CaptureError`. Nothing retries a failed start.
class AudioCapture : public QObject, public SampleSource {
  Q_OBJECT
 public:
  static constexpr int kSampleRate = 48000;
  static constexpr int kBlockSamples = 1024;
  /// The recording buffer asked of the sound system: a few blocks (43 ms), so that the bars
  /// follow the sound. Left to the sound system, it may gather seconds before handing any on.
  static constexpr int kBufferBlocks = 2;
  static constexpr int kBufferBytes = kBufferBlocks * kBlockSamples;  // one byte a sample

  /// `CaptureCreate`: the recorder with its fixed format, owned by `owner`. Notes whether the
  /// system has any audio input at all; without one the start fails.
  explicit AudioCapture(QObject* owner = nullptr);
  ~AudioCapture() override;

  void SetOnRecord(RecordHook hook) override { on_record_ = std::move(hook); }
  void SetTriggered(bool triggered) override { triggered_.store(triggered); }
  bool Triggered() const { return triggered_.load(); }
  bool CaptureStart() override;
  bool CaptureStop() override;
  QString CaptureError() const override { return error_; }
  void SetInputDevice(const QByteArray& id) override { device_id_ = id; }
  void SetOnLost(std::function<void()> hook) override { on_lost_ = std::move(hook); }
  /// The input chosen for the next start (empty: the default input).
  QByteArray InputDevice() const { return device_id_; }
  /// Id of the device being recorded from (empty when closed).
  QByteArray OpenDevice() const { return open_id_; }

  /// `CaptureOpen`: the device is open.
  bool CaptureOpen() const { return source_ != nullptr; }
  /// `CaptureRunning`: blocks are being delivered.
  bool CaptureRunning() const { return running_.load(); }

  /// The recording format: unsigned 8-bit, mono, 48 kHz.
  static QAudioFormat RecordingFormat();
  /// A failure text: the message, then the platform's description of the error when it has
  /// one.
  static QString FailureText(const QString& message, const QString& description);
  /// The platform's description of an audio error code (empty for none).
  static QString ErrorDescription(QAudio::Error error);

 private:
  void OnBlock(std::span<const std::uint8_t> block);
  void OnStateChanged(QAudio::State state);
  void Close();

  bool has_input_ = false;
  std::unique_ptr<QAudioSource> source_;
  BlockSplitter splitter_;
  RecordHook on_record_;
  std::function<void()> on_lost_;
  QByteArray device_id_;
  QByteArray open_id_;
  std::atomic<bool> running_{false};
  std::atomic<bool> triggered_{false};
  QString error_;
};

}  // namespace kdsp
