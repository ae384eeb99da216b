// The recorder and the whole analyser in the window against a real sound system: without any
// sound server, and with a private PulseAudio server whose only source is a 1 kHz sine. Each
// of those runs in a fresh process (see widget_support.h).

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "eq/equaliser_graph.h"
#include "spectrum/audio_capture.h"
#include "spectrum/bar_painter.h"
#include "ui/main_window.h"
#include "widget_window_support.h"

namespace kdsp::test {
namespace {

TEST(SpectrumBlockSplitter, CutsAnyStreamIntoWholeBlocksInOrder) {
  std::vector<std::vector<std::uint8_t>> blocks;
  BlockSplitter splitter(1024, [&blocks](std::span<const std::uint8_t> b) {
    blocks.emplace_back(b.begin(), b.end());
  });
  ASSERT_TRUE(splitter.open(QIODevice::WriteOnly));
  std::vector<std::uint8_t> stream(7000);
  std::iota(stream.begin(), stream.end(), 0);  // wraps every 256 bytes
  int at = 0;
  for (int piece : {1, 1022, 3000, 5, 2043, 929}) {
    EXPECT_EQ(splitter.write(reinterpret_cast<const char*>(stream.data() + at), piece), piece);
    at += piece;
  }
  ASSERT_EQ(at, 7000);
  ASSERT_EQ(blocks.size(), 6u);  // 6 x 1024 = 6144; 856 bytes wait
  EXPECT_EQ(splitter.Pending(), 7000 - 6144);
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    ASSERT_EQ(blocks[i].size(), 1024u);
    EXPECT_TRUE(std::equal(blocks[i].begin(), blocks[i].end(), stream.begin() + 1024 * i)) << i;
  }
  // A restart forgets the partial block.
  splitter.Reset();
  std::vector<std::uint8_t> fresh(1024, 7);
  splitter.write(reinterpret_cast<const char*>(fresh.data()), 1024);
  ASSERT_EQ(blocks.size(), 7u);
  EXPECT_EQ(blocks.back(), fresh);
}

TEST(SpectrumWithoutSoundServer, SpectrumButtonReportsTheMissingDeviceAndDrawsNoBars) {
  if (!InFreshProcess()) {
    QTemporaryDir dir;
    RunInFreshProcess(NoSoundServerEnvironment(dir));
    return;
  }
  ShownWindow w;
  ASSERT_TRUE(w.window.ShowDone());
  SpectrumDisplay& spectrum = w.window.Spectrum();
  EXPECT_FALSE(spectrum.AudioAvailable());
  EXPECT_TRUE(spectrum.Source().CaptureError().startsWith(
      "Could not open the input device for recording: "))
      << spectrum.Source().CaptureError().toStdString();
  QAbstractButton* button = w.Button("PinPPBtn");
  ASSERT_NE(button, nullptr);

  w.window.ApplyLanguage(1);
  {
    MessageBoxCatcher catcher;
    button->click();
    EXPECT_EQ(catcher.shown, 1);
    EXPECT_EQ(catcher.text, QString::fromUtf8("没检测到音频设备"));
    EXPECT_EQ(catcher.title, "KaraoKe Digital Signal Processor");
  }
  EXPECT_FALSE(spectrum.SpectrumOn());
  w.Ticks(33);
  EXPECT_EQ(BluePixels(w.Canvas()), 0);

  w.window.ApplyLanguage(0);
  {
    MessageBoxCatcher catcher;
    button->click();
    EXPECT_EQ(catcher.shown, 1);
    EXPECT_EQ(catcher.text, "Audio device is not detected");
  }
  w.Ticks(33);
  EXPECT_EQ(BluePixels(w.Canvas()), 0);
}

TEST(SpectrumWithSoundServer, RecorderDeliversWholeBlocksOfUnsignedMonoSamples) {
  KDSP_RUN_AGAINST_PRIVATE_SOUND_SERVER();
  std::vector<std::vector<std::uint8_t>> blocks;
  AudioCapture capture;
  capture.SetOnRecord(
      [&blocks](std::span<const std::uint8_t> b) { blocks.emplace_back(b.begin(), b.end()); });
  capture.SetTriggered(false);
  ASSERT_TRUE(capture.CaptureStart()) << capture.CaptureError().toStdString();
  EXPECT_TRUE(capture.CaptureStart());  // already open
  EXPECT_TRUE(capture.CaptureOpen());
  EXPECT_TRUE(capture.CaptureRunning());
  ASSERT_TRUE(WaitFor([&blocks] { return blocks.size() >= 4; }, 15000)) << blocks.size();
  EXPECT_TRUE(capture.Triggered());
  ASSERT_TRUE(capture.CaptureStop());
  EXPECT_FALSE(capture.CaptureOpen());
  EXPECT_FALSE(capture.CaptureRunning());
  const std::size_t kept = blocks.size();
  QTest::qWait(300);
  EXPECT_EQ(blocks.size(), kept);  // nothing after the stop

  for (const auto& b : blocks) {
    ASSERT_EQ(b.size(), 1024u);
    // The server's sine has half the full scale: unsigned samples 64..192 around 128.
    const auto [lo, hi] = std::minmax_element(b.begin(), b.end());
    EXPECT_NEAR(*lo, 64, 3);
    EXPECT_NEAR(*hi, 192, 3);
    // Mono at 48 kHz: a 1 kHz period is 48 samples, 21 or 22 rising crossings per block.
    int rising = 0;
    for (std::size_t i = 1; i < b.size(); ++i) rising += b[i - 1] < 128 && b[i] >= 128;
    EXPECT_GE(rising, 21);
    EXPECT_LE(rising, 22);
  }
}

TEST(SpectrumWithSoundServer, OneKilohertzSineTopsItsBarFreezesAndGoesOff) {
  KDSP_RUN_AGAINST_PRIVATE_SOUND_SERVER();
  ShownWindow w;
  SpectrumDisplay& spectrum = w.window.Spectrum();
  ASSERT_TRUE(spectrum.AudioAvailable()) << spectrum.Source().CaptureError().toStdString();
  // Blocks flow all the time, but the hook keeps none while the spectrum is off.
  QTest::qWait(300);
  EXPECT_EQ(spectrum.BlocksTaken(), 0);

  {
    MessageBoxCatcher catcher;
    w.Button("PinPPBtn")->click();
    EXPECT_EQ(catcher.shown, 0);
  }
  ASSERT_TRUE(spectrum.SpectrumOn());
  ASSERT_TRUE(WaitFor([&spectrum] { return spectrum.BlocksTaken() > 0; }, 15000));
  w.Ticks(11);
  const GraphGeometry& g = w.window.Graph().Geometry();
  const int pitch = g.width / 120;
  ASSERT_GT(BluePixels(w.Canvas()), 0);
  // The bar whose middle frequency lies nearest 1 kHz.
  int nearest = 0;
  for (int a = 1; a * pitch <= g.width; ++a) {
    auto off = [&](int bar) {
      return std::abs(std::log(g.XToFreq(bar * pitch + pitch / 2) / 1000));
    };
    if (off(a) < off(nearest)) nearest = a;
  }
  std::vector<int> tops;
  for (int a = 0; a * pitch + 2 < g.width; ++a)
    tops.push_back(TopBlueRow(w.Canvas(), a * pitch + 2));
  const int tallest = static_cast<int>(std::min_element(tops.begin(), tops.end()) - tops.begin());
  EXPECT_EQ(tallest, nearest);
  EXPECT_EQ(std::count(tops.begin(), tops.end(), tops[tallest]), 1);
  // The half-scale tone reaches the magnitude ceiling: 120 against 128, -0.56 dB.
  const double ceiling_db = 20.0 * std::log10(120.0 / 128.0);
  EXPECT_EQ(tops[tallest], std::lround((g.height - 2) - (ceiling_db + 52) / 52 * (g.height - 1)));

  // P freezes: new blocks are dropped and the picture stays.
  w.Key(Qt::Key_P);
  ASSERT_TRUE(w.window.SpectrumFrozen());
  ASSERT_TRUE(spectrum.SpectrumFrozen());
  const QImage picture = w.Canvas().copy();
  const long taken = spectrum.BlocksTaken();
  QTest::qWait(2500);  // the test source delivers in bursts of about two seconds
  w.Ticks(22);
  EXPECT_EQ(spectrum.BlocksTaken(), taken);
  EXPECT_EQ(w.Canvas(), picture);
  w.Key(Qt::Key_P);
  EXPECT_FALSE(w.window.SpectrumFrozen());

  // Off takes the bars away at once.
  w.Button("PinPPBtn")->click();
  EXPECT_FALSE(spectrum.SpectrumOn());
  EXPECT_EQ(BluePixels(w.Canvas()), 0);
}

}  // namespace
}  // namespace kdsp::test
