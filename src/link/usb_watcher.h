#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace kdsp {

/// Tells when HID devices come or go: from libudev's monitor of the hidraw nodes, or, where
/// that is not available, by looking at the list of hidraw nodes every two seconds.
class UsbWatcher : public QObject {
  Q_OBJECT

 public:
  explicit UsbWatcher(QObject* parent = nullptr);
  ~UsbWatcher() override;

  /// Starts watching; true when the udev monitor is used, false for the periodic look.
  bool Start();

 signals:
  /// A hidraw node went away (its device path, e.g. /dev/hidraw3).
  void deviceRemoved(const QString& path);
  /// The set of HID devices changed.
  void devicesChanged();

 private:
  void ReadMonitor();
  void Poll();
  static QSet<QString> HidrawNodes();

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  QSocketNotifier* notifier_ = nullptr;
  QTimer poll_timer_;
  QSet<QString> known_;
};

}  // namespace kdsp
