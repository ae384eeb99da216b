#include "widget_support.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTest>
#include <QSettings>
#include <QStandardPaths>

#include "model/equaliser_reset.h"
#include "spectrum/bar_painter.h"

namespace kdsp::test {

namespace {

constexpr char kFreshProcessVar[] = "KDSP_SPECTRUM_FRESH_PROCESS";
constexpr int kChildTimeoutMs = 120000;
constexpr int kServerStartMs = 10000;

void SendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  const QPoint local(7, 7);
  QMouseEvent e(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, buttons,
                Qt::NoModifier);
  QApplication::sendEvent(target, &e);
}

QString PrivateDir(const QString& parent, const char* name) {
  const QString path = parent + '/' + name;
  QDir().mkpath(path);
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

}  // namespace

std::vector<std::uint8_t> SineBlock(double freq_hz, double amplitude) {
  std::vector<std::uint8_t> block(1024);
  for (int n = 0; n < 1024; ++n) {
    const double v = 128.0 + amplitude * std::sin(2.0 * std::numbers::pi * freq_hz * n / 48000.0);
    block[n] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
  }
  return block;
}

std::vector<std::uint8_t> ImpulseTrain(int count, int spacing) {
  std::vector<std::uint8_t> block(1024, 128);
  for (int i = 0; i < count && i * spacing < 1024; ++i) block[i * spacing] = 129;
  return block;
}

void RightClick(QWidget* target, QPoint at) {
  QTest::mousePress(target, Qt::RightButton, {}, at);
  QContextMenuEvent e(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
  QApplication::sendEvent(target, &e);
  QTest::mouseRelease(target, Qt::RightButton, {}, at);
}

int BluePixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == kSpectrumBarRgb;
  }
  return n;
}

int TopBlueRow(const QImage& image, int x) {
  for (int y = 0; y < image.height(); ++y) {
    if (image.pixel(x, y) == kSpectrumBarRgb) return y;
  }
  return image.height();
}

DisplayFixture::DisplayFixture() {
  root = std::make_unique<QWidget>();
  root->resize(1000, 400);
  panel = new QWidget(root.get());
  panel->setObjectName("AdvPanel1");
  panel->setGeometry(3, 0, 938, 322);
  auto* area = new QWidget(panel);
  area->setObjectName("AdvPanel2");
  area->setGeometry(48, 35, 883, 268);
  auto* image = new QWidget(area);
  image->setObjectName("Image1");
  image->setGeometry(0, 0, 883, 268);
  pp = new PictureButton(panel);
  pp->setObjectName("PinPPBtn");
  pp->setGeometry(48, 4, 72, 22);
  dcf = new PictureButton(panel);
  dcf->setObjectName("PinDCFBtn");
  dcf->setGeometry(124, 4, 72, 22);

  ResetAllEqualisers(device, view);
  graph = std::make_unique<EqualiserGraph>(ctx, pipeline, *panel);
  ctx.graph = graph.get();
  root->show();
  graph->DrawEqCurve(100, 0);
  MakeDisplay(true);
}

DisplayFixture::~DisplayFixture() {
  display.reset();
  ctx.graph = nullptr;
  root.reset();
  graph.reset();
}

void DisplayFixture::MakeDisplay(bool start_ok) {
  display.reset();
  pp->SetHint("0");
  dcf->SetHint("0");
  auto fake = std::make_unique<FakeSource>();
  fake->start_ok = start_ok;
  fake->triggered = true;
  source = fake.get();
  display = std::make_unique<SpectrumDisplay>(
      ctx, *graph, *panel, QStringLiteral("caption"), std::move(fake),
      std::make_unique<QSettings>(SettingsPath(), QSettings::IniFormat));
  display->SetNotifier([this](const QString& text) { notices.push_back(text); });
}

void DisplayFixture::Ticks(int n) {
  for (int i = 0; i < n; ++i) display->TimerStep();
}

void DisplayFixture::PressMarker(int marker) {
  SendMouse(graph->Marker(marker), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
}

void DisplayFixture::ReleaseMarker(int marker) {
  SendMouse(graph->Marker(marker), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
}

bool InFreshProcess() { return qEnvironmentVariableIsSet(kFreshProcessVar); }

void RunInFreshProcess(const QProcessEnvironment& env) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString filter =
      QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name());
  QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
  all.insert(env);
  all.insert(kFreshProcessVar, "1");
  QProcess child;
  child.setProcessEnvironment(all);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {filter, "--gtest_color=no"});
  ASSERT_TRUE(child.waitForStarted(10000)) << "the test binary did not start again";
  if (!child.waitForFinished(kChildTimeoutMs)) {
    child.kill();
    child.waitForFinished(5000);
    FAIL() << "the fresh process did not finish in time:\n" << child.readAll().toStdString();
  }
  const std::string out = child.readAll().toStdString();
  if (out.find("[  SKIPPED ] 1 test") != std::string::npos) GTEST_SKIP() << out;
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out;
  EXPECT_EQ(child.exitCode(), 0) << out;
  EXPECT_NE(out.find("[  PASSED  ] 1 test."), std::string::npos) << out;
}

PrivateSoundServer::PrivateSoundServer(QStringList extra_modules)
    : extra_modules_(std::move(extra_modules)) {}

PrivateSoundServer::~PrivateSoundServer() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(3000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}

bool PrivateSoundServer::Installed() {
  return !QStandardPaths::findExecutable("pulseaudio").isEmpty();
}

bool PrivateSoundServer::Start(QString* error) {
  if (!dir_.isValid()) {
    *error = "no temporary directory: " + dir_.errorString();
    return false;
  }
  const QString socket = dir_.path() + "/native";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("PULSE_SERVER");
  // Its cookie, runtime files and configuration stay in the temporary directory.
  env.insert("HOME", PrivateDir(dir_.path(), "home"));
  env.insert("XDG_RUNTIME_DIR", PrivateDir(dir_.path(), "runtime"));
  env.insert("XDG_CONFIG_HOME", PrivateDir(dir_.path(), "config"));
  process_.setProcessEnvironment(env);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  // The sine source loads before the socket appears, so a client that finds the socket finds
  // the source too. Anonymous clients need no cookie.
  QStringList args = {"--daemonize=no",      "--exit-idle-time=-1", "-n",
                      "--use-pid-file=no",   "--disable-shm=yes",   "--log-target=stderr",
                      "--load=module-sine-source frequency=1000 rate=48000"};
  for (const QString& module : extra_modules_) args << "--load=" + module;
  args << "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket;
  process_.start(QStandardPaths::findExecutable("pulseaudio"), args);
  if (!process_.waitForStarted(5000)) {
    *error = "pulseaudio did not start: " + process_.errorString();
    return false;
  }
  for (int waited = 0; waited < kServerStartMs; waited += 50) {
    if (QFileInfo::exists(socket)) return true;
    if (process_.waitForFinished(50)) {
      *error = "pulseaudio stopped: " + QString::fromLocal8Bit(process_.readAll());
      return false;
    }
  }
  *error = "pulseaudio made no socket: " + QString::fromLocal8Bit(process_.readAll());
  return false;
}

QProcessEnvironment PrivateSoundServer::ClientEnvironment() const {
  QProcessEnvironment env;
  env.insert("PULSE_SERVER", "unix:" + dir_.path() + "/native");
  env.insert("XDG_RUNTIME_DIR", PrivateDir(dir_.path(), "client"));
  env.insert("PULSE_COOKIE", dir_.path() + "/client/cookie");
  return env;
}

QString Pactl(const QStringList& args, bool* ok) {
  QProcess p;
  p.start(QStandardPaths::findExecutable("pactl"), args);
  const bool done = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit &&
                    p.exitCode() == 0;
  if (ok != nullptr) *ok = done;
  return done ? QString::fromLocal8Bit(p.readAllStandardOutput()) : QString();
}

QProcessEnvironment NoSoundServerEnvironment(const QTemporaryDir& dir) {
  QProcessEnvironment env;
  env.insert("PULSE_SERVER", "unix:" + dir.path() + "/no-server");
  env.insert("XDG_RUNTIME_DIR", PrivateDir(dir.path(), "client"));
  env.insert("PULSE_COOKIE", dir.path() + "/client/cookie");
  return env;
}

}  // namespace kdsp::test
