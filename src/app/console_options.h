#pragma once

#include <QString>
#include <QStringList>

namespace kdsp::app {

/// What the console's command line asks for at start-up.
struct ConsoleOptions {
  QString host;        ///< network address for the first search (empty: the window's own)
  QString port;        ///< TCP port for the first search (empty: the window's own)
  bool paced = false;  ///< keep the link paced for this run, whatever the system page says
  bool demo = false;   ///< start the emulated box and connect to it
};

/// The outcome of reading the command line.
struct ConsoleCommandLine {
  enum class Action { kRun, kHelp, kVersion, kError };
  Action action = Action::kRun;
  ConsoleOptions options;
  /// The help or version text (kHelp, kVersion), or the error message (kError); ends in a
  /// newline.
  QString text;
};

/// Exit status of a command line that stops the program: 0 help and version, 2 a wrong command
/// line.
inline constexpr int kExitBadCommandLine = 2;

/// Reads `args` (program name first). Texts are Chinese for `lang` 1 and English for 0, as the
/// window's start-up language is chosen.
ConsoleCommandLine ParseConsoleCommandLine(const QStringList& args, int lang);

/// True when `args` hold a single-dash word such as "-platform" that only the Qt application
/// object understands; such a command line is read again once the application has taken its
/// own options out.
bool MayHoldQtOptions(const QStringList& args);

}  // namespace kdsp::app
