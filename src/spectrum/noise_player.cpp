#include "spectrum/noise_player.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>

namespace kdsp {

NoisePlayer::NoisePlayer(QObject* parent) : QObject(parent) {}

NoisePlayer::~NoisePlayer() { Stop(); }

bool NoisePlayer::Start(const QByteArray& id, double level_dbfs) {
  Stop();
  QAudioDevice device;
  if (id.isEmpty()) {
    device = QMediaDevices::defaultAudioOutput();
  } else {
    for (const QAudioDevice& d : QMediaDevices::audioOutputs()) {
      if (d.id() == id) device = d;
    }
  }
  if (device.isNull()) {
    error_ = QStringLiteral("The output device is not available.");
    return false;
  }
  QAudioFormat format;
  format.setSampleRate(48000);
  format.setChannelCount(2);
  format.setSampleFormat(QAudioFormat::Float);
  if (!device.isFormatSupported(format)) format = device.preferredFormat();
  stream_.SetFormat(format);
  stream_.SetLevelDbfs(level_dbfs);
  stream_.open(QIODevice::ReadOnly);
  sink_ = std::make_unique<QAudioSink>(device, format);
  connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
    if (state != QAudio::StoppedState || sink_ == nullptr || sink_->error() == QAudio::NoError) {
      return;
    }
    error_ = QStringLiteral("The output device stopped playing.");
    // Later: the sink is emitting now.
    QTimer::singleShot(0, this, [this] {
      if (sink_ != nullptr && sink_->state() == QAudio::StoppedState) {
        Stop();
        emit Lost();
      }
    });
  });
  sink_->start(&stream_);
  if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
    error_ = QStringLiteral("The output device could not be opened.");
    Stop();
    return false;
  }
  output_id_ = device.id();
  error_.clear();
  return true;
}

void NoisePlayer::Stop() {
  if (sink_ != nullptr) {
    sink_->disconnect(this);
    sink_->stop();
    sink_.reset();
  }
  stream_.close();
  output_id_.clear();
}

}  // namespace kdsp
