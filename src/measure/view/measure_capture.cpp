#include "measure/view/measure_capture.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QMediaDevices>

#include <cstring>

namespace kdsp {

MeasureCapture::MeasureCapture(QObject* parent)
    : QObject(parent), sink_([this](const char* data, qint64 len) { Convert(data, len); }) {}

MeasureCapture::~MeasureCapture() { Stop(); }

bool MeasureCapture::Start(const QByteArray& input_id) {
  Stop();
  QAudioDevice device = QMediaDevices::defaultAudioInput();
  if (!input_id.isEmpty()) {
    device = {};
    for (const QAudioDevice& d : QMediaDevices::audioInputs()) {
      if (d.id() == input_id) device = d;
    }
  }
  if (device.isNull()) {
    error_ = QStringLiteral("The input device is not available.");
    return false;
  }
  QAudioFormat format;
  format.setSampleRate(kSampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Float);
  if (!device.isFormatSupported(format)) format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) {
    error_ = QStringLiteral("The input records neither float nor 16-bit mono at 48 kHz.");
    return false;
  }
  format_ = format;
  audio_ = std::make_unique<QAudioSource>(device, format);
  audio_->setBufferSize(format.bytesForDuration(kBufferMs * 1000));
  pending_.clear();
  sink_.open(QIODevice::WriteOnly);
  audio_->start(&sink_);
  if (audio_->error() != QAudio::NoError || audio_->state() == QAudio::StoppedState) {
    error_ = QStringLiteral("The input device could not be opened.");
    Stop();
    return false;
  }
  error_.clear();
  return true;
}

void MeasureCapture::Stop() {
  if (audio_ == nullptr) return;
  audio_->stop();
  audio_.reset();
  sink_.close();
}

void MeasureCapture::AskForShortLatency() {
  if (!qEnvironmentVariableIsSet("PULSE_LATENCY_MSEC")) qputenv("PULSE_LATENCY_MSEC", "30");
}

int MeasureCapture::BufferMs() const {
  if (audio_ == nullptr) return 0;
  return static_cast<int>(format_.durationForBytes(audio_->bufferSize()) / 1000);
}

void MeasureCapture::Convert(const char* data, qint64 len) {
  if (audio_ == nullptr || len <= 0) return;
  pending_.append(data, static_cast<qsizetype>(len));
  const bool is_float = format_.sampleFormat() == QAudioFormat::Float;
  const int width = is_float ? 4 : 2;
  const qsizetype n = pending_.size() / width;
  if (n <= 0) return;
  samples_.resize(static_cast<std::size_t>(n));
  if (is_float) {
    std::memcpy(samples_.data(), pending_.constData(), static_cast<std::size_t>(n) * 4);
  } else {
    const auto* s = reinterpret_cast<const qint16*>(pending_.constData());
    for (qsizetype i = 0; i < n; ++i) samples_[i] = static_cast<float>(s[i]) / 32768.0f;
  }
  pending_.remove(0, n * width);
  if (hook_) hook_(samples_);
}

}  // namespace kdsp
