#pragma once

#include <memory>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "spectrum/noise_stream.h"

class QAudioSink;

namespace kdsp {

/// The test signal: pink noise played on an output device through a pulling audio sink.
class NoisePlayer : public QObject {
  Q_OBJECT
 public:
  explicit NoisePlayer(QObject* parent = nullptr);
  ~NoisePlayer() override;

  /// Starts the noise on the output `id` (empty: the system's default output) at a level in
  /// dBFS, replacing any noise playing. False, with the reason in `Error`, when it cannot play.
  bool Start(const QByteArray& id, double level_dbfs);
  void Stop();
  bool Playing() const { return sink_ != nullptr; }
  /// Changes the level of the noise now playing, or of the next start.
  void SetLevelDbfs(double level_dbfs) { stream_.SetLevelDbfs(level_dbfs); }
  double LevelDbfs() const { return stream_.LevelDbfs(); }
  /// Id of the output playing (empty when stopped).
  QByteArray OutputDevice() const { return output_id_; }
  /// Sample frames handed to the sink since the noise was first started.
  qint64 FramesPlayed() const { return stream_.FramesRead(); }
  QString Error() const { return error_; }

 signals:
  /// The noise stopped by itself: its device went away or failed.
  void Lost();

 private:
  std::unique_ptr<QAudioSink> sink_;
  NoiseStream stream_;
  QByteArray output_id_;
  QString error_;
};

}  // namespace kdsp
