#include "link/hid_transport.h"

#include <QMetaObject>
#include <QStringList>

#include "link/core/frame.h"
#include "link/core/link_texts.h"
#include "link/link_log.h"

namespace kdsp {

namespace {

// The reader wakes this often to see whether it should stop.
constexpr int kReadWaitMs = 100;
// Room for an input report with or without its identifier.
constexpr std::size_t kReadBufferBytes = 65;

}  // namespace

QString UsbDescription(const HidDeviceInfo& info) {
  QString text = QString::fromStdString(info.product) +
                 QString::asprintf("Device VID=%.4X PID=%.4X", info.vendor_id, info.product_id);
  if (!info.serial.empty()) {
    text += QStringLiteral(" (自定义HID描述符=%1)").arg(QString::fromStdString(info.serial));
  }
  return text;
}

HidTransport::HidTransport(std::unique_ptr<HidBackend> backend, LinkLog& log, QObject* parent)
    : QObject(parent), backend_(std::move(backend)), log_(log) {}

HidTransport::~HidTransport() { CloseAll(); }

void HidTransport::CloseAll() {
  ++generation_;
  for (Entry& e : entries_) {
    if (e.stop) e.stop->store(true);
  }
  for (Entry& e : entries_) {
    if (e.reader.joinable()) e.reader.join();
  }
  entries_.clear();  // closes the handles
  box_ = -1;
}

bool HidTransport::Rebuild() {
  CloseAll();
  for (HidDeviceInfo& info : backend_->Enumerate(kBoxVendorId)) {
    if (info.vendor_id != kBoxVendorId) continue;
    Entry entry;
    entry.description = UsbDescription(info);
    entry.handle = backend_->Open(info.path);
    entry.info = std::move(info);
    entries_.push_back(std::move(entry));
  }
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
    if (entries_[i].handle) StartReader(entries_[i], i);
    if (entries_[i].info.product_id == kBoxProductId) box_ = i;
  }
  return HidPresent();
}

void HidTransport::StartReader(Entry& entry, int index) {
  entry.stop = std::make_unique<std::atomic<bool>>(false);
  HidHandle* handle = entry.handle.get();
  std::atomic<bool>* stop = entry.stop.get();
  const std::uint64_t generation = generation_;
  entry.reader = std::thread([this, handle, stop, generation, index] {
    std::uint8_t buffer[kReadBufferBytes];
    while (!stop->load()) {
      const int n = handle->Read(buffer, kReadWaitMs);
      if (n > 0) {
        QByteArray data(reinterpret_cast<const char*>(buffer), n);
        QMetaObject::invokeMethod(
            this, [this, generation, index, data] { OnReport(generation, index, data); },
            Qt::QueuedConnection);
      } else if (n < 0) {
        const QString text = QString::fromStdString(handle->ErrorText());
        const unsigned code = handle->ErrorCode();
        QMetaObject::invokeMethod(
            this,
            [this, generation, index, text, code] { OnReadError(generation, index, text, code); },
            Qt::QueuedConnection);
        return;  // the device is gone; its removal rebuilds the list
      }
    }
  });
}

void HidTransport::OnReport(std::uint64_t generation, int index, const QByteArray& data) {
  // Only the box's reports count; others and those of closed devices are dropped.
  if (generation != generation_ || index != box_) return;
  emit reportArrived(data);
}

void HidTransport::OnReadError(std::uint64_t generation, int, const QString& text, unsigned code) {
  if (generation != generation_) return;
  log_.AddError(kLogReadError, text, code);
}

void HidTransport::Send(std::span<const std::uint8_t> frame) {
  if (box_ < 0) return;
  Entry& box = entries_[box_];
  if (!box.handle) {
    log_.AddError(kLogWriteError, QStringLiteral("device not open"), 0);
    return;
  }
  const Bytes report = PackReport(frame, box.handle->OutputReportLength());
  if (!box.handle->Write(report)) {
    log_.AddError(kLogWriteError, QString::fromStdString(box.handle->ErrorText()),
                  box.handle->ErrorCode());
  }
}

void HidTransport::NoteRemoval(const std::string& path) {
  for (const Entry& e : entries_) {
    if (e.info.path == path)
      log_.Add(QString::fromUtf8(kLogRemovalOf.data(), static_cast<int>(kLogRemovalOf.size())) +
               e.description);
  }
}

QStringList HidTransport::Descriptions() const {
  QStringList out;
  for (const Entry& e : entries_) out.append(e.description);
  return out;
}

}  // namespace kdsp
