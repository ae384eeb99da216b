// Fit EQ and the ring-out assistant through the real window against the emulated box over
// loopback TCP: what the gestures change is checked in the box's memory.

#include <cmath>
#include <complex>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "box_console_fixture.h"
#include "measure/view/measure_view.h"
#include "spectrum/maths/pink_noise.h"
#include "support/file_text.h"
#include "support/peaking_biquad.h"
#include "tuning/window/ring_out_panel.h"

namespace kdsp::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

double PeakDb(double f0, double gain_db, double q, double f) {
  return PeakingBiquadDb(f0, gain_db, q, f);
}

// The console online against the emulated box, with the measurement view's tools at hand.
class AssistantsTest : public BoxConsoleTest {
 protected:
  void Click(QWidget* root, const char* name) {
    auto* w = root->findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  // The five fields of band `band` (0-based) of a device page, as the box holds them.
  std::vector<int> BoxBand(int page, int first_slot, int band) {
    std::vector<int> v;
    for (int f = 0; f < 5; ++f) v.push_back(box().Param(page, first_slot + 5 * band + f));
    return v;
  }
  bool BoxBandIs(int page, int first_slot, int band, const std::vector<int>& fields) {
    return QTest::qWaitFor([&] { return BoxBand(page, first_slot, band) == fields; }, 5000);
  }
  // Bands of a page set as a reset leaves them, through the window's edit path.
  void ResetBands(int view_page, int first_slot, const std::vector<int>& freqs) {
    for (std::size_t b = 0; b < freqs.size(); ++b) {
      const int fields[5] = {1, freqs[b], 120, 16, 16};
      for (int f = 0; f < 5; ++f) {
        window_->Pipeline().WriteParam(MakeAddr(view_page, first_slot + 5 * b + f), fields[f]);
      }
    }
    QCoreApplication::processEvents();
  }
  // The measurement view, opened as the spectrum menu opens it. Without an audio input it says
  // so in a message box; that box is closed as it comes up.
  MeasureView& OpenView() {
    QTimer closer;
    closer.callOnTimeout([] {
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    closer.start(20);
    MeasureView& view = window_->OpenMeasurement();
    QCoreApplication::processEvents();
    return view;
  }
  QAction* Tool(MeasureView& view, const char* name) {
    auto* a = view.findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
};

TEST_F(AssistantsTest, FitEqPreviewsThenAppliesAsOneUndoStep) {
  // The music channel (shown first) measured flat but for two resonances.
  const std::vector<int> music = {2, 32, 62, 92, 122, 152, 182, 212, 242, 272};
  ResetBands(0, 13, music);
  for (int b = 0; b < 10; ++b) ASSERT_TRUE(BoxBandIs(0, 13, b, {1, music[b], 120, 16, 16}));
  std::string room = "* room\n";
  for (double f = 20; f <= 20000; f *= std::pow(2.0, 1.0 / 24)) {
    room += std::to_string(f) + " " +
            std::to_string(75 + PeakDb(100, 9, 4, f) + PeakDb(400, 6, 6, f)) + "\n";
  }
  const QString path = temp_.filePath("room.txt");
  WriteText(path.toStdString(), room);

  MeasureView& view = OpenView();
  view.SetFileChooser([path](bool, const QString&) { return path; });
  Click(&view, "MeasureLoadButton");
  ASSERT_EQ(view.Traces().size(), 1u);
  Tool(view, "FitEqAction")->trigger();
  QCoreApplication::processEvents();
  auto* panel = view.findChild<QWidget*>("FitEqPanel");
  ASSERT_NE(panel, nullptr);
  Click(panel, "FitEqFitButton");
  const QString result = panel->findChild<QLabel*>("FitEqResultLabel")->text();
  EXPECT_TRUE(result.contains("RMS")) << result.toStdString();
  // A preview only: the box still holds the flat bands.
  QTest::qWait(100);
  for (int b = 0; b < 10; ++b)
    EXPECT_EQ(BoxBand(0, 13, b), (std::vector<int>{1, music[b], 120, 16, 16}));

  Click(panel, "FitEqApplyButton");
  // 100 Hz is frequency step 85 and 400 Hz about step 157: each gets a peaking cut.
  bool cut_100 = false, cut_400 = false;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        cut_100 = cut_400 = false;
        for (int b = 0; b < 10; ++b) {
          const std::vector<int> v = BoxBand(0, 13, b);
          if (v[0] == 1 && v[1] >= 83 && v[1] <= 87 && v[2] < 110) cut_100 = true;
          if (v[0] == 1 && v[1] >= 155 && v[1] <= 159 && v[2] < 115) cut_400 = true;
        }
        return cut_100 && cut_400;
      },
      5000));
  for (int b = 0; b < 10; ++b) {
    EXPECT_LE(BoxBand(0, 13, b)[2], 135) << "band " << b + 1 << ": no boost above +3 dB";
  }

  // One undo takes every band back.
  Click(window_.get(), "UndoBtn");
  for (int b = 0; b < 10; ++b) {
    EXPECT_TRUE(BoxBandIs(0, 13, b, {1, music[b], 120, 16, 16})) << "band " << b + 1;
  }
}

TEST_F(AssistantsTest, RingOutProposesAppliesAndRemovesANotch) {
  // Microphone 1 as a reset leaves it (its view page is 1 while MIC 1 is chosen).
  const std::vector<int> mic = {2,   25,  49,  73,  96,  120, 144, 167, 187, 215,
                                238, 262, 287, 299, 313, 323, 333, 343, 353, 360};
  ResetBands(1, 15, mic);
  ASSERT_TRUE(BoxBandIs(1, 15, 19, {1, 360, 120, 16, 16}));

  MeasureView& view = OpenView();
  Tool(view, "RingOutAction")->trigger();
  QCoreApplication::processEvents();
  auto* panel = view.findChild<RingOutPanel*>("RingOutPanel");
  ASSERT_NE(panel, nullptr);
  ASSERT_EQ(panel->findChild<QComboBox*>("RingOutMicBox")->currentIndex(), 0);

  // The capture: pink noise, then a ring at 1003 Hz growing out of it.
  PinkNoise pink(3);
  pink.SetLevelDbfs(-30);
  std::vector<float> x(5 * 48000);
  pink.Fill(x);
  double phase = 0;
  for (std::size_t i = 48000; i < x.size(); ++i) {
    phase += 2 * kPi * 1003 / 48000;
    x[i] += static_cast<float>(std::min(0.3, 0.0005 * std::pow(10.0, (i - 48000) / 48000.0)) *
                               std::sin(phase));
  }
  auto* list = panel->findChild<QTableWidget*>("RingOutList");
  for (std::size_t i = 0; i < x.size() && list->rowCount() == 0; i += 960) {
    panel->Feed({x.data() + i, 960});
  }
  ASSERT_GE(list->rowCount(), 1);
  EXPECT_TRUE(list->item(0, 1)->text().contains("1000 Hz"))
      << list->item(0, 1)->text().toStdString();
  // Proposed, not applied: the box is unchanged.
  EXPECT_EQ(BoxBand(1, 15, 9), (std::vector<int>{1, 215, 120, 16, 16}));

  list->selectRow(0);
  Click(panel, "RingOutApplyButton");
  // Band 10 (the free band nearest 1 kHz) becomes a peaking notch at 1 kHz, -3 dB, Q 10.10.
  EXPECT_TRUE(BoxBandIs(1, 15, 9, {1, 204, 105, 56, 16}));

  list->selectRow(0);
  Click(panel, "RingOutRemoveButton");
  EXPECT_TRUE(BoxBandIs(1, 15, 9, {1, 215, 120, 16, 16}));
  EXPECT_EQ(list->rowCount(), 0);
}

}  // namespace
}  // namespace kdsp::testing
