#include "ui/output_page.h"

#include "model/control_lists.h"
#include "ui/band_strip.h"
#include "ui/control_factory.h"
#include "ui/page_rows.h"

namespace kdsp::ui {

namespace {

constexpr int kColumnWidth = 172;
constexpr int kMuteWidth = 78;

QWidget* Boxed(QWidget* parent, const QRect& geometry, const char* name) {
  auto* frame = MakeFrame(parent, geometry, name);
  frame->setProperty("boxed", true);
  return frame;
}

}  // namespace

QWidget* BuildOutputPage(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AdvTabSheet4_Main");

  BandStripLayout strip{5, 10, 5, "MainEQGroupBox", "MainPanScrollBar", BandLabelNames(3)};
  BuildBandStrip(sheet, strip, QPoint(4, 2));
  const int mix_x = 4 + BandStripWidth(strip.visible) + 6;
  const int limiter_x = mix_x + kColumnWidth + 4;
  const int right_x = limiter_x + kColumnWidth + 4;
  const int right_width = 945 - 4 - right_x;
  const int row = kColumnWidth - 12;

  // What this output mixes, each with its phase.
  auto* mix = Boxed(sheet, QRect(mix_x, 2, kColumnWidth, 220), "AdvGroupBox6");
  const SliderRow kMix[4] = {
      {{"音乐电平", "Music Level"}, "MainMusLevelBar", "MainMusLevelPane", "MainMusPhaseBtn"},
      {{"麦克风电平", "Mic Level"}, "MainMicLevelBar", "MainMicLevelPane", "MainMicPhaseBtn"},
      {{"回声效果电平", "Echo Level"},
       "MainEchoALevelBar",
       "MainEchoALevelPane",
       "MainEchoAPhaseBtn"},
      {{"混响效果电平", "Rvb Effect Vol"},
       "MainRvbLevelBar",
       "MainRvbLevelPane",
       "MainRvbPhaseBtn"},
  };
  for (int i = 0; i < 4; ++i) {
    AddStackedRow(mix, kMix[i], QRect(6, 12 + 52 * i, row, kStackedRowHeight));
  }

  auto* limiter = Boxed(sheet, QRect(limiter_x, 2, kColumnWidth, 134), "OutLimiteGroup");
  const SliderRow kLimiter[4] = {
      {{"压限启动电平", "Limit Level"}, "MainRmsLevelBar", "MainRmsLevelPane"},
      {{"压限启动时间", "Attack Time"}, "MainRmsAttackBar", "MainRmsAttackPane"},
      {{"压限释放时间", "Release Time"}, "MainRmsReleaseBar", "MainRmsReleasePane"},
      {{"压缩比例", "Ratio"}, "MainRmsRatioBar", "MainRmsRatioPane"},
  };
  for (int i = 0; i < 4; ++i) {
    AddStackedRow(limiter, kLimiter[i], QRect(6, 4 + 32 * i, row, kStackedRowHeight));
  }

  auto* filters = Boxed(sheet, QRect(limiter_x, 140, kColumnWidth, 82), "OutLHPGroup");
  FilterBlock block{"MainHPTypeBox", "MainMusHPFreBar", "MainMusHPFrePane",
                    "MainLPTypeBox", "MainMusLPFreBar", "MainMusLPFrePane"};
  block.hp_freq_title = {"频率", "HPF"};
  block.lp_freq_title = {"频率", "LPF"};
  AddFilterRows(filters, block, QRect(6, 2, row, 78), 20, 30);

  // Mutes, delays and the output volume. The right-channel controls are shown, and the left
  // mute moved aside for them, only for outputs with a right channel.
  auto* side = Boxed(sheet, QRect(right_x, 2, right_width, 220), "AdvGroupBox7");
  MakeMuteSwitch(side, "MainLmuteBtn", QRect(58, 10, kMuteWidth, 24), QString());
  MakeMuteSwitch(side, "MainRmuteBtn", QRect(98, 10, kMuteWidth, 24), QString::fromUtf8("右静音"));
  const int side_row = right_width - 16;
  AddStackedRow(
      side,
      {{"左通道延时 ", "Left Delay"}, "MainLdelayBar", "MainLdelayPane", {}, "OutLDelayLabel"},
      QRect(8, 50, side_row, kStackedRowHeight));
  AddStackedRow(
      side,
      {{"右通道延时 ", "Right Delay"}, "MainRdelayBar", "MainRdelayPane", {}, "OutRDelayLabel"},
      QRect(8, 92, side_row, kStackedRowHeight));
  auto* out_gain = Boxed(side, QRect(4, 134, right_width - 8, 46), "AdvGroupBox21");
  AddStackedRow(
      out_gain,
      {{"输出音量", "Out Gain "}, "MainOutLevelBar", "MainOutLevelPane", "MainOutphasebtn"},
      QRect(4, 7, right_width - 16, kStackedRowHeight));
  return sheet;
}

}  // namespace kdsp::ui
