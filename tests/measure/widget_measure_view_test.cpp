#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

#include "measure/view/measure_view.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kdsp {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

/// A recorder the test feeds by hand.
class HandSource : public MeasureSource {
 public:
  void SetOnSamples(SampleHook hook) override { hook_ = std::move(hook); }
  bool Start(const QByteArray&) override {
    running_ = true;
    return true;
  }
  void Stop() override { running_ = false; }
  bool Running() const override { return running_; }
  QString Error() const override { return {}; }
  void Feed(const std::vector<float>& s) const {
    if (hook_) hook_(s);
  }

 private:
  SampleHook hook_;
  bool running_ = false;
};

std::vector<float> Sine(double freq_hz, double level_dbfs) {
  std::vector<float> out(32768);
  const double a = std::pow(10.0, level_dbfs / 20.0);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<float>(a * std::sin(2.0 * std::numbers::pi * freq_hz * i / 48000.0));
  }
  return out;
}

std::size_t CountOfLines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

double LevelAt(const Trace& t, double freq_hz) {
  for (const TracePoint& p : t.points) {
    if (std::fabs(p.freq_hz - freq_hz) < 0.05) return p.db;
  }
  ADD_FAILURE() << "no point at " << freq_hz;
  return 0;
}

class MeasureViewTest : public ::testing::Test {
 protected:
  MeasureViewTest() {
    auto s = std::make_unique<HandSource>();
    source = s.get();
    view = std::make_unique<MeasureView>(0, std::move(s));
    view->SetNotifier([this](const QString& text) { notices.push_back(text); });
    view->SetFileChooser([this](bool, const QString&) {
      if (paths.empty()) return QString();
      const QString p = QString::fromStdString(paths.front());
      paths.pop_front();
      return p;
    });
    view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  }
  template <typename T>
  T* Find(const char* name) const {
    T* w = view->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  /// Feeds one block and waits for the view's own step to take it.
  void FeedStep(const std::vector<float>& block) {
    const long before = view->Analyser().AverageCount();
    source->Feed(block);
    QTRY_VERIFY_WITH_TIMEOUT(view->Analyser().AverageCount() > before, 2000);
  }
  /// Moves a combo box down `n` entries with the keyboard, as a user would.
  static void KeyDown(QComboBox* box, int n) {
    box->setFocus();
    for (int i = 0; i < n; ++i) QTest::keyClick(box, Qt::Key_Down);
  }

  TempDir dir;
  HandSource* source = nullptr;
  std::unique_ptr<MeasureView> view;
  std::vector<QString> notices;
  std::deque<std::string> paths;
};

TEST_F(MeasureViewTest, ResolutionAveragingCalibrationAndTracesThroughTheControls) {
  EXPECT_TRUE(source->Running());  // the view records while shown

  // 1/6 octave: 60 bands from 20 Hz to 20 kHz; a sine at a band centre reads its level.
  KeyDown(Find<QComboBox>("MeasureResolutionBox"), 1);
  EXPECT_EQ(view->Analyser().Bands().size(), 60u);
  FeedStep(Sine(1059.46, -12.0));
  EXPECT_NEAR(LevelAt(view->CurrentTrace(), 1059.46), -12.0, 0.5);

  // Infinite averaging: five steps at -12 dBFS and five at -32 average their powers.
  KeyDown(Find<QComboBox>("MeasureAveragingBox"), 4);
  for (int i = 0; i < 5; ++i) FeedStep(Sine(1059.46, -12.0));
  for (int i = 0; i < 5; ++i) FeedStep(Sine(1059.46, -32.0));
  EXPECT_NEAR(LevelAt(view->CurrentTrace(), 1059.46), -14.97, 0.3);
  EXPECT_EQ(Find<QLabel>("MeasureCountLabel")->text(), "10 averages, 1.0 s");
  QTest::mouseClick(Find<QPushButton>("MeasureResetButton"), Qt::LeftButton);
  EXPECT_EQ(Find<QLabel>("MeasureCountLabel")->text(), "0 averages, 0.0 s");
  FeedStep(Sine(1059.46, -12.0));

  // A calibration of +1 dB at 1 kHz and 1.2 kHz with a sensitivity of -2 dB: levels rise by
  // 1 dB. A UTF-16 file is refused, naming its line, and the calibration stays.
  WriteText(dir / "mic.txt", "\"Sens Factor =-2.0dB, SERNO: 1\"\n* cal\n20 1\n1200 1\n20000 1\n");
  WriteText(dir / "bad.txt", std::string("\xFF\xFE"
                                         "2\0"
                                         "0\0",
                                         6));
  paths = {dir / "mic.txt", dir / "bad.txt"};
  QPushButton* calibration = Find<QPushButton>("MeasureCalibrationButton");
  QTest::mouseClick(calibration, Qt::LeftButton);
  EXPECT_EQ(Find<QLabel>("MeasureCalibrationLabel")->text(), "Calibration: mic.txt");
  FeedStep(Sine(1059.46, -12.0));
  EXPECT_NEAR(LevelAt(view->CurrentTrace(), 1059.46), -11.0, 0.5);
  QTest::mouseClick(calibration, Qt::LeftButton);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices.back(), "Cannot read bad.txt: line 1: UTF-16 text; save it as plain text");
  EXPECT_EQ(Find<QLabel>("MeasureCalibrationLabel")->text(), "Calibration: mic.txt");

  // Keep the measurement, hide it, save it, and refuse a binary trace.
  QTest::mouseClick(Find<QPushButton>("MeasureKeepButton"), Qt::LeftButton);
  ASSERT_EQ(view->Traces().size(), 1u);
  QListWidget* list = Find<QListWidget>("MeasureTraceList");
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text(), "Trace 1");
  EXPECT_EQ(view->Plot().Traces().size(), 1u);
  list->setFocus();
  list->setCurrentRow(0);
  QTest::keyClick(list->viewport(), Qt::Key_Space);
  EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(view->Traces()[0].shown);
  EXPECT_TRUE(view->Plot().Traces().empty());

  paths = {dir / "kept.txt"};
  QTest::mouseClick(Find<QPushButton>("MeasureSaveButton"), Qt::LeftButton);
  const std::string saved = ReadText(dir / "kept.txt");
  EXPECT_EQ(saved.rfind("* Trace 1\n", 0), 0u) << saved;
  EXPECT_EQ(CountOfLines(saved), 62u);  // two comment lines and the 60 bands
  const TraceParse back = ParseTrace(saved);
  ASSERT_TRUE(back.trace.has_value()) << back.error;
  EXPECT_NEAR(LevelAt(*back.trace, 1059.46), -11.0, 0.5);

  WriteText(dir / "junk.bin", std::string("20 1\n\x01\x02\x03", 8));
  paths = {dir / "junk.bin"};
  QTest::mouseClick(Find<QPushButton>("MeasureLoadButton"), Qt::LeftButton);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices.back(), "Cannot read junk.bin: line 2: control bytes: not a text file");
  EXPECT_EQ(view->Traces().size(), 1u);
}

TEST_F(MeasureViewTest, EightTracesAtMostShownRelativeToAnotherAndDeleted) {
  // Eight traces read through the Load button, each flat at its own level; a ninth is refused.
  for (int i = 1; i <= 9; ++i) {
    const std::string path = dir / ("t" + std::to_string(i) + ".txt");
    WriteText(path, "* t\n100 " + std::to_string(-i) + "\n10000 " + std::to_string(-i) + "\n");
    paths = {path};
    QTest::mouseClick(Find<QPushButton>("MeasureLoadButton"), Qt::LeftButton);
  }
  ASSERT_EQ(view->Traces().size(), 8u);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices.back(), "At most 8 traces can be kept.");
  // Eight distinct colours and a legend entry each.
  QList<QRgb> colours;
  for (const auto& t : view->Plot().Traces()) {
    EXPECT_FALSE(colours.contains(t.colour.rgb())) << t.trace.name;
    colours << t.colour.rgb();
  }
  EXPECT_EQ(colours.size(), 8);

  // Shown relative to t3 (-3 dB): t1 reads +2 dB, t8 -5 dB, t3 itself 0 dB.
  QComboBox* relative = Find<QComboBox>("MeasureRelativeBox");
  ASSERT_EQ(relative->count(), 9);
  EXPECT_EQ(relative->itemText(3), "Relative to t3");
  KeyDown(relative, 3);
  const auto& shown = view->Plot().Traces();
  ASSERT_EQ(shown.size(), 8u);
  EXPECT_NEAR(shown[0].trace.points[0].db, 2.0, 1e-9);
  EXPECT_NEAR(shown[2].trace.points[1].db, 0.0, 1e-9);
  EXPECT_NEAR(shown[7].trace.points[0].db, -5.0, 1e-9);

  // Deleting t1 leaves seven, still relative to t3.
  QListWidget* list = Find<QListWidget>("MeasureTraceList");
  list->setCurrentRow(0);
  QTest::mouseClick(Find<QPushButton>("MeasureDeleteButton"), Qt::LeftButton);
  ASSERT_EQ(view->Traces().size(), 7u);
  EXPECT_EQ(list->item(0)->text(), "t2");
  EXPECT_EQ(relative->currentText(), "Relative to t3");
  EXPECT_NEAR(view->Plot().Traces()[0].trace.points[0].db, 1.0, 1e-9);
}

TEST_F(MeasureViewTest, ModeChoiceSwitchesToAResponseOnItsOwnAxis) {
  QComboBox* mode = Find<QComboBox>("MeasureModeBox");
  QPushButton* run = Find<QPushButton>("MeasureRunButton");
  EXPECT_FALSE(run->isVisible());
  KeyDown(mode, 1);
  EXPECT_EQ(view->CurrentMode(), MeasureView::Mode::kPinkNoise);
  EXPECT_TRUE(run->isVisible());
  EXPECT_TRUE(Find<QPushButton>("MeasurePositionButton")->isVisible());
  KeyDown(mode, 1);
  EXPECT_EQ(view->CurrentMode(), MeasureView::Mode::kSweep);
  EXPECT_FALSE(Find<QPushButton>("MeasurePositionButton")->isVisible());
  // The pointer reads the band under it on the analyser's dBFS axis.
  KeyDown(mode, 0);
  mode->setFocus();
  QTest::keyClick(mode, Qt::Key_Home);
  EXPECT_EQ(view->CurrentMode(), MeasureView::Mode::kAnalyser);
  FeedStep(Sine(1000.0, -20.0));
  MeasurePlot& plot = view->Plot();
  const PlotMap m = plot.Map();
  QTest::mouseMove(&plot, QPoint(static_cast<int>(m.FreqToX(1000.0)), 100));
  QTRY_VERIFY(plot.Readout()->isVisible());
  EXPECT_EQ(plot.Readout()->text(), "1000 Hz, -20.0 dBFS");
}

}  // namespace
}  // namespace kdsp
