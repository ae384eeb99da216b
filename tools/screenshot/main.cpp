// kdsp-screenshot: grabs the console's window into a PNG for the documentation. It builds the
// same window and link as the console (usually against the emulated box, --demo), opens the
// page asked for, waits for the window to settle and saves the grab.

#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "app/console_session.h"
#include "measure/view/measure_capture.h"
#include "measure/view/measure_view.h"
#include "ui/app_title.h"
#include "ui/main_window.h"

namespace {

struct Shot {
  QString file;
  QString language = QStringLiteral("zh");
  int delay_ms = 1500;
  bool maximised = false;
  int tab = -1;           ///< channel tab to open
  int subtab = -1;        ///< effect sub-tab to open
  int hint = -1;          ///< hidden-page sub-button to press
  int settings = -1;      ///< sheet of the settings column to show
  bool lock = false;      ///< show the lock screen
  bool spectrum = false;  ///< switch the spectrum on at start
  QStringList measure;    ///< open the measurement view with these trace and calibration files
};

void Arrange(kdsp::ui::MainWindow& window, const Shot& shot) {
  const int wanted = shot.language == "en" ? 0 : 1;
  if (window.UiLanguage() != wanted) window.RzToolButton11Click();
  if (shot.tab >= 0) window.Channels().FormMusTabBtnClick(shot.tab);
  if (shot.subtab >= 0) window.Channels().EchoAToolButtonClick(shot.subtab);
  if (shot.hint >= 0) window.Channels().HintMusBtnClick(shot.hint);
  if (shot.settings >= 0) {
    window.findChild<QTabWidget*>("AdvPageControl1")->setCurrentIndex(shot.settings);
  }
  if (shot.lock) {
    QWidget* lock = window.findChild<QWidget*>("FirstCheckGrop");
    lock->move((lock->parentWidget()->width() - lock->width()) / 2, lock->y());
    lock->show();
    lock->raise();
  }
  if (shot.maximised) window.ToggleMaximised();
}

// The measurement view with a kept measurement and the files asked for (a name ending in
// ".cal" is a calibration, anything else a trace).
QWidget* ArrangeMeasurement(kdsp::ui::MainWindow& window, const Shot& shot) {
  kdsp::MeasureView& view = window.OpenMeasurement();
  view.SetNotifier([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
  for (const QString& file : shot.measure) {
    if (file.endsWith(".cal")) {
      view.LoadCalibrationFile(file);
    } else if (!file.isEmpty()) {
      view.LoadTraceFile(file);
    }
  }
  // Kept once the input has been measured for a while.
  QTimer::singleShot(3000, &view,
                     [&view] { view.findChild<QPushButton*>("MeasureKeepButton")->click(); });
  return &view;
}

}  // namespace

int main(int argc, char** argv) {
  kdsp::MeasureCapture::AskForShortLatency();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kdsp::ui::kAppTitle));

  QCommandLineParser parser;
  parser.setApplicationDescription("Grabs the console's window into a PNG file.");
  parser.addHelpOption();
  parser.addPositionalArgument("OUT.png", "file to write");
  const QCommandLineOption host(QStringLiteral("host"), "network address of the box", "ADDRESS");
  const QCommandLineOption port(QStringLiteral("port"), "TCP port of the box", "PORT");
  const QCommandLineOption demo(QStringLiteral("demo"), "start the emulated box and connect to it");
  const QCommandLineOption language(QStringLiteral("language"), "zh (default) or en", "LANG");
  const QCommandLineOption delay(QStringLiteral("delay"), "wait before arranging (default 1500)",
                                 "MS");
  const QCommandLineOption maximised(QStringLiteral("maximised"), "maximise the window");
  const QCommandLineOption tab(QStringLiteral("tab"), "channel tab to open", "N");
  const QCommandLineOption subtab(QStringLiteral("subtab"), "effect sub-tab to open", "N");
  const QCommandLineOption hint(QStringLiteral("hint"), "hidden-page sub-button to press", "N");
  const QCommandLineOption settings(QStringLiteral("settings"), "sheet of the settings column",
                                    "N");
  const QCommandLineOption lock(QStringLiteral("lock"), "show the lock screen");
  const QCommandLineOption spectrum(QStringLiteral("spectrum"), "switch the spectrum on");
  const QCommandLineOption measure(QStringLiteral("measure"),
                                   "grab the measurement view, with trace and .cal files",
                                   "FILE,FILE...");
  parser.addOptions({host, port, demo, language, delay, maximised, tab, subtab, hint, settings,
                     lock, spectrum, measure});
  if (!parser.parse(QApplication::arguments())) {
    std::fprintf(stderr, "kdsp-screenshot: %s\n", qPrintable(parser.errorText()));
    return 2;
  }
  if (parser.isSet("help")) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
  }
  if (parser.positionalArguments().size() != 1) {
    std::fputs("kdsp-screenshot: give one output file (see --help)\n", stderr);
    return 2;
  }

  Shot shot;
  shot.file = parser.positionalArguments().first();
  if (parser.isSet(language)) shot.language = parser.value(language);
  auto number = [&parser](const QCommandLineOption& o, int fallback) {
    return parser.isSet(o) ? parser.value(o).toInt() : fallback;
  };
  shot.delay_ms = number(delay, shot.delay_ms);
  shot.tab = number(tab, -1);
  shot.subtab = number(subtab, -1);
  shot.hint = number(hint, -1);
  shot.settings = number(settings, -1);
  shot.maximised = parser.isSet(maximised);
  shot.lock = parser.isSet(lock);
  shot.spectrum = parser.isSet(spectrum);
  if (parser.isSet(measure)) shot.measure = parser.value(measure).split(',');

  kdsp::app::ConsoleOptions options;
  options.host = parser.value(host);
  options.port = parser.value(port);
  options.demo = parser.isSet(demo);
  kdsp::app::ConsoleSession session(options);
  kdsp::ui::MainWindow& window = session.Window();
  session.Show();
  // Clicked from the message loop: without an audio input the console answers with a modal
  // message, and the grab below must still run (and end the program) while it is open.
  if (shot.spectrum) {
    QTimer::singleShot(0, &window,
                       [&window] { window.findChild<QPushButton*>("PinPPBtn")->click(); });
  }

  int status = 0;
  QTimer::singleShot(shot.delay_ms, &window, [&] {
    Arrange(window, shot);
    QWidget* grabbed = &window;
    if (parser.isSet(measure)) grabbed = ArrangeMeasurement(window, shot);
    QTimer::singleShot(parser.isSet(measure) ? 3600 : 300, &window, [&, grabbed] {
      if (!grabbed->grab().save(shot.file)) {
        std::fprintf(stderr, "kdsp-screenshot: cannot write %s\n", qPrintable(shot.file));
        status = 1;
      }
      QApplication::exit(status);  // no farewell to the box: this is not a user closing the window
    });
  });
  const int loop = app.exec();
  return status != 0 ? status : loop;
}
