#pragma once

// Stand-ins and helpers of the spectrum widget tests: a sample source the test feeds by hand,
// a graph with the two spectrum buttons around a display, sample blocks, pixel readers, and
// the machinery that runs a test in a fresh process against a sound server of its own.

#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include "edit/binding_context.h"
#include "edit/bound_widgets.h"
#include "edit/edit_pipeline.h"
#include "eq/equaliser_graph.h"
#include "model/value_table.h"
#include "spectrum/sample_source.h"
#include "spectrum/spectrum_display.h"

namespace kdsp::test {

/// A recorder that starts (or fails) as told and delivers the blocks the test hands it.
class FakeSource : public SampleSource {
 public:
  bool start_ok = true;
  int starts = 0;
  int stops = 0;
  bool triggered = true;

  void SetOnRecord(RecordHook hook) override { hook_ = std::move(hook); }
  void SetTriggered(bool t) override { triggered = t; }
  bool CaptureStart() override {
    ++starts;
    return start_ok;
  }
  bool CaptureStop() override {
    ++stops;
    return true;
  }
  QString CaptureError() const override { return start_ok ? QString() : QStringLiteral("none"); }
  void SetInputDevice(const QByteArray& id) override { device = id; }
  void SetOnLost(std::function<void()> hook) override { lost_ = std::move(hook); }
  /// The device goes away while recording, as the recorder reports it.
  void Lose() const {
    if (lost_) lost_();
  }
  QByteArray device;
  bool HasHook() const { return static_cast<bool>(hook_); }
  void Deliver(const std::vector<std::uint8_t>& block) const {
    if (hook_) hook_(block);
  }

 private:
  RecordHook hook_;
  std::function<void()> lost_;
};

/// 1024 unsigned 8-bit samples of a sine: 128 + amplitude * sin(2 pi f n / 48000), rounded.
std::vector<std::uint8_t> SineBlock(double freq_hz, double amplitude);
/// Silence (128) with `count` one-step impulses, one every `spacing` samples.
std::vector<std::uint8_t> ImpulseTrain(int count, int spacing);

/// A right click as the window system delivers it: press, the context-menu request, release.
void RightClick(QWidget* target, QPoint at);

/// Number of pixels of the bar colour in `image`.
int BluePixels(const QImage& image);
/// Topmost row of the bar colour in column x, or `image.height()` when there is none.
int TopBlueRow(const QImage& image, int x);

/// The graph panel of the window (areas, surface, both spectrum buttons) with its graph on the
/// music page and a spectrum display fed by a `FakeSource`.
class DisplayFixture : public ::testing::Test {
 protected:
  DisplayFixture();
  ~DisplayFixture() override;

  /// Makes the display (again) on a source that starts or not, with the settings file of the
  /// fixture (a temporary one).
  void MakeDisplay(bool start_ok);
  /// The settings file the display keeps its choices in.
  QString SettingsPath() const { return settings_dir.filePath("spectrum.ini"); }
  /// `n` ticks of the window timer.
  void Ticks(int n);
  /// The 11 ticks of one whole cycle from the start of a cycle: transform, then drawing.
  void OneCycle() { Ticks(11); }
  /// Presses and releases the pointer on a band marker (a left drag starts on the press).
  void PressMarker(int marker);
  void ReleaseMarker(int marker);

  const QImage& Canvas() { return graph->Canvas(); }
  PictureButton* SpectrumButton() const { return pp; }
  PictureButton* FloorButton() const { return dcf; }

  QTemporaryDir settings_dir;
  ValueTable device;
  ValueTable view;
  BindingContext ctx{device, view};
  EditPipeline pipeline{ctx};
  std::unique_ptr<QWidget> root;
  QWidget* panel = nullptr;
  PictureButton* pp = nullptr;
  PictureButton* dcf = nullptr;
  std::unique_ptr<EqualiserGraph> graph;
  FakeSource* source = nullptr;  // owned by the display
  std::unique_ptr<SpectrumDisplay> display;
  std::vector<QString> notices;
};

/// True inside the fresh process that runs one test's body.
bool InFreshProcess();

/// Runs the current test again in a fresh copy of this binary, with `env` added to this
/// process's environment, and makes its outcome (pass, failure with the child's output, skip)
/// this test's. Qt connects to the sound server once per process and never again, so each
/// test that needs the sound system in a given state gets a process of its own.
void RunInFreshProcess(const QProcessEnvironment& env);

/// Runs the rest of the test's body in a fresh process of its own against a private sound
/// server made with the modules given (none: the 1 kHz sine source alone); skips the test
/// where PulseAudio is not installed.
#define KDSP_RUN_AGAINST_PRIVATE_SOUND_SERVER(...)                                            \
  if (!::kdsp::test::InFreshProcess()) {                                                      \
    if (!::kdsp::test::PrivateSoundServer::Installed()) {                                     \
      GTEST_SKIP() << "pulseaudio is not installed (scripts/install-deps installs it)";       \
    }                                                                                         \
    ::kdsp::test::PrivateSoundServer sound_server{__VA_ARGS__};                               \
    QString sound_server_error;                                                               \
    ASSERT_TRUE(sound_server.Start(&sound_server_error)) << sound_server_error.toStdString(); \
    ::kdsp::test::RunInFreshProcess(sound_server.ClientEnvironment());                        \
    return;                                                                                   \
  }

/// A PulseAudio server of the test's own in a temporary directory, with a 1 kHz sine source at
/// 48 kHz as its first (and default) source, and any further modules asked for (each a
/// module name with its arguments). Killed when the object goes.
class PrivateSoundServer {
 public:
  explicit PrivateSoundServer(QStringList extra_modules = {});
  ~PrivateSoundServer();
  /// Whether the pulseaudio program is installed.
  static bool Installed();
  /// Starts the server and waits for its socket; false with the reason in `error`.
  bool Start(QString* error);
  /// What a client process needs to reach this server (and nothing else).
  QProcessEnvironment ClientEnvironment() const;

 private:
  QTemporaryDir dir_;
  QProcess process_;
  QStringList extra_modules_;
};

/// Runs pactl against the server of this process's environment (a fresh process's
/// `PULSE_SERVER`); its standard output, or an empty text with `ok` false on failure.
QString Pactl(const QStringList& args, bool* ok = nullptr);

/// The client environment of a sound server that does not exist.
QProcessEnvironment NoSoundServerEnvironment(const QTemporaryDir& dir);

}  // namespace kdsp::test
