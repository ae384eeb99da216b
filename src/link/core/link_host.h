#pragma once

#include <array>
#include <string>
#include <string_view>

#include "link/core/link_texts.h"
#include "model/param_addr.h"

namespace kdsp {

/// The mode lists of the system page that a save refills.
enum class ModeList { Device, Hint };

/// What the link needs from the main window. Implemented by the window (and by fakes in the
/// tests). Every call comes on the window's thread.
class LinkHost {
 public:
  virtual ~LinkHost() = default;

  /// Shows the link state in `LinkLabel`: the current language's text, the other as hint.
  virtual void ShowLinkText(const BilingualText& text) = 0;
  virtual void SetLinkColour(Rgb colour) = 0;
  /// Linked look (`LinkBtn` "断开"/"Unlink") or unlinked look ("联机"/"link"); see link_texts.h.
  virtual void SetLinkLook(bool linked) = 0;

  /// Status popup: the transport being tried (`ComLabel`).
  virtual void SetPopupTransport(std::string_view label) = 0;
  /// Status popup: copies the link text, sets the progress (0..100) and shows or hides it.
  virtual void UpdatePopup(int progress_percent, bool visible) = 0;

  /// A message box. May be modal; the link is in a consistent state whenever it calls this.
  virtual void ShowMessage(const BilingualText& text, const BilingualText& caption) = 0;

  /// Sets `SceneMode` of the selection.
  virtual void SetSceneMode(int scene) = 0;
  /// Refreshes every view page from `DeviceValues`, then re-selects the current tab.
  virtual void RefreshAllPages() = 0;
  virtual void ShowMainWindow() = 0;
  /// Shows a music key reported by the box (display only, nothing is sent).
  virtual void ShowMusicKey(int key) = 0;
  /// Shows the box's identification code in `DeviceIDLabel`.
  virtual void ShowDeviceId(std::string_view text) = 0;
  /// Refills a mode list with sixteen items, keeping the selected index.
  virtual void RefillModeList(ModeList list, const std::array<std::string, 16>& items) = 0;

  /// The window's edit path: stores (view address, value) and hands it to `SendParam`.
  virtual void WriteParam(ParamAddr view_addr, int value) = 0;
  virtual bool SendSuppressed() const = 0;
  virtual void SetSendSuppressed(bool on) = 0;
};

}  // namespace kdsp
