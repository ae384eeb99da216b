#include "spectrum/audio_capture.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QMediaDevices>

namespace kdsp {

AudioCapture::AudioCapture(QObject* owner)
    : QObject(owner),
      splitter_(kBlockSamples, [this](std::span<const std::uint8_t> block) { OnBlock(block); }) {
  has_input_ = !QMediaDevices::audioInputs().isEmpty();
}

AudioCapture::~AudioCapture() { CaptureStop(); }

QAudioFormat AudioCapture::RecordingFormat() {
  QAudioFormat format;
  format.setSampleRate(kSampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::UInt8);
  return format;
}

QString AudioCapture::FailureText(const QString& message, const QString& description) {
  if (description.isEmpty()) return message;
  return message.endsWith(' ') ? message + description : message + ' ' + description;
}

QString AudioCapture::ErrorDescription(QAudio::Error error) {
  switch (error) {
    case QAudio::NoError:
      return {};
    case QAudio::OpenError:
      return QStringLiteral("An error occurred opening the audio device.");
    case QAudio::IOError:
      return QStringLiteral("An error occurred during read/write of the audio device.");
    case QAudio::UnderrunError:
      return QStringLiteral("Audio data is not being fed to the audio device fast enough.");
    case QAudio::FatalError:
      return QStringLiteral(
          "A non-recoverable error has occurred; the audio device is not usable.");
  }
  return {};
}

bool AudioCapture::CaptureStart() {
  if (CaptureOpen()) return true;
  has_input_ = !QMediaDevices::audioInputs().isEmpty();
  QAudioDevice device;
  if (device_id_.isEmpty()) {
    device = QMediaDevices::defaultAudioInput();
  } else {
    for (const QAudioDevice& d : QMediaDevices::audioInputs()) {
      if (d.id() == device_id_) device = d;
    }
  }
  const QAudioFormat format = RecordingFormat();
  const QString open_failed = QStringLiteral("Could not open the input device for recording: ");
  if (!has_input_ || device.isNull()) {
    error_ = FailureText(open_failed, ErrorDescription(QAudio::OpenError));
    return false;
  }
  if (!device.isFormatSupported(format)) {
    error_ = FailureText(open_failed, QStringLiteral("The recording format is not supported."));
    return false;
  }
  source_ = std::make_unique<QAudioSource>(device, format);
  connect(source_.get(), &QAudioSource::stateChanged, this, &AudioCapture::OnStateChanged);
  splitter_.Reset();
  splitter_.open(QIODevice::WriteOnly);
  running_.store(true);
  open_id_ = device.id();
  source_->setBufferSize(kBufferBytes);
  source_->start(&splitter_);
  if (source_->error() != QAudio::NoError || source_->state() == QAudio::StoppedState) {
    error_ = FailureText(QStringLiteral("Error starting wave record: "),
                         ErrorDescription(source_->error()));
    Close();
    return false;
  }
  return true;
}

bool AudioCapture::CaptureStop() {
  running_.store(false);
  if (!CaptureOpen()) return true;
  Close();
  return true;
}

void AudioCapture::Close() {
  running_.store(false);
  if (source_ != nullptr) {
    source_->disconnect(this);
    source_->stop();
    source_.reset();
  }
  splitter_.close();
  splitter_.Reset();
  open_id_.clear();
}

void AudioCapture::OnStateChanged(QAudio::State state) {
  // The device went away or failed while recording: the stream ends here for good.
  if (state == QAudio::StoppedState && source_ != nullptr && source_->error() != QAudio::NoError) {
    running_.store(false);
    error_ = FailureText(QStringLiteral("Error adding input buffer"),
                         ErrorDescription(source_->error()));
    // Later, from the event loop: the owner may close the recorder, which is emitting now.
    QMetaObject::invokeMethod(
        this, [this] { if (on_lost_) on_lost_(); }, Qt::QueuedConnection);
  }
}

void AudioCapture::OnBlock(std::span<const std::uint8_t> block) {
  if (!running_.load() || block.empty()) return;
  // The trigger level is 0: every unsigned 8-bit sample reaches it, so the first non-empty
  // block triggers the recording.
  triggered_.store(true);
  if (on_record_) on_record_(block);
}

}  // namespace kdsp
