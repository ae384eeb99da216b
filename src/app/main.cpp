// The console: main window, link component, status popup, message loop.

#include <memory>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>

#include <QLineEdit>

#include "boxsim/box_server_thread.h"
#include "link/link_component.h"
#include "model/value_table.h"
#include "ui/app_title.h"
#include "ui/language.h"
#include "ui/link_bridge.h"
#include "ui/main_window.h"
#include "ui/status_popup.h"
#include "ui/system_link.h"
#include "ui/system_page.h"

namespace {

/// What the command line asks for. Without arguments the console behaves as it always has.
struct Options {
  QString host;
  QString port;
  bool demo = false;
  QString screenshot;           ///< grab the window into this file and quit
  QString screenshot_language;  ///< "zh" or "en" for the grab
  int screenshot_delay_ms = 1500;
  bool screenshot_maximised = false;
  int screenshot_tab = -1;       ///< channel tab to open before the grab
  int screenshot_subtab = -1;    ///< effect sub-tab to open before the grab
  int screenshot_hint = -1;      ///< hidden-page sub-button to press before the grab
  int screenshot_settings = -1;  ///< sheet of the settings column to show
  bool screenshot_lock = false;  ///< show the lock screen
  bool screenshot_spectrum = false;  ///< switch the spectrum on at start
};

Options ParseOptions(const QStringList& args) {
  Options o;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == "--host" && has_value) {
      o.host = args[++i];
    } else if (a == "--port" && has_value) {
      o.port = args[++i];
    } else if (a == "--demo") {
      o.demo = true;
    } else if (a == "--screenshot" && has_value) {
      o.screenshot = args[++i];
    } else if (a == "--screenshot-language" && has_value) {
      o.screenshot_language = args[++i];
    } else if (a == "--screenshot-maximised") {
      o.screenshot_maximised = true;
    } else if (a == "--screenshot-tab" && has_value) {
      o.screenshot_tab = args[++i].toInt();
    } else if (a == "--screenshot-subtab" && has_value) {
      o.screenshot_subtab = args[++i].toInt();
    } else if (a == "--screenshot-hint" && has_value) {
      o.screenshot_hint = args[++i].toInt();
    } else if (a == "--screenshot-settings" && has_value) {
      o.screenshot_settings = args[++i].toInt();
    } else if (a == "--screenshot-lock") {
      o.screenshot_lock = true;
    } else if (a == "--screenshot-spectrum") {
      o.screenshot_spectrum = true;
    } else if (a == "--screenshot-delay" && has_value) {
      o.screenshot_delay_ms = args[++i].toInt();
    }
  }
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kdsp::ui::kAppTitle));
  const Options options = ParseOptions(QApplication::arguments());

  // The emulated box, for trying the console without hardware.
  std::unique_ptr<kdsp::boxsim::BoxServerThread> box;
  QString host = options.host;
  QString port = options.port;
  if (options.demo) {
    box = std::make_unique<kdsp::boxsim::BoxServerThread>();
    kdsp::boxsim::ServerOptions server;
    server.tcp = true;
    server.tcp_port = 0;
    if (box->Start(server)) {
      host = QStringLiteral("127.0.0.1");
      port = QString::number(box->Port());
    } else {
      qWarning("kdsp: the emulated box did not start: %s", box->Error().c_str());
      box.reset();
    }
  }

  kdsp::ValueTable device_values;
  kdsp::ValueTable view_values;
  kdsp::ui::MainWindow window(device_values, view_values);
  window.SetNetworkAddress(host, port);

  // The link component (hidden, never a window) reads the address fields and picks the
  // display language; the status popup belongs to it.
  kdsp::ui::StatusPopup popup;
  kdsp::ui::LinkBridge bridge(window, popup);
  kdsp::LinkComponent link(device_values, bridge);
  bridge.Attach(&link);
  window.SetLink(&bridge);
  kdsp::ui::LinkSystemAdapter system_link(link);
  window.System().SetLink(&system_link);
  window.SetLanguageListener([&bridge](int lang) { bridge.OnLanguageChanged(lang); });
  link.SetTcpEndpoint(window.findChild<QLineEdit*>("IPstrEdit")->text(),
                      window.findChild<QLineEdit*>("IPPortStrEdit")->text());
  window.ApplyLanguage(kdsp::ui::UiLanguageForLocale(QLocale::system()));
  // The user has said where the box is: the first search goes to the network at once.
  if (!options.host.isEmpty()) link.machine().SetNextSearchFromNetwork(true);
  link.Start();

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
  }
  window.show();
  if (options.screenshot_spectrum) window.findChild<QPushButton*>("PinPPBtn")->click();

  if (!options.screenshot.isEmpty()) {
    QTimer::singleShot(options.screenshot_delay_ms, &window, [&window, &options] {
      const int wanted = options.screenshot_language == "en" ? 0 : 1;
      if (window.UiLanguage() != wanted) window.RzToolButton11Click();
      if (options.screenshot_tab >= 0) window.Channels().FormMusTabBtnClick(options.screenshot_tab);
      if (options.screenshot_subtab >= 0) {
        window.Channels().EchoAToolButtonClick(options.screenshot_subtab);
      }
      if (options.screenshot_hint >= 0) window.Channels().HintMusBtnClick(options.screenshot_hint);
      if (options.screenshot_settings >= 0) {
        window.findChild<QTabWidget*>("AdvPageControl1")
            ->setCurrentIndex(options.screenshot_settings);
      }
      if (options.screenshot_lock) {
        QWidget* lock = window.findChild<QWidget*>("FirstCheckGrop");
        lock->move((lock->parentWidget()->width() - lock->width()) / 2, lock->y());
        lock->show();
        lock->raise();
      }
      if (options.screenshot_maximised) window.ToggleMaximised();
      QTimer::singleShot(300, &window, [&window, &options] {
        window.grab().save(options.screenshot);
        QApplication::quit();
      });
    });
  }
  return app.exec();
}
