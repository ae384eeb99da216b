#include "ui/history_texts.h"

#include <QWidget>

#include "model/bi_text.h"

namespace kdsp::ui {

namespace {

struct Tip {
  const char* control;
  BiText text;
};

constexpr BiText kRecallTip{"调用设备模式不能撤销：模式保存在设备自身的存储中",
                            "Recalling a device mode cannot be undone: modes live in the box's "
                            "own memory"};

const Tip kTips[] = {
    {"UndoBtn", {"撤销", "Undo"}},
    {"RedoBtn", {"重做", "Redo"}},
    {"CompareABtn", {"比较 A/B", "Compare A/B"}},
    {"CompareBBtn", {"比较 A/B", "Compare A/B"}},
    {"SysLoadModeBtn", kRecallTip},
    {"SysLoad2ModeBtn", kRecallTip},
    {"SysLoad3ModeBtn", kRecallTip},
    {"SysFactoryBtn", kRecallTip},
    {"SysFactoryBtn2", kRecallTip},
    {"SysFactoryBtn3", kRecallTip},
    {"SysFactoryBtn4", kRecallTip},
    {"SysFactoryBtn5", kRecallTip},
    {"SysFactoryBtn6", kRecallTip},
    {"SysFactoryBtn7", kRecallTip},
};

}  // namespace

void ApplyHistoryTexts(QWidget& window, int lang) {
  for (const Tip& tip : kTips) {
    auto* w = window.findChild<QWidget*>(QString::fromLatin1(tip.control));
    if (w == nullptr) continue;
    const std::string_view text = tip.text.In(lang);
    w->setToolTip(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  }
}

}  // namespace kdsp::ui
