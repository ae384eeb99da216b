// HID access through hidapi's hidraw backend.
#include <hidapi/hidapi.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "link/hid_backend.h"

namespace kdsp {

namespace {

// Identifier 0 plus the box's 64 report bytes.
constexpr int kOutputReportLength = 65;

std::string Utf8(const wchar_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (; *text != 0; ++text) {
    const auto c = static_cast<std::uint32_t>(*text);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

class HidapiHandle : public HidHandle {
 public:
  explicit HidapiHandle(hid_device* device) : device_(device) {}
  ~HidapiHandle() override { hid_close(device_); }

  bool Write(std::span<const std::uint8_t> report) override {
    const int n = hid_write(device_, report.data(), report.size());
    if (n >= 0) return true;
    Remember();
    return false;
  }
  int Read(std::span<std::uint8_t> buffer, int timeout_ms) override {
    const int n = hid_read_timeout(device_, buffer.data(), buffer.size(), timeout_ms);
    if (n < 0) Remember();
    return n;
  }
  int OutputReportLength() const override { return kOutputReportLength; }
  std::string ErrorText() override {
    std::lock_guard lock(mutex_);
    return error_text_;
  }
  unsigned ErrorCode() override {
    std::lock_guard lock(mutex_);
    return error_code_;
  }

 private:
  // The system's error: hid_error() is not read here because the reader thread and the
  // window thread may fail at the same time and hidapi keeps one error text per device.
  void Remember() {
    const int code = errno;
    std::lock_guard lock(mutex_);
    error_code_ = static_cast<unsigned>(code);
    error_text_ = std::strerror(code);
  }

  hid_device* device_;
  std::mutex mutex_;
  std::string error_text_;
  unsigned error_code_ = 0;
};

class HidapiBackend : public HidBackend {
 public:
  HidapiBackend() { hid_init(); }
  ~HidapiBackend() override { hid_exit(); }

  std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendor_id) override {
    std::vector<HidDeviceInfo> out;
    hid_device_info* list = hid_enumerate(vendor_id, 0);
    for (hid_device_info* d = list; d != nullptr; d = d->next) {
      out.push_back({d->path ? d->path : "", d->vendor_id, d->product_id, Utf8(d->product_string),
                     Utf8(d->serial_number)});
    }
    hid_free_enumeration(list);
    return out;
  }

  std::unique_ptr<HidHandle> Open(const std::string& path) override {
    hid_device* device = hid_open_path(path.c_str());
    if (device == nullptr) return nullptr;
    return std::make_unique<HidapiHandle>(device);
  }
};

}  // namespace

std::unique_ptr<HidBackend> MakeHidapiBackend() { return std::make_unique<HidapiBackend>(); }

}  // namespace kdsp
