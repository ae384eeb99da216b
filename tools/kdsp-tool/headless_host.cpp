#include "kdsp-tool/headless_host.h"

#include "link/core/link_machine.h"
#include "link/core/link_texts.h"

namespace kdsp::tool {

void HeadlessHost::ShowMessage(const BilingualText& text, const BilingualText&) {
  if (text == kMsgLinkLost || text == kMsgLinkFailed) {
    if (!end_message_) end_message_ = text;
    return;
  }
  if (!other_messages_.empty()) other_messages_ += "; ";
  other_messages_ += std::string(text.en);
}

void HeadlessHost::WriteParam(ParamAddr view_addr, int value) {
  // No view pages here: the view address is the device address.
  device_values_.Set(view_addr, value);
  if (send_suppressed_ || machine_ == nullptr || !machine_->state().LinkOnline) return;
  machine_->SendParam(view_addr, value);
}

}  // namespace kdsp::tool
