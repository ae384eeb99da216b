// The analyser's tuning aids on the graph, driven as the user drives them: the spectrum
// button's context menu (averaging, peak hold, test-signal level, both languages, kept in the
// settings), the freeze key's hold on averages and peaks, the pointer readout, and a device
// that goes away while recording. The samples come from a stand-in recorder.

#include <cmath>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTest>

#include "spectrum/bar_painter.h"
#include "spectrum/maths/spectrum_bars.h"
#include "spectrum/noise_player.h"
#include "widget_support.h"

namespace kdsp::test {
namespace {

constexpr int kW = 883;
constexpr int kH = 268;
constexpr int kPitch = kW / 120;
constexpr int kToneBar = 74;  // the bar nearest 1 kHz at design size

/// Topmost row of the peak colour in column x, or the image height when there is none.
int PeakRow(const QImage& image, int x) {
  for (int y = 0; y < image.height(); ++y) {
    if (image.pixel(x, y) == kSpectrumPeakRgb) return y;
  }
  return image.height();
}

/// Runs the event loop until `done` holds or `ms` pass.
template <typename Done>
bool WaitUntil(Done done, int ms = 2000) {
  for (int waited = 0; !done(); waited += 10) {
    if (waited > ms) return false;
    QTest::qWait(10);
  }
  return true;
}

int PeakPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == kSpectrumPeakRgb;
  }
  return n;
}

class SpectrumTuningTest : public DisplayFixture {
 protected:
  SpectrumTuningTest() { ctx.ui_language = 0; }
  /// Right-clicks the spectrum button and returns the menu that opened.
  QMenu* OpenMenu() {
    RightClick(SpectrumButton(), QPoint(10, 10));
    QMenu* menu = display->OpenMenu();
    EXPECT_NE(menu, nullptr);
    if (menu != nullptr) {
      EXPECT_TRUE(WaitUntil([menu] { return menu->isVisible(); }));
    }
    return menu;
  }
  static QAction* Find(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions()) {
      if (a->text() == text) return a;
    }
    ADD_FAILURE() << "no entry " << text.toStdString();
    return nullptr;
  }
  /// Clicks the entries along `path` from a freshly opened context menu.
  void Choose(const QStringList& path) {
    QMenu* menu = OpenMenu();
    for (const QString& text : path) {
      ASSERT_NE(menu, nullptr);
      QAction* a = Find(menu, text);
      ASSERT_NE(a, nullptr);
      QMenu* next = a->menu();  // a chosen entry may be gone with its menu after the click
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
      menu = next;
      if (menu != nullptr) {
        ASSERT_TRUE(WaitUntil([menu] { return menu->isVisible(); }));
      }
    }
    WaitUntil([this] { return display->OpenMenu() == nullptr; }, 1000);
  }
  /// The checked entries of a submenu of a freshly opened menu.
  QStringList Checked(const QString& submenu) {
    QMenu* menu = OpenMenu();
    QStringList out;
    QAction* sub = Find(menu, submenu);
    for (QAction* a : sub != nullptr && sub->menu() ? sub->menu()->actions() : menu->actions()) {
      if (a->isChecked()) out << a->text();
    }
    menu->close();
    return out;
  }
  int ToneTop() { return TopBlueRow(Canvas(), kToneBar * kPitch + 2); }
};

TEST_F(SpectrumTuningTest, MenuChoicesTakeEffectAndAreKeptInTheSettings) {
  EXPECT_FALSE(display->Averager().Averaging());
  EXPECT_FALSE(display->Options().peak_hold);
  EXPECT_EQ(display->Noise().LevelDbfs(), -20.0);  // the default level

  Choose({"Averaging", "2 s"});
  EXPECT_EQ(display->Averager().TimeConstant(), 2.0);
  Choose({"Peak hold"});
  EXPECT_TRUE(display->Options().peak_hold);
  Choose({"Noise level", "-12 dBFS"});
  EXPECT_EQ(display->Noise().LevelDbfs(), -12.0);
  EXPECT_FALSE(display->NoisePlaying());  // choosing a level plays nothing

  {
    QSettings file(SettingsPath(), QSettings::IniFormat);
    EXPECT_EQ(file.value("spectrum/averaging_s").toDouble(), 2.0);
    EXPECT_TRUE(file.value("spectrum/peak_hold").toBool());
    EXPECT_EQ(file.value("spectrum/noise_level_dbfs").toInt(), -12);
  }
  // The next run starts with the same choices, and the menu shows them.
  MakeDisplay(true);
  EXPECT_EQ(display->Averager().TimeConstant(), 2.0);
  EXPECT_TRUE(display->Options().peak_hold);
  EXPECT_EQ(display->Noise().LevelDbfs(), -12.0);
  EXPECT_EQ(Checked("Averaging"), QStringList{"2 s"});
  EXPECT_EQ(Checked("Noise level"), QStringList{"-12 dBFS"});

  // In Chinese the same menu, in Chinese.
  ctx.ui_language = 1;
  QMenu* menu = OpenMenu();
  ASSERT_NE(menu, nullptr);
  QAction* peak = Find(menu, QString::fromUtf8("峰值保持"));
  ASSERT_NE(peak, nullptr);
  EXPECT_TRUE(peak->isChecked());
  EXPECT_NE(Find(menu, QString::fromUtf8("粉红噪声测试信号")), nullptr);
  menu->close();
  Choose({QString::fromUtf8("平均"), QString::fromUtf8("0.5 秒")});
  EXPECT_EQ(display->Averager().TimeConstant(), 0.5);
  Choose({QString::fromUtf8("峰值保持")});
  EXPECT_FALSE(display->Options().peak_hold);
  Choose({QString::fromUtf8("平均"), QString::fromUtf8("关")});
  EXPECT_FALSE(display->Averager().Averaging());
  QSettings file(SettingsPath(), QSettings::IniFormat);
  EXPECT_EQ(file.value("spectrum/averaging_s").toDouble(), 0.0);
  EXPECT_FALSE(file.value("spectrum/peak_hold").toBool());
}

TEST_F(SpectrumTuningTest, AveragedBarsRiseGraduallyToTheUnaveragedLevel) {
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 20));  // below the ceiling
  OneCycle();
  const int plain = ToneTop();
  ASSERT_LT(plain, kH / 2);

  Choose({"Averaging", "0.5 s"});
  std::vector<int> tops;
  for (int i = 0; i < 6; ++i) {
    OneCycle();
    tops.push_back(ToneTop());
  }
  // The first step covers 1 - exp(-0.22) of the power: about 7 dB short, some 36 rows low.
  EXPECT_GT(tops[0], plain + 25);
  for (std::size_t i = 1; i < tops.size(); ++i) EXPECT_LT(tops[i], tops[i - 1]) << i;
  for (int i = 0; i < 30; ++i) OneCycle();
  EXPECT_NEAR(ToneTop(), plain, 1);

  // A step down falls gradually too.
  source->Deliver(std::vector<std::uint8_t>(1024, 128));
  OneCycle();
  EXPECT_GT(ToneTop(), plain);
  EXPECT_LT(ToneTop(), plain + 20);
}

TEST_F(SpectrumTuningTest, PeakLineHoldsThreeSecondsAfterTheSignalStopsThenFalls) {
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 20));
  OneCycle();
  const int top = ToneTop();
  const int x = kToneBar * kPitch + 2;
  EXPECT_EQ(PeakPixels(Canvas()), 0);
  Choose({"Peak hold"});
  OneCycle();
  EXPECT_EQ(PeakRow(Canvas(), x), top);  // the line lies on the bar's top row
  EXPECT_EQ(ToneTop(), top + 1);
  // Quiet bars get no line of their own.
  EXPECT_EQ(PeakRow(Canvas(), 110 * kPitch + 2), kH);

  source->Deliver(std::vector<std::uint8_t>(1024, 128));
  OneCycle();
  EXPECT_EQ(ToneTop(), kH - 2);          // the bar has dropped to the floor...
  EXPECT_EQ(PeakRow(Canvas(), x), top);  // ...the line stays
  EXPECT_EQ(Canvas().pixel(kToneBar * kPitch - 1, top), kSpectrumPeakRgb);  // bar's width
  EXPECT_EQ(Canvas().pixel(kToneBar * kPitch + 4, top), kSpectrumPeakRgb);
  EXPECT_NE(Canvas().pixel(kToneBar * kPitch + 5, top), kSpectrumPeakRgb);  // not the gap
  for (int i = 0; i < 25; ++i) OneCycle();                                  // 2.97 s after the peak
  EXPECT_EQ(PeakRow(Canvas(), x), top);
  OneCycle();
  OneCycle();
  const int falling = PeakRow(Canvas(), x);
  EXPECT_GT(falling, top);
  EXPECT_LT(falling, kH);
  for (int i = 0; i < 40; ++i) OneCycle();
  EXPECT_EQ(PeakPixels(Canvas()), 0);  // fallen to the floor: gone

  // Peak hold off takes the lines away at once.
  source->Deliver(SineBlock(1000, 20));
  OneCycle();
  ASSERT_GT(PeakPixels(Canvas()), 0);
  Choose({"Peak hold"});
  EXPECT_EQ(PeakPixels(Canvas()), 0);
}

TEST_F(SpectrumTuningTest, FreezeHoldsAveragesPeaksAndThePicture) {
  Choose({"Averaging", "2 s"});
  Choose({"Peak hold"});
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 20));
  for (int i = 0; i < 4; ++i) OneCycle();
  display->ToggleFrozen();  // what the P key does
  const QImage picture = Canvas().copy();
  const float average = display->Averager().Power(43);
  const float peak = display->Peaks().Power(43);
  ASSERT_GT(average, 0.0f);
  source->Deliver(SineBlock(3000, 60));     // dropped while frozen
  for (int i = 0; i < 40; ++i) OneCycle();  // long enough for a peak to fall
  EXPECT_EQ(display->Averager().Power(43), average);
  EXPECT_EQ(display->Peaks().Power(43), peak);
  EXPECT_EQ(Canvas(), picture);
  display->ToggleFrozen();
  OneCycle();
  EXPECT_GT(display->Averager().Power(43), average);  // the average goes on rising
}

TEST_F(SpectrumTuningTest, ReadoutShowsFrequencyAndBarLevelUnderThePointer) {
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 20));
  OneCycle();
  QWidget* surface = graph->Surface();
  QLabel* readout = display->Readout();
  ASSERT_NE(readout, nullptr);
  EXPECT_FALSE(readout->isVisible());

  const int x = kToneBar * kPitch + 3;
  QTest::mouseMove(surface, QPoint(x, 200));
  ASSERT_TRUE(WaitUntil([readout] { return readout->isVisible(); }, 1000));
  const double level =
      SpectrumLevelDb(display->Transform().Magnitude(BarBin(kToneBar * kPitch, kW)), false);
  const double f = graph->Geometry().XToFreq(x);
  ASSERT_LT(f, 1000.0);  // shown in whole hertz
  EXPECT_EQ(readout->text(),
            QString::number(std::lround(f)) + " Hz   " + QString::number(level, 'f', 1) + " dB");
  EXPECT_GT(level, -20.0);

  // A quiet bar high up reads at the floor; peak hold adds its line's level.
  Choose({"Peak hold"});
  OneCycle();
  QTest::mouseMove(surface, QPoint(110 * kPitch + 1, 200));
  QTest::qWait(20);
  const QString high =
      QString::number(graph->Geometry().XToFreq(110 * kPitch + 1) / 1000.0, 'f', 2);
  EXPECT_EQ(readout->text(),
            high + QString::fromUtf8(" kHz   \u2264 -52.0 dB   peak \u2264 -52.0 dB"));
  QTest::mouseMove(surface, QPoint(8, 200));
  QTest::qWait(20);
  EXPECT_TRUE(readout->text().startsWith(
      QString::number(std::lround(graph->Geometry().XToFreq(8))) + " Hz   "))
      << readout->text().toStdString();

  // Off hides it, and it stays hidden while the pointer moves.
  SpectrumButton()->click();
  EXPECT_FALSE(readout->isVisible());
  QTest::mouseMove(surface, QPoint(x, 150));
  QTest::qWait(20);
  EXPECT_FALSE(readout->isVisible());
}

TEST_F(SpectrumTuningTest, DeviceGoneWhileRecordingSwitchesOffWithTheNotice) {
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 20));
  OneCycle();
  ASSERT_GT(BluePixels(Canvas()), 0);
  const int stops = source->stops;
  source->Lose();
  EXPECT_EQ(source->stops, stops + 1);
  EXPECT_FALSE(display->AudioAvailable());
  EXPECT_FALSE(display->SpectrumOn());
  EXPECT_EQ(SpectrumButton()->Hint(), "0");
  EXPECT_EQ(BluePixels(Canvas()), 0);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "Audio device is not detected");
  // The button then says so on each click, as for a recorder that never started.
  SpectrumButton()->click();
  EXPECT_EQ(notices.size(), 2u);
  EXPECT_FALSE(display->SpectrumOn());
}

TEST(SpectrumPeakPainter, OnePixelLinesAcrossEachBarClippedToTheCanvas) {
  QImage canvas(30, 20, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  const int rows[5] = {4, 20, -1, 19, 7};  // bar 1 has no line; bar 2 lies above the top
  PaintPeakLines(canvas, rows, 7, 20);
  EXPECT_EQ(PeakPixels(canvas), 5 + 6 + 6 + 3);
  for (int x = 0; x <= 4; ++x) EXPECT_EQ(canvas.pixel(x, 4), kSpectrumPeakRgb) << x;
  EXPECT_EQ(PeakRow(canvas, 6), 20);   // bar 1 and the gap before it
  EXPECT_EQ(PeakRow(canvas, 13), 0);   // bar 2, clipped to row 0
  EXPECT_EQ(PeakRow(canvas, 20), 19);  // bar 3 on the last row
  EXPECT_EQ(PeakRow(canvas, 27), 7);   // bar 4 cut by the right edge: columns 27..29
  EXPECT_EQ(canvas.pixel(29, 7), kSpectrumPeakRgb);
}

}  // namespace
}  // namespace kdsp::test
