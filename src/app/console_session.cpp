#include "app/console_session.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>

#include "boxsim/box_server_thread.h"
#include "link/link_component.h"
#include "ui/language.h"
#include "ui/link_bridge.h"
#include "ui/main_window.h"
#include "ui/status_popup.h"
#include "ui/system_link.h"
#include "ui/system_page.h"

namespace kdsp::app {

namespace {

constexpr const char* kPacedKey = "link/paced";

QSettings LinkSettings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("kdsp"),
                   QStringLiteral("kdsp-console"));
}

}  // namespace

ConsoleSession::ConsoleSession(const ConsoleOptions& options) {
  // The emulated box, for trying the console without hardware.
  QString host = options.host;
  QString port = options.port;
  if (options.demo) {
    box_ = std::make_unique<boxsim::BoxServerThread>();
    boxsim::ServerOptions server;
    server.tcp = true;
    server.tcp_port = 0;
    if (box_->Start(server)) {
      host = QStringLiteral("127.0.0.1");
      port = QString::number(box_->Port());
    } else {
      qWarning("kdsp: the emulated box did not start: %s", box_->Error().c_str());
      box_.reset();
    }
  }

  window_ = std::make_unique<ui::MainWindow>(device_values_, view_values_);
  window_->SetNetworkAddress(host, port);

  // The link component (hidden, never a window) reads the address fields and picks the
  // display language; the status popup belongs to it.
  popup_ = std::make_unique<ui::StatusPopup>();
  bridge_ = std::make_unique<ui::LinkBridge>(*window_, *popup_);
  link_ = std::make_unique<LinkComponent>(device_values_, *bridge_);
  bridge_->Attach(link_.get());
  window_->SetLink(bridge_.get());
  system_link_ = std::make_unique<ui::LinkSystemAdapter>(*link_);
  window_->System().SetLink(system_link_.get());
  window_->SetLanguageListener(
      [bridge = bridge_.get()](int lang) { bridge->OnLanguageChanged(lang); });
  link_->SetTcpEndpoint(window_->findChild<QLineEdit*>("IPstrEdit")->text(),
                        window_->findChild<QLineEdit*>("IPPortStrEdit")->text());
  window_->ApplyLanguage(ui::UiLanguageForLocale(QLocale::system()));
  ApplyPacedSetting(options.paced);
  // The user has said where the box is: the first search goes to the network at once.
  if (!options.host.isEmpty()) link_->machine().SetNextSearchFromNetwork(true);
  link_->Start();
}

void ConsoleSession::ApplyPacedSetting(bool paced_for_this_run) {
  // The system page's "Paced link" switch is kept in the settings; --paced holds for this run
  // only and shows the switch on without storing it.
  const bool paced = paced_for_this_run || LinkSettings().value(kPacedKey, false).toBool();
  link_->machine().SetPacedAlways(paced);
  auto* box = window_->findChild<QCheckBox*>("PacedLinkBox");
  if (box == nullptr) return;
  box->setChecked(paced);
  QObject::connect(box, &QCheckBox::toggled, box, [link = link_.get()](bool on) {
    link->machine().SetPacedAlways(on);
    LinkSettings().setValue(kPacedKey, on);
  });
}

ConsoleSession::~ConsoleSession() {
  // Torn down in the reverse order of building, as locals of main() would be.
  system_link_.reset();
  link_.reset();
  bridge_.reset();
  popup_.reset();
  window_.reset();
  box_.reset();
}

void ConsoleSession::Show() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    window_->move(area.center() - QPoint(window_->width() / 2, window_->height() / 2));
  }
  window_->show();
}

}  // namespace kdsp::app
