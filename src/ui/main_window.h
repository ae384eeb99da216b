#pragma once

#include <memory>

#include <functional>

#include <QLocale>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include "edit/ab_compare.h"
#include "edit/binding_context.h"
#include "edit/channel_ops.h"
#include "edit/edit_handlers.h"
#include "edit/edit_history.h"
#include "edit/edit_pipeline.h"
#include "edit/page_refresh.h"
#include "edit/volume_limits.h"

class QAbstractButton;
class QComboBox;
class QDialog;
class QLabel;
class QStackedWidget;

namespace kdsp::ui {

class GraphPanel;
}  // namespace kdsp::ui

namespace kdsp {
class EqualiserGraph;
class SpectrumDisplay;
class MeasureView;
class BandWriter;
}  // namespace kdsp

namespace kdsp::ui {
class SettingsColumn;
class SystemPage;
class TabStrip;
class TitleStrip;

/// The main window `TForm1`: borderless, title strip, settings column, tab strip, page area
/// `FormPageItem` and graph panel. It owns every visible control, the registry and the edit
/// path; the value tables belong to the application.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 1205;
  static constexpr int kClientHeight = 609;

  MainWindow(ValueTable& device_values, ValueTable& view_values, QWidget* parent = nullptr);
  ~MainWindow() override;

  /// The link the edit path hands its writes to (none: changes are stored only).
  void SetLink(ParamLink* link);
  /// Replaces the window's own equaliser graph as the edit path sees it (none: nothing is
  /// drawn). Tests use it to watch redraws.
  void SetGraph(EqGraph* graph);
  /// The window's equaliser graph in `AdvPanel1`.
  EqualiserGraph& Graph() { return *graph_; }
  /// Called after a language change, for windows that are not children of this one (the
  /// status popup of the link).
  void SetLanguageListener(std::function<void(int)> listener);
  /// Runs when the window closes: the farewell to the box (the link knows whether a
  /// connection is open).
  void SetFarewell(std::function<void()> farewell);
  /// While `box` is open the work area (pages, graph, settings column) takes no input; the
  /// title strip stays live, so that the window can always be closed.
  void HoldWork(QDialog* box);
  /// The link button `LinkBtn`.
  QAbstractButton* LinkButton() const;

  /// `ApplyLanguage`: 1 Chinese, 0 English; nothing when it is the current language.
  void ApplyLanguage(int lang);
  int UiLanguage() const { return ctx_.ui_language; }
  /// The language button: the other language, then the current tab and page again.
  void RzToolButton11Click();
  /// The link button's meaning as the link last set it (true: it offers to disconnect).
  void SetLinkLook(bool linked);
  bool LinkLooksLinked() const { return link_linked_; }

  /// The first-show work: registry, equaliser defaults, Music tab, timer, serial ports.
  void FirstShow();
  bool ShowDone() const { return show_done_; }

  /// Maximise / restore within the screen's available area (panels stay uncovered).
  void ToggleMaximised();
  bool IsMaximisedToWorkArea() const { return maximised_; }

  /// True while the settings panel shows its first sheet (the shortcuts are on).
  bool ShortcutsActive() const;
  /// True while the single-key shortcuts are held back although active: the lock screen is
  /// shown, or a free-text edit (password, name, address) has the focus.
  bool ShortcutsHeld() const;
  /// True while the lock screen asks for the password.
  bool LockShown() const;
  /// `SpectrumFrozen`: toggled by P.
  bool SpectrumFrozen() const;
  /// The spectrum analyser over the graph.
  SpectrumDisplay& Spectrum() { return *spectrum_; }
  /// Shows the measurement view (the spectrum menu's entry).
  MeasureView& OpenMeasurement();

  /// Prefills the network address fields of the settings column.
  void SetNetworkAddress(const QString& host, const QString& port);

  BindingContext& Context() { return ctx_; }
  EditPipeline& Pipeline() { return pipeline_; }
  EditHandlers& Handlers() { return handlers_; }
  PageRefresh& Refresh() { return refresh_; }
  ChannelOps& Channels() { return channels_; }
  VolumeLimits& Volumes() { return volumes_; }
  /// Undo and redo of the user's changes.
  EditHistory& History() { return history_; }
  /// The A/B comparison of the title strip.
  AbCompare& Compare() { return compare_; }
  /// The system page: preset files, device modes, locks and the hidden service access.
  SystemPage& System() { return *system_; }
  QTimer& Timer1() { return timer1_; }

 signals:
  /// The 10 ms tick, after the band-change check (graph and spectrum hook in here).
  void Tick();
  /// The window is closing, after the farewell: the program ends, whatever the link does.
  void Closing();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void BuildShell();
  void LayoutShell();
  bool HandleShortcut(int key);
  /// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo; the single-key shortcuts of the volumes and
  /// the spectrum.
  void AddKeyActions();
  void ShowHistoryState();
  void FillSerialPorts();

  BindingContext ctx_;
  EditPipeline pipeline_;
  EditHandlers handlers_;
  PageRefresh refresh_;
  ChannelOps channels_;
  VolumeLimits volumes_;
  EditHistory history_;
  AbCompare compare_;
  QTimer timer1_;

  QWidget* client_ = nullptr;
  TitleStrip* title_ = nullptr;
  SettingsColumn* settings_ = nullptr;
  QWidget* main_area_ = nullptr;
  TabStrip* tabs_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  GraphPanel* graph_panel_ = nullptr;
  std::unique_ptr<EqualiserGraph> graph_;
  std::unique_ptr<SystemPage> system_;         // after graph_: it shares the graph's drag state
  std::unique_ptr<SpectrumDisplay> spectrum_;  // after graph_: it draws on the graph
  std::unique_ptr<BandWriter> band_writer_;    // the tuning tools' edits; outlives measure_
  std::unique_ptr<MeasureView> measure_;       // made hidden, shown from the spectrum menu
  QComboBox* com_ports_ = nullptr;

  std::function<void(int)> language_listener_;
  std::function<void()> farewell_;
  int held_by_boxes_ = 0;
  bool link_linked_ = false;
  bool show_done_ = false;
  bool first_show_run_ = false;
  bool maximised_ = false;
  QRect normal_geometry_;
};

}  // namespace kdsp::ui
