#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QAudioFormat>
#include <QIODevice>
#include <QObject>

#include "measure/view/measure_source.h"

class QAudioSource;

namespace kdsp {

/// The write end the audio input pushes its bytes into: turns them into samples for a hook.
class SampleSink : public QIODevice {
 public:
  using Hook = std::function<void(const char* data, qint64 len)>;
  explicit SampleSink(Hook hook) : hook_(std::move(hook)) {}

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 len) override {
    hook_(data, len);
    return len;
  }

 private:
  Hook hook_;
};

/// The measurement recorder: mono 48 kHz in 32-bit float, or 16-bit where float is not
/// offered, with a small buffer (20 ms) asked for explicitly so that sound reaches the screen
/// quickly. The input writes into it on the window's thread.
class MeasureCapture : public QObject, public MeasureSource {
  Q_OBJECT
 public:
  static constexpr int kSampleRate = 48000;
  static constexpr int kBufferMs = 20;

  explicit MeasureCapture(QObject* parent = nullptr);
  ~MeasureCapture() override;

  void SetOnSamples(SampleHook hook) override { hook_ = std::move(hook); }
  bool Start(const QByteArray& input_id) override;
  void Stop() override;
  bool Running() const override { return audio_ != nullptr; }
  QString Error() const override { return error_; }
  /// The format recorded in (valid while running).
  QAudioFormat Format() const { return format_; }
  /// Asks the sound server for short buffers (30 ms) unless the user chose otherwise: a
  /// PulseAudio or PipeWire server otherwise hands recorded sound over in pieces of about 2 s
  /// whatever buffer size the recorder asks for. It must run before the first use of audio in
  /// the process.
  static void AskForShortLatency();
  /// The buffer the audio system granted, in ms (0 when stopped).
  int BufferMs() const;

 private:
  void Convert(const char* data, qint64 len);

  std::unique_ptr<QAudioSource> audio_;
  SampleSink sink_;
  QByteArray pending_;  // a part of a sample left from the last write
  QAudioFormat format_;
  SampleHook hook_;
  std::vector<float> samples_;
  QString error_;
};

}  // namespace kdsp
