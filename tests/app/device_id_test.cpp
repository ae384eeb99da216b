// The box's identification code reaches the label of the settings column in both languages.

#include <gtest/gtest.h>
#include <QLabel>

#include "model/value_table.h"
#include "ui/link_bridge.h"
#include "ui/main_window.h"
#include "ui/status_popup.h"

namespace kdsp::ui {
namespace {

TEST(DeviceId, TheLinkShowsTheBoxsCodeBesideItsCaption) {
  ValueTable device, view;
  MainWindow window(device, view);
  StatusPopup popup;
  LinkBridge bridge(window, popup);
  auto* label = window.findChild<QLabel*>("DeviceIDLabel");
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->text().isEmpty());  // nothing until the box has said it
  bridge.ShowDeviceId("0A1B2C3D");
  EXPECT_EQ(label->text(), "0A1B2C3D");

  // The caption sits on the same row, left of the code, and follows the language.
  QLabel* caption = nullptr;
  for (auto* l : label->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (l->text() == QString::fromUtf8("设备管理码")) caption = l;
  }
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->y(), label->y());
  EXPECT_LT(caption->geometry().right(), label->x());
  window.ApplyLanguage(1 - window.UiLanguage());
  EXPECT_EQ(caption->text(), "Device ID");
  EXPECT_EQ(label->text(), "0A1B2C3D");
}

}  // namespace
}  // namespace kdsp::ui
