#include "measure/view/signal_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

namespace kdsp {

SignalPlayer::SignalPlayer(QObject* parent) : QObject(parent) {}

SignalPlayer::~SignalPlayer() { Stop(); }

bool SignalPlayer::Play(const QByteArray& output_id, const std::vector<float>& samples) {
  Stop();
  QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (!output_id.isEmpty()) {
    device = {};
    for (const QAudioDevice& d : QMediaDevices::audioOutputs()) {
      if (d.id() == output_id) device = d;
    }
  }
  if (device.isNull()) return false;
  QAudioFormat format;
  format.setSampleRate(48000);
  format.setChannelCount(2);
  format.setSampleFormat(QAudioFormat::Float);
  if (!device.isFormatSupported(format)) format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) return false;
  const int channels = format.channelCount();
  const bool is_float = format.sampleFormat() == QAudioFormat::Float;
  bytes_.resize(static_cast<qsizetype>(samples.size()) * channels * (is_float ? 4 : 2));
  char* out = bytes_.data();
  for (float s : samples) {
    for (int c = 0; c < channels; ++c) {
      if (is_float) {
        std::memcpy(out, &s, 4);
        out += 4;
      } else {
        const auto v = static_cast<qint16>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
        std::memcpy(out, &v, 2);
        out += 2;
      }
    }
  }
  buffer_.setData(bytes_);
  buffer_.open(QIODevice::ReadOnly);
  sink_ = std::make_unique<QAudioSink>(device, format);
  connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
    if (state == QAudio::IdleState || state == QAudio::StoppedState) {
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (sink_ != nullptr) {
              Stop();
              emit Finished();
            }
          },
          Qt::QueuedConnection);
    }
  });
  sink_->start(&buffer_);
  if (sink_->error() != QAudio::NoError) {
    Stop();
    return false;
  }
  return true;
}

void SignalPlayer::Stop() {
  if (sink_ != nullptr) {
    sink_->disconnect(this);
    sink_->stop();
    sink_.reset();
  }
  buffer_.close();
}

}  // namespace kdsp
