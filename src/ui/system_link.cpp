#include "ui/system_link.h"

#include "link/link_component.h"

namespace kdsp::ui {

void LinkSystemAdapter::StartFullWrite() {
  link_.machine().EnterLinkState(LinkEntry::StartFullWrite);
}

void LinkSystemAdapter::StartHintWrite() {
  link_.machine().EnterLinkState(LinkEntry::StartHintWrite);
}

void LinkSystemAdapter::LoadDeviceMode(int index) { link_.machine().LoadDeviceMode(index); }

void LinkSystemAdapter::LoadHintMode(int index) { link_.machine().LoadHintMode(index); }

void LinkSystemAdapter::StoreDeviceMode(int index, std::string_view name) {
  link_.machine().StoreDeviceMode(index, name);
}

void LinkSystemAdapter::StoreHintMode(int index, std::string_view name) {
  link_.machine().StoreHintMode(index, name);
}

void LinkSystemAdapter::SendUserPassword(std::string_view text) {
  link_.machine().SendUserPassword(text);
}

void LinkSystemAdapter::SendBluetoothName(std::string_view text) {
  link_.machine().SendBluetoothName(text);
}

std::string LinkSystemAdapter::UserPasswordText() const {
  return link_.machine().dispatcher().UserPasswordText();
}

void LinkSystemAdapter::SetUserPasswordText(std::string text) {
  link_.machine().dispatcher().SetUserPasswordText(std::move(text));
}

}  // namespace kdsp::ui
