#include "ui/main_window.h"

#include <algorithm>
#include <memory>
#include <utility>

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSerialPortInfo>
#include <QStackedWidget>
#include <QTextEdit>
#include <QWheelEvent>

#include "eq/equaliser_graph.h"
#include "measure/view/measure_view.h"
#include "model/equaliser_reset.h"
#include "spectrum/spectrum_display.h"
#include "tuning/window/band_writer.h"
#include "tuning/window/tuning_tools.h"
#include "ui/app_title.h"
#include "ui/aux_page.h"
#include "ui/effects_page.h"
#include "ui/focus_sink.h"
#include "ui/graph_panel.h"
#include "ui/hint_page.h"
#include "ui/history_texts.h"
#include "ui/language.h"
#include "ui/mic_page.h"
#include "ui/music_page.h"
#include "ui/output_page.h"
#include "ui/settings_column.h"
#include "ui/style.h"
#include "ui/system_page.h"
#include "ui/tab_strip.h"
#include "ui/title_strip.h"

namespace kdsp::ui {

namespace {

constexpr int kBorder = 1;
constexpr int kPageAreaHeight = 226;
constexpr int kGraphTop = 259;

/// Sheets of the page area by index; the channel pages other than Music are built by their
/// own page builders and start empty here.
constexpr const char* kSheetNames[7] = {
    "AdvTabSheet1_mus",    "AdvTabSheet2_mic", "AdvTabSheet3_Eff", "AdvTabSheet4_Main",
    "AdvTabSheet5_Center", "AdvTabSheet6",     "AdvTabSheet7_sur"};

// The sheet of `FormPageItem` with index i; sheets without a page builder stay empty.
QWidget* BuildSheet(int i, QWidget* parent) {
  switch (i) {
    case 0:
      return BuildMusicPage(parent);
    case 1:
      return BuildMicPage(parent);
    case 2:
      return BuildEffectsPage(parent);
    case 3:
      return BuildOutputPage(parent);
    case 4:
      return BuildHintPage(parent);
    case 6:
      return BuildAuxPage(parent);
    default:
      return new QWidget(parent);
  }
}

}  // namespace

MainWindow::MainWindow(ValueTable& device_values, ValueTable& view_values, QWidget* parent)
    : QWidget(parent),
      ctx_(device_values, view_values),
      pipeline_(ctx_),
      handlers_(ctx_, pipeline_),
      refresh_(ctx_, pipeline_, handlers_),
      channels_(ctx_, pipeline_, refresh_),
      volumes_(ctx_, pipeline_),
      history_(ctx_, pipeline_, refresh_, channels_),
      compare_(ctx_, history_) {
  refresh_.SetChannelOps(&channels_);
  setObjectName("TForm1");
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  // Numbers are written and read with "." whatever the user's locale.
  QLocale::setDefault(QLocale::c());
  // Qt paints every widget off-screen first, so the window and the graph area are
  // double-buffered without further ado.
  setStyleSheet(ConsoleStyleSheet());
  BuildShell();
  graph_ = std::make_unique<EqualiserGraph>(ctx_, pipeline_, *graph_panel_);
  ctx_.graph = graph_.get();
  system_ = std::make_unique<SystemPage>(*this);
  spectrum_ =
      std::make_unique<SpectrumDisplay>(ctx_, *graph_, *graph_panel_, QString::fromUtf8(kAppTitle));
  resize(kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder);
  timer1_.setInterval(10);
  connect(&timer1_, &QTimer::timeout, this, [this] {
    pipeline_.BandChangeCheck();
    graph_->HandOverPending();
    emit Tick();
  });
  connect(this, &MainWindow::Tick, spectrum_.get(), &SpectrumDisplay::TimerStep);
  // Made now, hidden, so that its controls are there from the start; it records only while
  // shown.
  measure_ = std::make_unique<MeasureView>(ctx_.ui_language, nullptr, this);
  band_writer_ = std::make_unique<BandWriter>(ctx_, pipeline_, history_.Recorder(), refresh_);
  AttachTuningTools(*measure_, *band_writer_);
  connect(spectrum_.get(), &SpectrumDisplay::MeasurementRequested, this,
          [this] { OpenMeasurement(); });

  // A marker drag hands its last values over before its step ends.
  history_.Recorder().SetBeforeGestureEnd([this] { graph_->HandOverPending(); });
  history_.SetDownload(
      [this](StepReload reload) { system_->DownloadPages(reload == StepReload::kAllPages); });
  // The title strip stays usable on the lock screen; what it would change waits for the unlock.
  connect(title_, &TitleStrip::UndoClicked, this, [this] {
    if (!LockShown()) history_.Undo();
  });
  connect(title_, &TitleStrip::RedoClicked, this, [this] {
    if (!LockShown()) history_.Redo();
  });
  connect(title_, &TitleStrip::CompareAClicked, this, [this] {
    if (!LockShown()) compare_.PressA();
  });
  connect(title_, &TitleStrip::CompareBClicked, this, [this] {
    if (!LockShown()) compare_.PressB();
  });
  connect(&history_, &EditHistory::Changed, this, &MainWindow::ShowHistoryState);
  connect(&compare_, &AbCompare::Changed, this, &MainWindow::ShowHistoryState);
  ShowHistoryState();
  ApplyHistoryTexts(*this, ctx_.ui_language);
  AddKeyActions();
}

MainWindow::~MainWindow() {
  // Open message boxes go first, while the work area they hold is still there to release.
  qDeleteAll(findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::AddKeyActions() {
  // The window's keys are actions on the window: the toolkit hands them over before the
  // focused control, and a control that wants a key for itself (a free-text edit keeps its
  // own Ctrl+Z and letters) claims it first. Value edits and the focus sink claim none.
  auto add = [this](const char* name, QList<QKeySequence> keys, auto slot) {
    auto* action = new QAction(this);
    action->setObjectName(name);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, slot);
    addAction(action);
    return action;
  };
  add("UndoAction", QKeySequence::keyBindings(QKeySequence::Undo), [this] {
    if (!ShortcutsHeld()) history_.Undo();
  });
  QList<QKeySequence> redo_keys = QKeySequence::keyBindings(QKeySequence::Redo);
  for (const QKeySequence& key :
       {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
    if (!redo_keys.contains(key)) redo_keys << key;
  }
  add("RedoAction", redo_keys, [this] {
    if (!ShortcutsHeld()) history_.Redo();
  });
  static constexpr Qt::Key kSingleKeys[] = {Qt::Key_Q, Qt::Key_A, Qt::Key_W, Qt::Key_S,
                                            Qt::Key_E, Qt::Key_D, Qt::Key_P};
  for (Qt::Key key : kSingleKeys) {
    // With or without Shift (Caps Lock), as typed.
    auto* action =
        add("SingleKeyAction", {QKeySequence(key), QKeySequence(Qt::SHIFT | key)}, [this, key] {
          if (!ShortcutsActive() || ShortcutsHeld()) return;
          history_.Recorder().NewInput();
          HandleShortcut(key);
        });
    action->setAutoRepeat(true);
  }
}

void MainWindow::BuildShell() {
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  client_->setAttribute(Qt::WA_StyledBackground, true);
  title_ = new TitleStrip(client_);
  connect(title_, &TitleStrip::MinimiseClicked, this, [this] { showMinimized(); });
  connect(title_, &TitleStrip::MaximiseClicked, this, &MainWindow::ToggleMaximised);
  connect(title_, &TitleStrip::CloseClicked, this, [this] { close(); });

  settings_ = new SettingsColumn(client_);
  main_area_ = new QWidget(client_);
  main_area_->setObjectName("MainArea");
  main_area_->setAttribute(Qt::WA_StyledBackground, true);
  tabs_ = new TabStrip(main_area_);
  connect(tabs_->LanguageButton(), &QPushButton::clicked, this, &MainWindow::RzToolButton11Click);

  pages_ = new QStackedWidget(main_area_);
  pages_->setObjectName("FormPageItem");
  for (int i = 0; i < 7; ++i) {
    QWidget* sheet = BuildSheet(i, pages_);
    sheet->setObjectName(kSheetNames[i]);
    pages_->addWidget(sheet);
  }
  graph_panel_ = new GraphPanel(main_area_);

  // The placeholder edit standing for "no edit", the invisible focus sink and the serial-port
  // chooser of the link.
  auto* example = new ParamEdit(client_);
  example->setObjectName("Example");
  example->hide();
  auto* sink = new FocusSink(client_);
  sink->setObjectName("Examplexx");
  sink->setGeometry(0, 0, 0, 0);
  sink->setFrame(false);
  com_ports_ = new QComboBox(client_);
  com_ports_->setObjectName("ComComboBox1");
  com_ports_->hide();
}

void MainWindow::LayoutShell() {
  const int w = width() - 2 * kBorder;
  const int h = height() - 2 * kBorder;
  client_->setGeometry(kBorder, kBorder, w, h);
  title_->setGeometry(0, 0, w, TitleStrip::kHeight);
  const int body = h - TitleStrip::kHeight;
  settings_->setGeometry(w - SettingsColumn::kWidth, TitleStrip::kHeight, SettingsColumn::kWidth,
                         body);
  const int main_width = w - SettingsColumn::kWidth;
  main_area_->setGeometry(0, TitleStrip::kHeight, main_width, body);
  tabs_->setGeometry(0, 0, main_width, TabStrip::kHeight);
  pages_->setGeometry(0, TabStrip::kHeight, main_width, kPageAreaHeight);
  graph_panel_->setGeometry(3, kGraphTop, main_width - 7, body - kGraphTop - 3);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutShell();
}

void MainWindow::SetLink(ParamLink* link) { ctx_.link = link; }
void MainWindow::SetGraph(EqGraph* graph) { ctx_.graph = graph; }
void MainWindow::SetLanguageListener(std::function<void(int)> listener) {
  language_listener_ = std::move(listener);
}
void MainWindow::SetFarewell(std::function<void()> farewell) { farewell_ = std::move(farewell); }
QAbstractButton* MainWindow::LinkButton() const { return tabs_->LinkButton(); }
void MainWindow::SetNetworkAddress(const QString& host, const QString& port) {
  settings_->SetNetworkAddress(host, port);
}

void MainWindow::ApplyLanguage(int lang) {
  if (lang == ctx_.ui_language) return;
  ctx_.ui_language = lang;
  SwapTranslatableTexts(*this);
  ApplyPictureButtonTexts(*this, lang, link_linked_);
  ApplyHistoryTexts(*this, lang);
  if (spectrum_ != nullptr) spectrum_->RefreshTexts();
  if (measure_ != nullptr) measure_->SetLanguage(lang);
  if (language_listener_) language_listener_(lang);
}

MeasureView& MainWindow::OpenMeasurement() {
  measure_->show();
  measure_->raise();
  measure_->activateWindow();
  return *measure_;
}

void MainWindow::RzToolButton11Click() {
  pipeline_.SettleEntry();
  ApplyLanguage(1 - ctx_.ui_language);
  channels_.SelectChannel(ctx_.channel.current_tab);
  refresh_.RefreshPage(ctx_.channel.view_page);
}

void MainWindow::SetLinkLook(bool linked) {
  link_linked_ = linked;
  if (auto* button = tabs_->LinkButton()) {
    button->setText(LinkButtonCaption(ctx_.ui_language, linked));
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!first_show_run_) FirstShow();
}

void MainWindow::FirstShow() {
  if (first_show_run_) return;
  first_show_run_ = true;
  refresh_.BuildRegistry(*this);
  graph_->WireBandLabels();
  handlers_.Connect();
  channels_.Connect();
  volumes_.Connect();
  ResetAllEqualisers(ctx_.device_values, ctx_.view_values);
  system_->FirstShow();
  channels_.FormMusTabBtnClick(0);
  timer1_.start();
  FillSerialPorts();
  show_done_ = true;
}

void MainWindow::FillSerialPorts() {
  QStringList names;
  for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
    names << port.portName();
  }
  std::sort(names.begin(), names.end());
  com_ports_->clear();
  com_ports_->addItems(names);
  com_ports_->setCurrentIndex(names.isEmpty() ? -1 : 0);
}

void MainWindow::ToggleMaximised() {
  QScreen* s = screen();
  if (!maximised_) {
    normal_geometry_ = geometry();
    maximised_ = true;
    // The desktop's panels (taskbar, docks) stay uncovered.
    if (s != nullptr) setGeometry(s->availableGeometry());
  } else {
    maximised_ = false;
    setGeometry(normal_geometry_);
  }
}

void MainWindow::HoldWork(QDialog* box) {
  if (held_by_boxes_++ == 0) {
    settings_->setEnabled(false);
    main_area_->setEnabled(false);
  }
  auto released = std::make_shared<bool>(false);
  auto release = [this, released] {
    if (std::exchange(*released, true)) return;
    if (--held_by_boxes_ == 0) {
      settings_->setEnabled(true);
      main_area_->setEnabled(true);
    }
  };
  connect(box, &QDialog::finished, this, release);
  connect(box, &QObject::destroyed, this, release);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A close request is always granted. Open messages are closed and open questions answered
  // with their safe choice (No, Cancel) before anything else.
  for (QMessageBox* box : findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly)) {
    if (box->isVisible()) box->reject();
  }
  // The box is let go whenever a connection is open (linking, downloading, online).
  if (ctx_.link != nullptr && ctx_.link->ConnectionOpen() && farewell_) farewell_();
  emit Closing();
  QWidget::closeEvent(event);
  // Other windows (the link's status popup) must not keep the program alive.
  QCoreApplication::quit();
}

bool MainWindow::SpectrumFrozen() const { return spectrum_->SpectrumFrozen(); }

bool MainWindow::ShortcutsActive() const { return settings_->currentIndex() == 0; }

bool MainWindow::LockShown() const { return system_->Locked(); }

bool MainWindow::ShortcutsHeld() const {
  // The lock screen is there so that nothing changes until the password is given; an open
  // message or question holds the work area as well.
  if (LockShown() || held_by_boxes_ > 0) return true;
  // Letters typed as text (passwords, names, addresses) are not commands.
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr || focus->window() != this) return false;
  if (auto* line = qobject_cast<QLineEdit*>(focus)) {
    // Value edits take only digits and keep the shortcuts; so does the invisible focus sink.
    return qobject_cast<ParamEdit*>(focus) == nullptr && !line->isReadOnly() &&
           focus->objectName() != QLatin1String("Examplexx");
  }
  if (auto* box = qobject_cast<QComboBox*>(focus)) return box->isEditable();
  return qobject_cast<QAbstractSpinBox*>(focus) != nullptr ||
         qobject_cast<QTextEdit*>(focus) != nullptr ||
         qobject_cast<QPlainTextEdit*>(focus) != nullptr;
}

bool MainWindow::HandleShortcut(int key) {
  const char* bar_name = nullptr;
  int step = 0;
  switch (key) {
    case Qt::Key_Q:
      bar_name = "SysMusNormalVolBar";
      step = 1;
      break;
    case Qt::Key_A:
      bar_name = "SysMusNormalVolBar";
      step = -1;
      break;
    case Qt::Key_W:
      bar_name = "SysMicNormalVolBar";
      step = 1;
      break;
    case Qt::Key_S:
      bar_name = "SysMicNormalVolBar";
      step = -1;
      break;
    case Qt::Key_E:
      bar_name = "SysEffNormalVolBar";
      step = 1;
      break;
    case Qt::Key_D:
      bar_name = "SysEffNormalVolBar";
      step = -1;
      break;
    case Qt::Key_P:
      spectrum_->ToggleFrozen();
      return true;
    default:
      return false;
  }
  if (auto* bar = findChild<QSlider*>(bar_name)) bar->setValue(bar->value() + step);
  return true;
}

void MainWindow::ShowHistoryState() {
  title_->SetHistoryState(history_.CanUndo(), history_.CanRedo());
  title_->SetCompareState(compare_.Active() ? compare_.Shown() : -1);
}

void MainWindow::wheelEvent(QWheelEvent* event) {
  // A notch that no control under the pointer took steps the clicked edit, wherever the
  // pointer is; the lock screen holds it.
  if (!LockShown() && handlers_.FormMouseWheel(event->angleDelta().y())) {
    event->accept();
    return;
  }
  QWidget::wheelEvent(event);
}

}  // namespace kdsp::ui
