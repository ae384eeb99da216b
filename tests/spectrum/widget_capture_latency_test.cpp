// How far behind the sound the console's recording stream runs, as the sound server itself
// reports it, against a private PulseAudio server.

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTest>

#include "spectrum/audio_capture.h"
#include "widget_window_support.h"

namespace kdsp::test {
namespace {

struct Latency {
  long long buffer_us = 0;  // what waits in the stream's buffer
  long long source_us = 0;  // what waits in the source
};

// The latencies of this process's recording streams.
std::vector<Latency> OwnRecordingLatencies(const QString& listing) {
  static const QRegularExpression kLatency(
      QStringLiteral(R"(^\s*(Buffer|Source) Latency:\s*(\d+) usec)"),
      QRegularExpression::MultilineOption);
  const QString own =
      QStringLiteral("application.process.id = \"%1\"").arg(QCoreApplication::applicationPid());
  std::vector<Latency> streams;
  for (const QString& block : listing.split(QStringLiteral("Source Output #"))) {
    if (!block.contains(own)) continue;
    Latency l;
    for (auto it = kLatency.globalMatch(block); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      (m.captured(1) == QLatin1String("Buffer") ? l.buffer_us : l.source_us) +=
          m.captured(2).toLongLong();
    }
    streams.push_back(l);
  }
  return streams;
}

// The input listens to a null sink (the console lists no monitor sources). Unlike the
// server's sine source, whose own latency is fixed at two seconds whatever a stream asks, its
// latency follows what the recording stream asks for, as a sound card's does; so what the
// server reports is what the console's buffer makes it.
TEST(SpectrumWithSoundServer, RecordingStreamRunsLessThan150MsBehindTheSound) {
  KDSP_RUN_AGAINST_PRIVATE_SOUND_SERVER(
      {"module-null-sink sink_name=room rate=48000",
       "module-remap-source source_name=room_mic master=room.monitor "
       "channels=1 channel_map=mono master_channel_map=front-left"});
  AudioCapture capture;
  int blocks = 0;
  capture.SetOnRecord([&blocks](std::span<const std::uint8_t>) { ++blocks; });
  capture.SetInputDevice("room_mic");
  ASSERT_TRUE(capture.CaptureStart()) << capture.CaptureError().toStdString();
  ASSERT_EQ(capture.OpenDevice(), QByteArray("room_mic"));
  ASSERT_TRUE(WaitFor([&blocks] { return blocks > 0; }, 15000));

  // What waits in the buffer rises as it fills and drops as it is handed on: readings over a
  // second catch it near its top.
  Latency worst;
  long long worst_total_us = 0;
  for (int reading = 0; reading < 12; ++reading) {
    bool ok = false;
    const QString listing = Pactl({"list", "source-outputs"}, &ok);
    ASSERT_TRUE(ok) << "pactl list source-outputs failed";
    const std::vector<Latency> streams = OwnRecordingLatencies(listing);
    ASSERT_EQ(streams.size(), 1u) << listing.toStdString();
    const Latency& l = streams.front();
    worst.buffer_us = std::max(worst.buffer_us, l.buffer_us);
    worst.source_us = std::max(worst.source_us, l.source_us);
    worst_total_us = std::max(worst_total_us, l.buffer_us + l.source_us);
    QTest::qWait(90);
  }
  EXPECT_LT(worst_total_us, 150000)
      << "the bars run " << worst_total_us / 1000 << " ms behind the sound";
  // The buffer is the console's own: two blocks of 1024 samples at 48 kHz, 42 667 us.
  EXPECT_LE(worst.buffer_us, 42667) << "source " << worst.source_us << " us";
  EXPECT_TRUE(capture.CaptureStop());
}

}  // namespace
}  // namespace kdsp::test
