#pragma once

#include <array>

#include <QPointer>
#include <QString>

#include "edit/bound_widgets.h"
#include "edit/control_registry.h"
#include "edit/seams.h"
#include "model/param_addr.h"
#include "model/selection.h"
#include "model/value_table.h"

namespace kdsp {

class EditRecorder;

/// The view address and value of the last parameter the user changed, and the pair last seen
/// by the graph timer.
struct LastEditRecord {
  ParamAddr addr = 0;
  int value = 0;
  bool operator==(const LastEditRecord&) const = default;
};

/// State of the edit path (flags, current edit, band selection).
struct EditState {
  bool send_suppressed = false;      ///< `SendSuppressed`: store, do not send
  bool refresh_in_progress = false;  ///< `RefreshInProgress`
  bool setting_control = false;      ///< `SettingControl`: the program moves a trackbar
  QPointer<ParamEdit> current_edit;  ///< `CurrentEdit`; the registry's Example means none
  QString saved_text;                ///< `SavedText`
  bool text_edited = false;
  bool wheel_target = false;           ///< `WheelTarget`
  std::array<int, 8> selected_band{};  ///< per `BandGroup`
  QPointer<ParamEdit> last_highlighted;
  LastEditRecord last_edit;   ///< `LastEdit`
  LastEditRecord last_drawn;  ///< the pair the graph timer drew last
};

/// Which channel the window shows and the channel-wide states.
struct ChannelState {
  int current_tab = 0;
  int view_page = 0;    ///< the current view page (the page the graph draws)
  int page_index = 0;   ///< sheet of the main page control (the view address's low byte)
  int sync_state = 0;   ///< 0 microphone 1 alone, 1 synced, 2 microphone 2 alone
  int output_mode = 0;  ///< `OutputMode`: 0 automatic, 1 manual
  std::array<int, kPageCount> bypass_state{};
  int effect_sub_tab = 0;  ///< Tag of the effect sub-tab last chosen
  int aux_sheet = 1;       ///< visible sheet of the auxiliary page control
};

/// Everything the registry, the edit path and the page refresh share. Created once by the
/// window (tables by the application) and passed by reference.
struct BindingContext {
  BindingContext(ValueTable& device, ValueTable& view) : device_values(device), view_values(view) {}

  ValueTable& device_values;  ///< `DeviceValues`
  ValueTable& view_values;    ///< `ViewValues`
  Selection selection;
  ControlRegistry registry;
  EditState edit;
  ChannelState channel;
  int ui_language = 1;  ///< `UiLanguage`: 1 Chinese, 0 English
  ParamLink* link = nullptr;
  EqGraph* graph = nullptr;
  EditRecorder* recorder = nullptr;  ///< turns the user's changes into undo steps (optional)

  ParamAddr ToDevice(ParamAddr view) const { return MapToDevice(selection, device_values, view); }
  bool IsExample(const ParamEdit* edit) const {
    return edit == nullptr || edit == registry.Example();
  }
};

}  // namespace kdsp
