#include "ui/tab_strip.h"

#include <QLabel>
#include <QPushButton>

#include "edit/bound_widgets.h"
#include "edit/translatable.h"
#include "model/control_lists.h"

namespace kdsp::ui {

namespace {
constexpr int kTabWidth = 64;
constexpr int kTabHeight = 30;
}  // namespace

TabStrip::TabStrip(QWidget* parent) : QWidget(parent) {
  setObjectName("RzGroupBox17");
  setAttribute(Qt::WA_StyledBackground, true);
  int x = 4;
  for (int t = 0; t < static_cast<int>(kChannelTabs.size()); ++t) {
    const TabButton& tab = kChannelTabs[t];
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromUtf8(tab.name.data(), tab.name.size()));
    b->setProperty("tabButton", true);
    b->setProperty("chosen", false);
    b->setProperty("Tag", t);
    b->setFocusPolicy(Qt::NoFocus);
    SetBiText(b, tab.caption, 1);
    b->setGeometry(x, 2, kTabWidth, kTabHeight);
    b->setVisible(tab.visible_at_start);
    if (tab.visible_at_start) x += kTabWidth;
  }
  link_label_ = new QLabel(this);
  link_label_->setObjectName("LinkLabel");
  link_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  link_button_ = new PictureButton(this);
  link_button_->setObjectName("LinkBtn");
  link_button_->setText(QString::fromUtf8("联机"));
  language_ = new QPushButton(this);
  language_->setObjectName("RzToolButton11");
  language_->setProperty("tabButton", true);
  language_->setProperty("chosen", false);
  language_->setFocusPolicy(Qt::NoFocus);
  SetBiText(language_, QStringLiteral("English"), QStringLiteral("Chinese"));
}

void TabStrip::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int right = width() - 4;
  language_->setGeometry(right - 70, 2, 70, kTabHeight);
  link_button_->setGeometry(right - 70 - 64, 5, 58, 24);
  link_label_->setGeometry(right - 70 - 64 - 116, 2, 110, kTabHeight);
}

}  // namespace kdsp::ui
