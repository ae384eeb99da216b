#include "ui/language.h"

#include <QAbstractButton>
#include <QTabWidget>

#include "model/bi_text.h"
#include "edit/translatable.h"

namespace kdsp::ui {

namespace {

struct ButtonText {
  const char* name;
  BiText text;
};

// Picture buttons carry no second text of their own; their captions come from this table.
constexpr ButtonText kPictureButtons[] = {
    {"PinPPBtn", {"频谱", "Spectrum"}},
    {"PinDCFBtn", {"低触发", "Normal"}},
    {"SameBtn", {"同步", "SYNC"}},
    {"EQResetBtn", {"EQ重置", "EQ Reset"}},
    {"ManulModeBtn", {"手动", "Manual"}},
    {"AutoModeBtn", {"自动", "Auto"}},
    {"SingModeBtn", {"唱歌", "Sing"}},
    {"DiscoModeBtn", {"热舞", "Disco"}},
    {"SysLoadModeBtn", {"调用设备模式", "Load Mode"}},
    {"SysLoad2ModeBtn", {"调用设备模式", "Load Mode"}},
    {"SysSaveModeBtn", {"保存设备模式", "Save Mode"}},
    {"SysSave2ModeBtn", {"保存设备模式", "Save Mode"}},
    {"RzBmpButton119", {"上传数据到设备", "Load File data"}},
    {"HintLoadPCBtn", {"上传数据到设备", "Load File data"}},
    {"RzBmpButton120", {"保存数据到电脑", "Save Data to PC"}},
    {"HintSavetoPCBtn", {"保存数据到电脑", "Save Data to PC"}},
    {"SysPanelBtn2", {"启用", "Enable"}},
    {"SysVolRunBtn2", {"启用", "Enable"}},
    {"SysPanelBtn1", {"禁用", "Disable"}},
    {"SysVolRunBtn1", {"禁用", "Disable"}},
    {"RzBmpButton22", {"确定", "OK"}},
    {"RzBmpButton23", {"修改", "Modify"}},
    {"MainRmuteBtn", {"右静音", "R Mute"}},
};

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), s.size()); }

}  // namespace

int UiLanguageForLocale(const QLocale& locale) {
  // The language identifiers 0804 (Chinese, PRC) and 0404 (Chinese, Taiwan).
  if (locale.language() != QLocale::Chinese) return 0;
  const QLocale::Territory t = locale.territory();
  return t == QLocale::China || t == QLocale::Taiwan ? 1 : 0;
}

void SwapTranslatableTexts(QWidget& root) {
  const auto widgets = root.findChildren<QWidget*>();
  for (QWidget* w : widgets) SwapBiText(w);
  for (QTabWidget* tabs : root.findChildren<QTabWidget*>()) {
    for (int i = 0; i < tabs->count(); ++i) {
      if (IsTranslatable(tabs->widget(i))) tabs->setTabText(i, tabs->widget(i)->windowTitle());
    }
  }
}

void ApplyPictureButtonTexts(QWidget& root, int lang, bool linked) {
  for (const ButtonText& b : kPictureButtons) {
    if (auto* button = root.findChild<QAbstractButton*>(b.name)) {
      button->setText(Text(b.text.In(lang)));
    }
  }
  if (auto* link = root.findChild<QAbstractButton*>("LinkBtn")) {
    link->setText(LinkButtonCaption(lang, linked));
  }
}

QString LinkButtonCaption(int lang, bool linked) {
  const BiText caption = linked ? BiText{"断开", "Unlink"} : BiText{"联机", "link"};
  return Text(caption.In(lang));
}

}  // namespace kdsp::ui
