#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "link/hid_backend.h"

namespace kdsp {

class LinkLog;

inline constexpr std::uint16_t kBoxVendorId = 0x2F1D;
inline constexpr std::uint16_t kBoxProductId = 0x0C37;

/// The description of a listed device: product string, "Device VID=%.4X PID=%.4X" and, when the
/// device has a serial number, " (自定义HID描述符=%s)".
QString UsbDescription(const HidDeviceInfo& info);

/// The USB side of the link: the list of attached devices of the box's vendor (`DevListBox`),
/// each opened with a reader thread of its own, and the box among them (`BoxDevice`). Reports
/// of the box reach the window thread through `reportArrived`, in order.
class HidTransport : public QObject {
  Q_OBJECT

 public:
  HidTransport(std::unique_ptr<HidBackend> backend, LinkLog& log, QObject* parent = nullptr);
  ~HidTransport() override;

  /// Closes every listed device, lists and opens the devices of the box's vendor again and
  /// picks the box (the last one listed wins). Returns `HidPresent`.
  bool Rebuild();
  bool HidPresent() const { return box_ >= 0; }
  /// Packs a frame into an output report and writes it to the box; nothing without a box.
  void Send(std::span<const std::uint8_t> frame);
  /// Logs the removal of a listed device by its path.
  void NoteRemoval(const std::string& path);

  QStringList Descriptions() const;
  /// Index of the box in the list, -1 without one.
  int BoxIndex() const { return box_; }

 signals:
  /// One input report of the box: its data, the frame first.
  void reportArrived(const QByteArray& data);

 private:
  struct Entry {
    HidDeviceInfo info;
    QString description;
    std::unique_ptr<HidHandle> handle;
    std::unique_ptr<std::atomic<bool>> stop;
    std::thread reader;
  };
  void CloseAll();
  void StartReader(Entry& entry, int index);
  void OnReport(std::uint64_t generation, int index, const QByteArray& data);
  void OnReadError(std::uint64_t generation, int index, const QString& text, unsigned code);

  std::unique_ptr<HidBackend> backend_;
  LinkLog& log_;
  std::vector<Entry> entries_;
  int box_ = -1;
  // Bumped by every rebuild: reports still in flight from closed devices are dropped.
  std::uint64_t generation_ = 0;
};

}  // namespace kdsp
