#pragma once

#include <string>
#include <string_view>

namespace kdsp {
class LinkComponent;
}

namespace kdsp::ui {

/// The link operations started from the system page, the device modes and the preset files.
/// Whether the link is online comes from the edit path's link (`ParamLink::IsOnline`).
class SystemLink {
 public:
  virtual ~SystemLink() = default;
  /// Downloads after a good preset load: every page (mode file) or the hidden equaliser pages
  /// (EQ file); the link goes online again and refreshes every page.
  virtual void StartFullWrite() = 0;
  virtual void StartHintWrite() = 0;
  /// Recalls (through the edit path) and stores modes of the box.
  virtual void LoadDeviceMode(int index) = 0;
  virtual void LoadHintMode(int index) = 0;
  virtual void StoreDeviceMode(int index, std::string_view name) = 0;
  virtual void StoreHintMode(int index, std::string_view name) = 0;
  /// Text writes sent at once, whatever the link state.
  virtual void SendUserPassword(std::string_view text) = 0;
  virtual void SendBluetoothName(std::string_view text) = 0;
  /// The four-digit user password as the box last reported it (or as last changed here).
  virtual std::string UserPasswordText() const = 0;
  virtual void SetUserPasswordText(std::string text) = 0;
};

/// The system link over the real link component.
class LinkSystemAdapter : public SystemLink {
 public:
  explicit LinkSystemAdapter(LinkComponent& link) : link_(link) {}

  void StartFullWrite() override;
  void StartHintWrite() override;
  void LoadDeviceMode(int index) override;
  void LoadHintMode(int index) override;
  void StoreDeviceMode(int index, std::string_view name) override;
  void StoreHintMode(int index, std::string_view name) override;
  void SendUserPassword(std::string_view text) override;
  void SendBluetoothName(std::string_view text) override;
  std::string UserPasswordText() const override;
  void SetUserPasswordText(std::string text) override;

 private:
  LinkComponent& link_;
};

}  // namespace kdsp::ui
