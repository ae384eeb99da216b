#include "ui/graph_panel.h"

#include <QComboBox>
#include <QLabel>

#include "edit/bound_widgets.h"
#include "ui/control_factory.h"

namespace kdsp::ui {

namespace {

constexpr int kAreaLeft = 48;
constexpr int kAreaTop = 35;
constexpr int kAreaRightMargin = 7;    // 938 - 48 - 883
constexpr int kAreaBottomMargin = 19;  // 322 - 35 - 268: room for the frequency labels
// Room for an input's name with its "(default)" mark; the strip groups after it still end
// before the EQ buttons at the right.
constexpr int kInputBoxWidth = 240;

QWidget* StripGroup(QWidget* parent, const char* name, int x, int buttons, int button_width) {
  auto* group = MakeFrame(parent, QRect(x, 4, buttons * (button_width + 4) + 4, 28), name);
  group->setProperty("buttonStrip", true);
  return group;
}

PictureButton* StripButton(QWidget* group, const char* name, int index, int width,
                           const char* caption) {
  auto* b = MakeButton(group, name, QRect(4 + index * (width + 4), 3, width, 22),
                       QString::fromUtf8(caption));
  b->SetLook(PictureButton::Look::kReleased);
  return b;
}

}  // namespace

GraphPanel::GraphPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("AdvPanel1");
  setAttribute(Qt::WA_StyledBackground, true);

  auto* spectrum = StripGroup(this, "RzGroupBox19", kAreaLeft, 2, 72);
  StripButton(spectrum, "PinPPBtn", 0, 72, "频谱");
  StripButton(spectrum, "PinDCFBtn", 1, 72, "低触发");
  // The analyser's capture device, right after its buttons; the analyser fills it.
  auto* input = new QComboBox(spectrum);
  input->setObjectName("SpectrumInputBox");
  input->setGeometry(spectrum->width(), 3, kInputBoxWidth, 22);
  input->setFocusPolicy(Qt::NoFocus);
  spectrum->resize(spectrum->width() + kInputBoxWidth + 4, spectrum->height());

  // The sync group (microphone tabs) and the output-mode group (output tabs) share a place:
  // never both are shown.
  const int x = spectrum->geometry().right() + 8;
  auto* copy = StripGroup(this, "CopyGrop", x, 3, 64);
  const char* kSync[3] = {"LeftBtn", "SameBtn", "RightBtn"};
  const char* kSyncCaption[3] = {"", "同步", ""};
  for (int i = 0; i < 3; ++i) StripButton(copy, kSync[i], i, 64, kSyncCaption[i])->SetTag(i);
  copy->hide();

  auto* modes = StripGroup(this, "SingleDiscoGrop", x, 4, 60);
  StripButton(modes, "ManulModeBtn", 0, 60, "手动");
  StripButton(modes, "AutoModeBtn", 1, 60, "自动");
  StripButton(modes, "SingModeBtn", 2, 60, "唱歌");
  StripButton(modes, "DiscoModeBtn", 3, 60, "热舞");
  modes->hide();

  pass_group_ = StripGroup(this, "EQPassGrop", 0, 2, 72);
  StripButton(pass_group_, "EQResetBtn", 0, 72, "EQ重置");
  auto* bypass = StripButton(pass_group_, "MusEQAllpassBtn", 1, 72, "EQ pass");
  bypass->SetHint("0");

  area_ = MakeFrame(this, QRect(kAreaLeft, kAreaTop, 883, 268), "AdvPanel2");
  area_->setAttribute(Qt::WA_StyledBackground, true);
  image_ = MakeFrame(area_, QRect(0, 0, 883, 268), "Image1");
  auto* pass_label = new QLabel(QStringLiteral("EQ PASS"), area_);
  pass_label->setObjectName("EQPassLabel");
  // Wide enough for the caption in any start language and font; centred where it always was.
  pass_label->setGeometry(360, 72, 230, 46);
  pass_label->setAlignment(Qt::AlignCenter);
  pass_label->hide();
}

void GraphPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  area_->setGeometry(kAreaLeft, kAreaTop, width() - kAreaLeft - kAreaRightMargin,
                     height() - kAreaTop - kAreaBottomMargin);
  image_->setGeometry(0, 0, area_->width(), area_->height());
  pass_group_->move(width() - kAreaRightMargin - pass_group_->width(), 4);
}

}  // namespace kdsp::ui
