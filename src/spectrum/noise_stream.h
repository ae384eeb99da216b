#pragma once

#include <atomic>

#include <QAudioFormat>
#include <QIODevice>

#include "spectrum/maths/pink_noise.h"

namespace kdsp {

/// The read end an audio sink pulls the test signal from: endless pink noise in the sink's
/// format (unsigned 8-bit, 16 or 32-bit integers or floats), the same sample on every channel.
/// The level may be changed from the window thread while the sink reads.
class NoiseStream : public QIODevice {
 public:
  explicit NoiseStream(QObject* parent = nullptr) : QIODevice(parent) {}

  /// The format of the bytes read; set before opening.
  void SetFormat(const QAudioFormat& format) { format_ = format; }
  void SetLevelDbfs(double level_dbfs) { wanted_level_dbfs_.store(level_dbfs); }
  double LevelDbfs() const { return wanted_level_dbfs_.load(); }
  /// Sample frames handed out so far.
  qint64 FramesRead() const { return frames_read_.load(); }

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;

 protected:
  qint64 readData(char* data, qint64 max_len) override;
  qint64 writeData(const char* data, qint64 len) override;

 private:
  QAudioFormat format_;
  PinkNoise noise_;
  std::atomic<double> wanted_level_dbfs_{PinkNoise::kDefaultLevelDbfs};
  std::atomic<qint64> frames_read_{0};
};

}  // namespace kdsp
