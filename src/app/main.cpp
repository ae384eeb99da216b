// The console: reads the command line, builds the window and its link, runs the message loop.

#include <cstdio>

#include <QApplication>

#include "app/console_options.h"
#include "app/console_session.h"
#include "app/termination_signals.h"
#include "measure/view/measure_capture.h"
#include "ui/app_title.h"
#include "ui/language.h"
#include "ui/main_window.h"

namespace {

using kdsp::app::ConsoleCommandLine;

QStringList ArgumentsOf(int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  return args;
}

int Report(const ConsoleCommandLine& line) {
  const bool error = line.action == ConsoleCommandLine::Action::kError;
  std::fputs(line.text.toLocal8Bit().constData(), error ? stderr : stdout);
  return error ? kdsp::app::kExitBadCommandLine : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Help, version and a wrong command line are answered before any window system is needed;
  // a line holding Qt's own single-dash options is read again once the application took them.
  const int lang = kdsp::ui::UiLanguageForLocale(QLocale::system());
  const QStringList raw = ArgumentsOf(argc, argv);
  ConsoleCommandLine line = kdsp::app::ParseConsoleCommandLine(raw, lang);
  const bool deferred =
      line.action == ConsoleCommandLine::Action::kError && kdsp::app::MayHoldQtOptions(raw);
  if (line.action != ConsoleCommandLine::Action::kRun && !deferred) return Report(line);

  // Short audio buffers for the measurement view, before anything touches audio.
  kdsp::MeasureCapture::AskForShortLatency();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kdsp::ui::kAppTitle));
  // Lets the desktop tie the window to the installed menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.kdsp.console"));
  if (deferred) {
    line = kdsp::app::ParseConsoleCommandLine(QApplication::arguments(), lang);
    if (line.action != ConsoleCommandLine::Action::kRun) return Report(line);
  }

  kdsp::app::ConsoleSession session(line.options);
  // SIGTERM and SIGINT end the console as a close does, farewell to the box included.
  kdsp::app::TerminationSignals termination;
  QObject::connect(&termination, &kdsp::app::TerminationSignals::Requested, &session.Window(),
                   &QWidget::close);
  session.Show();
  return app.exec();
}
