// The measurement view end to end: from the spectrum button's menu to the band levels of a
// real sound server's input.

#include <cmath>

#include <QTest>

#include "measure/view/measure_capture.h"
#include "measure/view/measure_view.h"
#include "widget_window_support.h"

namespace kdsp::test {
namespace {

TEST(MeasureWithSoundServer, MenuOpensTheViewWhichReadsTheInputsSineInItsBand) {
  KDSP_RUN_AGAINST_PRIVATE_SOUND_SERVER();
  // As the console's main() does before any audio is touched.
  MeasureCapture::AskForShortLatency();
  ShownWindow w;
  w.window.ApplyLanguage(0);
  ASSERT_TRUE(ChooseInSpectrumMenu(w.window.Spectrum(), w.Button("PinPPBtn"),
                                   {QStringLiteral("Measurement…")}));
  auto* view = w.window.findChild<MeasureView*>("MeasureView");
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(WaitFor([view] { return view->isVisible(); }, 2000));
  auto* capture = dynamic_cast<MeasureCapture*>(&view->Source());
  ASSERT_NE(capture, nullptr);
  ASSERT_TRUE(capture->Running()) << capture->Error().toStdString();
  // The buffer asked for, which keeps sound to screen short on a hardware input. (The test
  // server's sine source itself hands its sound over in pieces of about 2 s.)
  EXPECT_GT(capture->BufferMs(), 0);
  EXPECT_LE(capture->BufferMs(), 50);

  // The server's source is a 1 kHz sine at half of full scale (-6 dBFS): the view's own steps
  // read it in the 1 kHz third-octave band, and nothing two octaves away.
  ASSERT_TRUE(WaitFor(
      [view] {
        return view->Analyser().SamplesPushed() >= 96000 && view->Analyser().AverageCount() >= 2;
      },
      15000))
      << view->Analyser().SamplesPushed() << " samples";
  const Trace t = view->CurrentTrace();
  double at_1k = -200, at_250 = -200;
  for (const TracePoint& p : t.points) {
    if (std::fabs(p.freq_hz - 1000.0) < 1) at_1k = p.db;
    if (std::fabs(p.freq_hz - 250.0) < 1) at_250 = p.db;
  }
  EXPECT_NEAR(at_1k, -6.0, 0.5);
  EXPECT_LT(at_250, -60.0);
  view->close();
  EXPECT_FALSE(capture->Running());  // nothing records once the view is closed
}

}  // namespace
}  // namespace kdsp::test
