#include "measure/view/measure_capture.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QMediaDevices>

#include <cstring>

namespace kdsp {

MeasureCapture::MeasureCapture(QObject* parent) : QObject(parent) {}

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
  io_ = audio_->start();
  if (io_ == nullptr || audio_->error() != QAudio::NoError) {
    error_ = QStringLiteral("The input device could not be opened.");
    Stop();
    return false;
  }
  connect(io_, &QIODevice::readyRead, this, &MeasureCapture::ReadAvailable);
  error_.clear();
  return true;
}

void MeasureCapture::Stop() {
  if (audio_ == nullptr) return;
  if (io_ != nullptr) io_->disconnect(this);
  audio_->stop();
  audio_.reset();
  io_ = nullptr;
}

int MeasureCapture::BufferMs() const {
  if (audio_ == nullptr) return 0;
  return static_cast<int>(format_.durationForBytes(audio_->bufferSize()) / 1000);
}

void MeasureCapture::ReadAvailable() {
  if (io_ == nullptr) return;
  const QByteArray bytes = io_->readAll();
  const bool is_float = format_.sampleFormat() == QAudioFormat::Float;
  const qsizetype n = bytes.size() / (is_float ? 4 : 2);
  if (n <= 0) return;
  samples_.resize(static_cast<std::size_t>(n));
  if (is_float) {
    std::memcpy(samples_.data(), bytes.constData(), static_cast<std::size_t>(n) * 4);
  } else {
    const auto* s = reinterpret_cast<const qint16*>(bytes.constData());
    for (qsizetype i = 0; i < n; ++i) samples_[i] = static_cast<float>(s[i]) / 32768.0f;
  }
  if (hook_) hook_(samples_);
}

}  // namespace kdsp
