#pragma once

#include <memory>
#include <vector>

#include <QAudioFormat>
#include <QObject>

#include "measure/view/measure_source.h"

class QAudioSource;
class QIODevice;

namespace kdsp {

/// The measurement recorder: mono 48 kHz in 32-bit float, or 16-bit where float is not
/// offered, with a small buffer (20 ms) asked for explicitly so that sound reaches the screen
/// quickly. It reads what the input has on each notification, on the window's thread.
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
  /// The buffer the audio system granted, in ms (0 when stopped).
  int BufferMs() const;

 private:
  void ReadAvailable();

  std::unique_ptr<QAudioSource> audio_;
  QIODevice* io_ = nullptr;
  QAudioFormat format_;
  SampleHook hook_;
  std::vector<float> samples_;
  QString error_;
};

}  // namespace kdsp
