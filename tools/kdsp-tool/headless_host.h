#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "link/core/link_host.h"
#include "model/value_table.h"

namespace kdsp {
class LinkMachine;
}

namespace kdsp::tool {

/// The link's window side without a window, for the command line: texts are kept instead of
/// shown, message boxes become the outcome of the session, and the edit path stores the value
/// in `DeviceValues` and hands it to the link as the console's does.
class HeadlessHost : public LinkHost {
 public:
  explicit HeadlessHost(ValueTable& device_values) : device_values_(device_values) {}
  /// The link that `WriteParam` sends through, once created.
  void Attach(LinkMachine* machine) { machine_ = machine; }

  void ShowLinkText(const BilingualText& text) override { link_text_ = text; }
  void SetLinkColour(Rgb) override {}
  void SetLinkLook(bool) override {}
  void SetPopupTransport(std::string_view) override {}
  void UpdatePopup(int, bool) override {}
  void ShowMessage(const BilingualText& text, const BilingualText& caption) override;
  void SetSceneMode(int) override {}
  void RefreshAllPages() override {}
  void ShowMainWindow() override {}
  void ShowMusicKey(int) override {}
  void ShowDeviceId(std::string_view text) override { device_id_ = std::string(text); }
  void RefillModeList(ModeList, const std::array<std::string, 16>&) override {}
  void WriteParam(ParamAddr view_addr, int value) override;
  bool SendSuppressed() const override { return send_suppressed_; }
  void SetSendSuppressed(bool on) override { send_suppressed_ = on; }

  /// The first message that ends the link ("Off Line!" of a lost or failed link), if any.
  const std::optional<BilingualText>& EndMessage() const { return end_message_; }
  /// The texts of every other message, in the order they came (frame errors).
  const std::string& OtherMessages() const { return other_messages_; }
  const BilingualText& LinkText() const { return link_text_; }
  const std::string& DeviceId() const { return device_id_; }

 private:
  ValueTable& device_values_;
  LinkMachine* machine_ = nullptr;
  BilingualText link_text_{};
  std::optional<BilingualText> end_message_;
  std::string other_messages_;
  std::string device_id_;
  bool send_suppressed_ = false;
};

}  // namespace kdsp::tool
