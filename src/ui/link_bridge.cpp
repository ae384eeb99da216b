#include "ui/link_bridge.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <utility>

#include "edit/translatable.h"
#include "link/link_component.h"
#include "ui/app_title.h"
#include "ui/main_window.h"
#include "ui/status_popup.h"
#include "ui/system_dialogs.h"

namespace kdsp::ui {

namespace {
QString FromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), s.size()); }
}  // namespace

LinkBridge::LinkBridge(MainWindow& window, StatusPopup& popup) : window_(window), popup_(popup) {}

void LinkBridge::Attach(LinkComponent* link) {
  link_ = link;
  if (link_ == nullptr) return;
  if (QAbstractButton* button = window_.LinkButton()) {
    QObject::connect(button, &QAbstractButton::clicked, link_,
                     [this] { link_->machine().LinkBtnClick(LinkButton::LinkBtn); });
  }
  // The farewell goes through the component, which pushes it out on the socket or the port
  // before the program ends.
  window_.SetFarewell([this] { link_->FarewellOnClose(); });
  QObject::connect(&window_, &MainWindow::Closing, link_, [this] {
    closed_ = true;
    link_->Shutdown();
    popup_.hide();
  });
}

template <typename T>
T* LinkBridge::Control(QPointer<T>& pointer, bool& looked_up, const char* name) {
  // Looked up once the window has built its pages; a control the window does not have is not
  // searched for again.
  if (pointer.isNull() && !looked_up) {
    pointer = window_.findChild<T*>(name);
    looked_up = window_.ShowDone();
  }
  return pointer;
}

QLabel* LinkBridge::LinkLabel() { return Control(link_label_, link_label_looked_up_, "LinkLabel"); }

StatusPane* LinkBridge::PitchPane() {
  return Control(pitch_pane_, pitch_pane_looked_up_, "MusPitchPane");
}

QLabel* LinkBridge::DeviceIdLabel() {
  return Control(device_id_label_, device_id_label_looked_up_, "DeviceIDLabel");
}

QString LinkBridge::Pick(const BilingualText& text) const {
  return FromUtf8(window_.UiLanguage() == 1 ? text.zh : text.en);
}

void LinkBridge::ShowLinkText(const BilingualText& text) {
  QLabel* label = LinkLabel();
  if (label == nullptr) return;
  const int lang = window_.UiLanguage();
  SetBiText(label, FromUtf8(lang == 1 ? text.zh : text.en),
            FromUtf8(lang == 1 ? text.en : text.zh));
}

void LinkBridge::SetLinkColour(Rgb colour) {
  if (QLabel* label = LinkLabel()) {
    label->setStyleSheet(
        QString("color: rgb(%1, %2, %3);").arg(colour.r).arg(colour.g).arg(colour.b));
  }
}

void LinkBridge::SetLinkLook(bool linked) {
  window_.SetLinkLook(linked);
  // A new connection starts from the unlinked look; its first refresh checks the lock.
  if (!linked) lock_check_armed_ = true;
}

void LinkBridge::SetPopupTransport(std::string_view label) { popup_.SetTransport(FromUtf8(label)); }

void LinkBridge::UpdatePopup(int progress_percent, bool visible) {
  if (QLabel* label = LinkLabel()) popup_.SetLinkText(label->text());
  popup_.SetProgress(progress_percent);
  popup_.setVisible(visible && !closed_);
}

void LinkBridge::ShowMessage(const BilingualText& text, const BilingualText& caption) {
  if (closed_) return;  // the program is ending; nobody would read it
  QString title = Pick(caption);
  if (title.isEmpty()) title = QString::fromUtf8(kAppTitle);
  // Shown from the link's timers and receive handlers: it must return at once, or the timer
  // that showed it would stand still until the user closes it.
  ShowWindowMessage(window_, QMessageBox::Information, title, Pick(text));
}

void LinkBridge::SetSceneMode(int scene) { window_.Context().selection.scene_mode = scene; }

void LinkBridge::RefreshAllPages() {
  // The first refresh of a connection is where a locked front panel brings up the lock.
  first_refresh_pending_ = lock_check_armed_;
  lock_check_armed_ = false;
  window_.Refresh().RefreshPage(PageRefresh::kAllPages);
  first_refresh_pending_ = false;
  window_.Channels().SelectChannel(window_.Context().channel.current_tab);
  window_.Refresh().RefreshPage(window_.Context().channel.view_page);
  // After a full read the box's values are the starting point of undo; after a download the
  // console's own values went to the box, and their history stays.
  const bool read = link_ == nullptr || link_->machine().state().XferDir == kXferRead;
  if (read) window_.History().Clear();
}

void LinkBridge::ShowMainWindow() {
  if (closed_) return;
  window_.show();
  window_.raise();
}

void LinkBridge::ShowMusicKey(int key) {
  if (StatusPane* pane = PitchPane()) window_.Pipeline().UpdateControl(pane, 0, true, key);
}

void LinkBridge::ShowDeviceId(std::string_view text) {
  QLabel* label = DeviceIdLabel();
  if (label == nullptr) return;
  const QString shown = FromUtf8(text);
  if (label->text() != shown) label->setText(shown);
}

void LinkBridge::RefillModeList(ModeList list, const std::array<std::string, 16>& items) {
  const char* names[2] = {"SysModeBox", nullptr};
  if (list == ModeList::Hint) {
    names[0] = "SysMode2Box";
    names[1] = "SysMode3Box";
  }
  // The index remembered is the first list's: after a hint-mode save both hint lists show the
  // mode that was saved from the hidden equaliser page.
  auto* first = window_.findChild<QComboBox*>(names[0]);
  const int selected = first != nullptr ? first->currentIndex() : -1;
  for (const char* name : names) {
    auto* box = name != nullptr ? window_.findChild<QComboBox*>(name) : nullptr;
    if (box == nullptr) continue;
    box->clear();
    for (const std::string& item : items) box->addItem(QString::fromStdString(item));
    box->setCurrentIndex(selected < box->count() ? selected : -1);
  }
}

void LinkBridge::WriteParam(ParamAddr view_addr, int value) {
  // The link's own writes (the link opening, a recall) are not the user's to undo.
  EditRecorder::Pause pause(window_.History().Recorder());
  window_.Pipeline().WriteParam(view_addr, value);
}

bool LinkBridge::SendSuppressed() const { return window_.Context().edit.send_suppressed; }

void LinkBridge::SetSendSuppressed(bool on) { window_.Context().edit.send_suppressed = on; }

bool LinkBridge::IsOnline() const {
  return link_ != nullptr && link_->machine().state().LinkOnline;
}

bool LinkBridge::ConnectionOpen() const {
  return link_ != nullptr && link_->machine().ConnectionOpen();
}

void LinkBridge::SendParam(ParamAddr device_addr, int value) {
  if (link_ != nullptr) link_->machine().SendParam(device_addr, value);
}

void LinkBridge::SendParamAndHold(ParamAddr view_addr, int value) {
  if (link_ != nullptr) {
    link_->machine().SendParamAndHold(view_addr, value);
  } else {
    WriteParam(view_addr, value);
  }
}

QString LinkBridge::ModeName(int set, int index) const {
  if (link_ == nullptr || index < 0 || index >= 16) return {};
  const auto& names = link_->machine().dispatcher().ModeNames();
  return QString::fromStdString(names[set == 0 ? index : kHintNameBase + index]);
}

void LinkBridge::ExpediteQueue() {
  if (link_ != nullptr) link_->machine().ExpediteQueue();
}

bool LinkBridge::TakeFirstRefreshAfterOnline() {
  return std::exchange(first_refresh_pending_, false);
}

void LinkBridge::OnLanguageChanged(int lang) {
  popup_.ApplyLanguage(lang);
  if (QLabel* label = LinkLabel()) popup_.SetLinkText(label->text());
}

}  // namespace kdsp::ui
