#pragma once

#include <cstdint>
#include <string_view>

namespace kdsp {

/// A user-visible text in both display languages; the window picks one by `UiLanguage`.
struct BilingualText {
  std::string_view zh;
  std::string_view en;
  bool operator==(const BilingualText&) const = default;
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Link label texts.
inline constexpr BilingualText kTextSearching{"设备搜索...", "Search..."};
inline constexpr BilingualText kTextLinking{"连接中...", "Linking..."};
inline constexpr BilingualText kTextLoading{"加载中...", "Loading..."};
inline constexpr BilingualText kTextDownloading{"下载数据...", "Download..."};
inline constexpr BilingualText kTextSaving{"保存中...", "Saving..."};
inline constexpr BilingualText kTextOnline{"设备已连接", "Online"};
inline constexpr BilingualText kTextOffline{"设备未连接", "Off Line"};

// Link label colours (searching, loading, downloading and saving leave the colour alone).
inline constexpr Rgb kColourLinking{0, 0, 0};
inline constexpr Rgb kColourOnline{0, 51, 153};
inline constexpr Rgb kColourOffline{255, 0, 0};

// Link button captions and caption colours: linked look and unlinked look.
inline constexpr BilingualText kLinkedCaption{"断开", "Unlink"};
inline constexpr Rgb kLinkedCaptionColour{243, 152, 0};
inline constexpr BilingualText kUnlinkedCaption{"联机", "link"};
inline constexpr Rgb kUnlinkedCaptionColour{0, 0, 0};

// Message boxes of the link and their caption.
inline constexpr BilingualText kLinkCaption{"提示", "Confirm"};
inline constexpr BilingualText kMsgLinkLost{"已断开连接!", "Off Line!"};
inline constexpr BilingualText kMsgLinkFailed{"连接失败!", "Off Line!"};
inline constexpr BilingualText kMsgSaveSuccess{"保存成功!", "Save Success!"};
inline constexpr BilingualText kMsgSaveFailed{"保存失败!", "Save Failed!"};
// Mode saves and recalls refused while the link cannot carry them.
inline constexpr BilingualText kMsgSaveOffline{"设备未连接,模式未保存!",
                                               "Off Line! The mode was not saved."};
inline constexpr BilingualText kMsgLoadOffline{"设备未连接,模式未调用!",
                                               "Off Line! The mode was not loaded."};
inline constexpr BilingualText kMsgLinkBusy{"设备忙,请稍后再试!",
                                            "The box is busy, please try again later!"};
// The two frame errors are plain messages with Chinese text only and no caption of their own.
inline constexpr BilingualText kNoCaption{"", ""};
inline constexpr BilingualText kMsgShortFrame{"数据包丢失数据", "数据包丢失数据"};
inline constexpr BilingualText kMsgBadChecksum{"数据包丢失数据 校验字不正确！",
                                               "数据包丢失数据 校验字不正确！"};

// Device-status popup.
inline constexpr BilingualText kPopupCaption{"设备状态", "Device Staus"};
inline constexpr BilingualText kPopupWarning{"请稍等,可能需要几秒钟才能完成操作！",
                                             "Please Wait for a moment!"};
inline constexpr std::string_view kComLabelUsb = "  USB";
inline constexpr std::string_view kComLabelNetwork = "Network";

// TCP endpoint defaults of the system page: the network module's usual address and port.
inline constexpr std::string_view kDefaultBoxHost = "192.168.4.1";
inline constexpr std::string_view kDefaultBoxPort = "8899";

// Link log lines (printf-style: system error text, error code).
inline constexpr const char* kLogWriteError = "WRITE ERROR: %s (%x)";
inline constexpr const char* kLogReadError = "READ ERROR: %s (%x)";
inline constexpr std::string_view kLogRemovalOf = "Removal of ";

}  // namespace kdsp
