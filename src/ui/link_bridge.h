#pragma once

#include <memory>

#include <QPointer>

#include "link/core/link_host.h"
#include "edit/seams.h"

class QLabel;

namespace kdsp {
class LinkComponent;
class StatusPane;
}

namespace kdsp::ui {

class MainWindow;
class StatusPopup;

/// The meeting point of the window and the link component: the window side of the link
/// (`LinkHost`) and the link as the edit path sees it (`ParamLink`).
class LinkBridge : public LinkHost, public ParamLink {
 public:
  LinkBridge(MainWindow& window, StatusPopup& popup);
  /// The link component, once created (it needs this bridge as its host first). Wires the
  /// window to it: the link button, the farewell when the window closes while online, and the
  /// end of the link (in any state) when the window closes.
  void Attach(LinkComponent* link);

  // LinkHost
  void ShowLinkText(const BilingualText& text) override;
  void SetLinkColour(Rgb colour) override;
  void SetLinkLook(bool linked) override;
  void SetPopupTransport(std::string_view label) override;
  void UpdatePopup(int progress_percent, bool visible) override;
  void ShowMessage(const BilingualText& text, const BilingualText& caption) override;
  void SetSceneMode(int scene) override;
  void RefreshAllPages() override;
  void ShowMainWindow() override;
  void ShowMusicKey(int key) override;
  void ShowDeviceId(std::string_view text) override;
  void RefillModeList(ModeList list, const std::array<std::string, 16>& items) override;
  void WriteParam(ParamAddr view_addr, int value) override;
  bool SendSuppressed() const override;
  void SetSendSuppressed(bool on) override;

  // ParamLink
  bool IsOnline() const override;
  bool ConnectionOpen() const override;
  void SendParam(ParamAddr device_addr, int value) override;
  void SendParamAndHold(ParamAddr view_addr, int value) override;
  QString ModeName(int set, int index) const override;
  bool TakeFirstRefreshAfterOnline() override;
  void ExpediteQueue() override;

  /// The popup follows the window's language and link text.
  void OnLanguageChanged(int lang);

 private:
  QString Pick(const BilingualText& text) const;
  /// The window's controls the link updates, looked up once: a box may send thousands of
  /// frames a second, and a lookup through the whole window for each would stall it.
  QLabel* LinkLabel();
  StatusPane* PitchPane();
  QLabel* DeviceIdLabel();
  template <typename T>
  T* Control(QPointer<T>& pointer, bool& looked_up, const char* name);

  MainWindow& window_;
  StatusPopup& popup_;
  LinkComponent* link_ = nullptr;
  bool lock_check_armed_ = true;        ///< no refresh of arrival since the unlinked look
  bool first_refresh_pending_ = false;  ///< inside the arrival's refresh of every page
  bool closed_ = false;                 ///< the window has closed: it is never shown again
  QPointer<QLabel> link_label_;
  QPointer<StatusPane> pitch_pane_;
  QPointer<QLabel> device_id_label_;
  bool link_label_looked_up_ = false;
  bool pitch_pane_looked_up_ = false;
  bool device_id_label_looked_up_ = false;
};

}  // namespace kdsp::ui
