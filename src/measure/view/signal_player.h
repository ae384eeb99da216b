#pragma once

#include <memory>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QObject>

class QAudioSink;

namespace kdsp {

/// Plays a finite test signal (the sweep) once on an output, the same samples on every
/// channel, in float or 16-bit as the output takes them.
class SignalPlayer : public QObject {
  Q_OBJECT
 public:
  explicit SignalPlayer(QObject* parent = nullptr);
  ~SignalPlayer() override;

  /// False when the output cannot play.
  bool Play(const QByteArray& output_id, const std::vector<float>& samples);
  void Stop();
  bool Playing() const { return sink_ != nullptr; }

 signals:
  /// All of the signal has been handed to the output (or the output failed).
  void Finished();

 private:
  std::unique_ptr<QAudioSink> sink_;
  QByteArray bytes_;
  QBuffer buffer_;
};

}  // namespace kdsp
