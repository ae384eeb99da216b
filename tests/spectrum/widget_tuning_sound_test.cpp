// The analyser's tuning aids against a private PulseAudio server, each test in a fresh process
// (see widget_support.h): choosing between two sine sources and unplugging one while it
// records, averaging and peak hold on a tone that stops, and the pink-noise test signal played
// into a null sink and heard through its monitor. The toolkit lists no monitor sources, so
// each monitor is offered as an ordinary source by a remap of it.

#include <algorithm>
#include <cmath>
#include <vector>

#include <QAbstractItemView>
#include <QComboBox>
#include <QSettings>

#include "eq/equaliser_graph.h"
#include "spectrum/audio_capture.h"
#include "spectrum/bar_painter.h"
#include "spectrum/device_choices.h"
#include "spectrum/maths/spectrum_bars.h"
#include "spectrum/noise_player.h"
#include "widget_window_support.h"

namespace kdsp::test {
namespace {

constexpr int kPatienceMs = 10000;
// The second source's tone: each bar shows a single bin, and around 2 kHz the bars lie some
// bins apart, so the tone sits exactly on the bin of one bar (bar 87, bin 96).
constexpr double kSecondHz = 2250.0;

/// In the test's own process: starts a server with the extra modules and runs the test again
/// in a fresh process against it.
void RunWithServer(const QStringList& modules) {
  if (!PrivateSoundServer::Installed()) {
    GTEST_SKIP() << "pulseaudio is not installed (scripts/install-deps installs it)";
  }
  PrivateSoundServer server(modules);
  QString error;
  ASSERT_TRUE(server.Start(&error)) << error.toStdString();
  RunInFreshProcess(server.ClientEnvironment());
}

/// The bar whose middle frequency lies nearest `freq_hz` (log distance).
int NearestBarTo(const GraphGeometry& g, double freq_hz) {
  const int pitch = g.width / 120;
  int best = 0;
  for (int a = 1; a * pitch <= g.width; ++a) {
    auto off = [&](int bar) {
      return std::abs(std::log(g.XToFreq(bar * pitch + pitch / 2) / freq_hz));
    };
    if (off(a) < off(best)) best = a;
  }
  return best;
}

/// Top row of every bar, read in its middle column.
std::vector<int> BarTopRows(const QImage& canvas, const GraphGeometry& g) {
  const int pitch = g.width / 120;
  std::vector<int> tops;
  for (int a = 0; a * pitch + 2 < g.width; ++a) tops.push_back(TopBlueRow(canvas, a * pitch + 2));
  return tops;
}

int TallestBar(const QImage& canvas, const GraphGeometry& g) {
  const std::vector<int> tops = BarTopRows(canvas, g);
  return static_cast<int>(std::min_element(tops.begin(), tops.end()) - tops.begin());
}

QString Label(const QList<DeviceChoice>& choices, const QByteArray& id) {
  for (const DeviceChoice& c : choices) {
    if (c.id == id) return c.label;
  }
  return QStringLiteral("<no entry for %1>").arg(QString::fromUtf8(id));
}

/// Picks an entry of a drop-down list with the pointer.
void PickInList(QComboBox* box, int index) {
  box->showPopup();
  QAbstractItemView* view = box->view();
  ASSERT_TRUE(WaitFor([view] { return view->isVisible(); }, 2000));
  const QRect item = view->visualRect(view->model()->index(index, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
  WaitFor([view] { return !view->isVisible(); }, 2000);
  QTest::qWait(50);  // the choice is carried out once the list has closed
}

int ListIndex(QComboBox* box, const QByteArray& id) {
  for (int i = 0; i < box->count(); ++i) {
    if (box->itemData(i).toByteArray() == id) return i;
  }
  return -1;
}

/// Index of the loaded module whose arguments contain `needle`, or an empty text.
QString ModuleIndex(const QString& needle) {
  for (const QString& line : Pactl({"list", "short", "modules"}).split('\n')) {
    if (line.contains(needle)) return line.section('\t', 0, 0);
  }
  return {};
}

struct TuningWindow : ShownWindow {
  TuningWindow() {
    window.ApplyLanguage(0);
    capture = dynamic_cast<AudioCapture*>(&window.Spectrum().Source());
  }
  SpectrumDisplay& Spectrum() { return window.Spectrum(); }
  const GraphGeometry& Geometry() { return window.Graph().Geometry(); }
  bool Choose(const QStringList& path) {
    return ChooseInSpectrumMenu(Spectrum(), Button("PinPPBtn"), path);
  }
  /// Runs cycles while sound arrives until the tallest bar is the one nearest `freq_hz`.
  bool TallestBecomes(double freq_hz) {
    const int bar = NearestBarTo(Geometry(), freq_hz);
    const bool seen = WaitFor(
        [&] {
          Ticks(11);
          return TallestBar(Canvas(), Geometry()) == bar;
        },
        kPatienceMs);
    if (!seen) {
      ADD_FAILURE() << "tallest bar " << TallestBar(Canvas(), Geometry()) << ", wanted " << bar
                    << "; blocks taken " << Spectrum().BlocksTaken() << ", recording "
                    << Spectrum().Source().CaptureError().toStdString();
    }
    return seen;
  }
  /// One cycle as soon as a new block has been taken.
  bool CycleOnNewBlock() {
    const long taken = Spectrum().BlocksTaken();
    if (!WaitFor([&] { return Spectrum().BlocksTaken() > taken; }, kPatienceMs)) return false;
    Ticks(11);
    return true;
  }
  AudioCapture* capture = nullptr;
};

TEST(SpectrumWithTwoSineSources, ChoosingTheOtherSourceMovesTheTallestBarAndUnpluggingStopsIt) {
  if (!InFreshProcess()) {
    RunWithServer({"module-sine-source source_name=tone_b frequency=2250 rate=48000"});
    return;
  }
  TuningWindow w;
  ASSERT_NE(w.capture, nullptr);
  ASSERT_TRUE(w.Spectrum().AudioAvailable()) << w.capture->CaptureError().toStdString();
  const QByteArray first = w.capture->OpenDevice();
  ASSERT_NE(first, "tone_b");
  auto* box = w.window.findChild<QComboBox*>("SpectrumInputBox");
  ASSERT_NE(box, nullptr);
  ASSERT_GE(ListIndex(box, "tone_b"), 1);  // listed after the default
  EXPECT_EQ(box->itemData(0).toByteArray(), QByteArray());
  EXPECT_TRUE(box->itemText(0).endsWith(" (default)"));

  w.Button("PinPPBtn")->click();
  ASSERT_TRUE(w.TallestBecomes(1000));

  // The second source from the context menu.
  ASSERT_TRUE(w.Choose({"Input device", Label(InputChoices(0, {}), "tone_b")}));
  EXPECT_EQ(w.capture->OpenDevice(), "tone_b");
  EXPECT_EQ(box->currentData().toByteArray(), "tone_b");
  EXPECT_EQ(w.Spectrum().Options().input_id, "tone_b");
  {
    // Kept for the next run (in this run's own settings directory).
    QSettings kept(QSettings::NativeFormat, QSettings::UserScope, "kdsp", "kdsp-console");
    EXPECT_EQ(kept.value("spectrum/input").toByteArray(), "tone_b");
  }
  EXPECT_TRUE(w.TallestBecomes(kSecondHz));

  // Back to the default from the list next to the button.
  PickInList(box, 0);
  EXPECT_EQ(w.Spectrum().Options().input_id, QByteArray());
  EXPECT_EQ(w.capture->OpenDevice(), first);
  EXPECT_TRUE(w.TallestBecomes(1000));

  // The second source goes away while it records.
  PickInList(box, ListIndex(box, "tone_b"));
  ASSERT_EQ(w.capture->OpenDevice(), "tone_b");
  ASSERT_TRUE(w.TallestBecomes(kSecondHz));
  const QString module = ModuleIndex("source_name=tone_b");
  ASSERT_FALSE(module.isEmpty());
  {
    MessageBoxCatcher catcher;
    bool ok = false;
    Pactl({"unload-module", module}, &ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(WaitFor([&catcher] { return catcher.shown > 0; }, kPatienceMs));
    EXPECT_EQ(catcher.text, "Audio device is not detected");
    QTest::qWait(200);
    EXPECT_EQ(catcher.shown, 1);
  }
  EXPECT_FALSE(w.Spectrum().SpectrumOn());
  EXPECT_FALSE(w.Spectrum().AudioAvailable());
  EXPECT_FALSE(w.capture->CaptureOpen());
  w.Ticks(22);
  EXPECT_EQ(BluePixels(w.Canvas()), 0);
  const int missing = ListIndex(box, "tone_b");
  ASSERT_GE(missing, 0);
  EXPECT_TRUE(box->itemText(missing).endsWith(" (not connected)"));

  // Plugged in again: recording resumes on it.
  bool ok = false;
  Pactl({"load-module", "module-sine-source", "source_name=tone_b", "frequency=2250", "rate=48000"},
        &ok);
  ASSERT_TRUE(ok);
  ASSERT_TRUE(WaitFor([&w] { return w.Spectrum().AudioAvailable(); }, kPatienceMs));
  EXPECT_EQ(w.capture->OpenDevice(), "tone_b");
  w.Button("PinPPBtn")->click();
  EXPECT_TRUE(w.TallestBecomes(kSecondHz));
}

TEST(SpectrumWithToneIntoNullSink, AveragingRisesGraduallyAndPeakHoldOutlastsTheTone) {
  if (!InFreshProcess()) {
    RunWithServer({"module-null-sink sink_name=room rate=48000",
                   "module-sine sink=room frequency=2000",
                   "module-remap-source master=room.monitor source_name=room_in"});
    return;
  }
  // 20 dB down, so that the tone stays under the bars' ceiling while it rises.
  bool quiet = false;
  Pactl({"set-source-volume", "room_in", "46%"}, &quiet);
  ASSERT_TRUE(quiet);
  TuningWindow w;
  ASSERT_TRUE(w.Choose({"Input device", Label(InputChoices(0, {}), "room_in")}));
  ASSERT_EQ(w.capture->OpenDevice(), "room_in");
  ASSERT_TRUE(w.Choose({"Averaging", "0.5 s"}));
  ASSERT_TRUE(w.Choose({"Peak hold"}));
  w.Button("PinPPBtn")->click();
  const int bar = NearestBarTo(w.Geometry(), 2000);
  const int x = bar * (w.Geometry().width / 120) + 2;

  // From silence the averaged bar climbs a little with every cycle.
  ASSERT_TRUE(WaitFor([&w] { return w.Spectrum().BlocksTaken() > 0; }, kPatienceMs));
  std::vector<int> rows;
  for (int i = 0; i < 5; ++i) {
    w.Ticks(11);
    rows.push_back(std::min(TopBlueRow(w.Canvas(), x), TopBlueRow(w.Canvas(), x - 1)));
  }
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i], rows[i - 1]) << i;
  for (int i = 0; i < 30; ++i) w.Ticks(11);
  // The tone's bar stands above every bar that carries no height factor (the first 47 do).
  const std::vector<int> tops = BarTopRows(w.Canvas(), w.Geometry());
  EXPECT_EQ(std::min_element(tops.begin() + kBarFactorCount, tops.end()) - tops.begin(), bar);
  EXPECT_LT(rows[0], w.Geometry().height - 2);
  const int settled = tops[bar];
  EXPECT_GT(rows[0], settled + 20);  // the first cycle was well short of the level

  // Without averaging, the tone stops: the bar drops, the peak line stays for a while.
  ASSERT_TRUE(w.Choose({"Averaging", "Off"}));
  w.Ticks(11);
  int peak_row = w.Geometry().height;
  for (int y = 0; y < w.Geometry().height; ++y) {
    if (w.Canvas().pixel(x, y) == kSpectrumPeakRgb) {
      peak_row = y;
      break;
    }
  }
  ASSERT_LT(peak_row, w.Geometry().height / 2);
  bool ok = false;
  Pactl({"unload-module", ModuleIndex("frequency=2000")}, &ok);
  ASSERT_TRUE(ok);
  int cycles = 0;
  const int sine_bin = BarBin(bar * (w.Geometry().width / 120), w.Geometry().width);
  while (w.Spectrum().Transform().Magnitude(sine_bin) > 1.0f) {
    ASSERT_TRUE(w.CycleOnNewBlock());
    ASSERT_LT(++cycles, 15) << "the tone did not stop";
  }
  w.Ticks(11);
  EXPECT_EQ(BarTopRows(w.Canvas(), w.Geometry())[bar], w.Geometry().height - 2);
  EXPECT_EQ(w.Canvas().pixel(x, peak_row), kSpectrumPeakRgb) << "after " << cycles << " cycles";

  // P freezes the peaks as well: 40 cycles later the line is still there.
  w.Key(Qt::Key_P);
  ASSERT_TRUE(w.Spectrum().SpectrumFrozen());
  for (int i = 0; i < 40; ++i) w.Ticks(11);
  EXPECT_EQ(w.Canvas().pixel(x, peak_row), kSpectrumPeakRgb);
  w.Key(Qt::Key_P);
  for (int i = 0; i < 40; ++i) w.Ticks(11);
  EXPECT_NE(w.Canvas().pixel(x, peak_row), kSpectrumPeakRgb);  // held 3 s, then fell
}

TEST(SpectrumWithNullSink, PinkNoisePlayedIntoTheSinkShowsBarsAcrossTheRange) {
  if (!InFreshProcess()) {
    RunWithServer({"module-null-sink sink_name=room rate=48000",
                   "module-remap-source master=room.monitor source_name=room_in"});
    return;
  }
  TuningWindow w;
  // The null sink is the server's only output, so the default entry stands for it.
  ASSERT_TRUE(w.Choose({"Noise output device", Label(OutputChoices(0, {}), {})}));
  ASSERT_TRUE(w.Choose({"Noise level", "-6 dBFS"}));
  ASSERT_TRUE(w.Choose({"Pink noise test signal"}));
  NoisePlayer& noise = w.Spectrum().Noise();
  ASSERT_TRUE(noise.Playing()) << noise.Error().toStdString();
  EXPECT_EQ(noise.OutputDevice(), "room");
  EXPECT_EQ(noise.LevelDbfs(), -6.0);
  ASSERT_TRUE(w.Choose({"Input device", Label(InputChoices(0, {}), "room_in")}));
  w.Button("PinDCFBtn")->click();  // the low floor suits broadband noise
  w.Button("PinPPBtn")->click();
  ASSERT_TRUE(w.CycleOnNewBlock());
  ASSERT_TRUE(w.CycleOnNewBlock());
  EXPECT_GT(noise.FramesPlayed(), 48000 / 10);

  // Bars stand above the floor in every octave from 100 Hz to 20 kHz.
  const GraphGeometry& g = w.Geometry();
  const int pitch = g.width / 120;
  const std::vector<int> tops = BarTopRows(w.Canvas(), g);
  for (double lo = 100.0; lo < 20000.0; lo *= 2.0) {
    int bars = 0;
    int above = 0;
    for (int a = 0; a < static_cast<int>(tops.size()); ++a) {
      const double f = g.XToFreq(a * pitch + pitch / 2);
      if (f < lo || f >= std::min(2 * lo, 20000.0)) continue;
      ++bars;
      above += tops[a] < g.height - 2;
    }
    ASSERT_GT(bars, 0) << lo;
    EXPECT_GE(above * 4, bars * 3) << "octave from " << lo << " Hz: " << above << " of " << bars;
  }

  // The menu shows it playing; choosing it again stops it; closing the console stops it too.
  ASSERT_TRUE(w.Choose({"Pink noise test signal"}));
  EXPECT_FALSE(noise.Playing());
  ASSERT_TRUE(w.Choose({"Pink noise test signal"}));
  ASSERT_TRUE(noise.Playing());
  w.window.close();
  EXPECT_FALSE(noise.Playing());
}

}  // namespace
}  // namespace kdsp::test
