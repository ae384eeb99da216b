#pragma once

#include <memory>

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include "spectrum/noise_player.h"

class QWidget;

namespace kdsp {

/// The spectrum's test signal (pink noise) on a chosen output. It never outlives the window
/// it belongs to: closing the window stops it.
class TestSignal : public QObject {
  Q_OBJECT
 public:
  explicit TestSignal(QWidget* window, QObject* parent = nullptr);
  ~TestSignal() override;

  /// Starts (or restarts) the noise; false when the output cannot play.
  bool Start(const QByteArray& output_id, double level_dbfs);
  void Stop() { noise_->Stop(); }
  bool Playing() const { return noise_->Playing(); }
  void SetLevelDbfs(double level_dbfs) { noise_->SetLevelDbfs(level_dbfs); }
  NoisePlayer& Noise() { return *noise_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  std::unique_ptr<NoisePlayer> noise_;
};

}  // namespace kdsp
