#include "link/usb_watcher.h"

#include <libudev.h>

#include <QDir>
#include <QSocketNotifier>
#include <cstring>

namespace kdsp {

namespace {

constexpr int kPollIntervalMs = 2000;

}  // namespace

UsbWatcher::UsbWatcher(QObject* parent) : QObject(parent) {
  poll_timer_.setInterval(kPollIntervalMs);
  connect(&poll_timer_, &QTimer::timeout, this, &UsbWatcher::Poll);
}

UsbWatcher::~UsbWatcher() {
  delete notifier_;
  if (monitor_ != nullptr) udev_monitor_unref(monitor_);
  if (udev_ != nullptr) udev_unref(udev_);
}

bool UsbWatcher::Start() {
  udev_ = udev_new();
  if (udev_ != nullptr) monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ != nullptr &&
      udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) >= 0 &&
      udev_monitor_enable_receiving(monitor_) >= 0) {
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UsbWatcher::ReadMonitor);
    return true;
  }
  known_ = HidrawNodes();
  poll_timer_.start();
  return false;
}

void UsbWatcher::ReadMonitor() {
  bool changed = false;
  while (udev_device* dev = udev_monitor_receive_device(monitor_)) {
    const char* action = udev_device_get_action(dev);
    const char* node = udev_device_get_devnode(dev);
    if (action != nullptr && std::strcmp(action, "remove") == 0 && node != nullptr) {
      emit deviceRemoved(QString::fromUtf8(node));
    }
    if (action != nullptr &&
        (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0)) {
      changed = true;
    }
    udev_device_unref(dev);
  }
  if (changed) emit devicesChanged();
}

QSet<QString> UsbWatcher::HidrawNodes() {
  QSet<QString> nodes;
  const QStringList names =
      QDir(QStringLiteral("/sys/class/hidraw")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& name : names) nodes.insert(QStringLiteral("/dev/") + name);
  return nodes;
}

void UsbWatcher::Poll() {
  const QSet<QString> now = HidrawNodes();
  if (now == known_) return;
  for (const QString& gone : known_ - now) emit deviceRemoved(gone);
  known_ = now;
  emit devicesChanged();
}

}  // namespace kdsp
