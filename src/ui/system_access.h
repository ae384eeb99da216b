#pragma once

#include <QObject>
#include <QString>

namespace kdsp::ui {

struct SystemEnv;

/// The hidden service access: a double-click on the link text opens the access edit in the
/// title strip; a code typed there reveals the hidden equaliser page or the auxiliary start
/// volumes. Nothing of it is stored.
class SystemAccess : public QObject {
  Q_OBJECT
 public:
  static constexpr char kMusicCode[] = "SUPPORT5712";
  static constexpr char kFullCode[] = "support2866";
  static constexpr char kAuxCode[] = "531975";

  explicit SystemAccess(SystemEnv& env, QObject* parent = nullptr);
  void Connect();

  /// Double-click on `LinkLabel`.
  void LinkLabelDblClick();
  /// Enter in `SysLogoEdit`: the code compared exactly, case-sensitive.
  void SysLogoEditEnter(const QString& code);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowWidget(const char* name, bool visible);
  /// Places the visible channel tab buttons side by side again, narrower when they would run
  /// into the link status text.
  void LayOutTabs();

  SystemEnv& env_;
  int tab_width_ = 0;  ///< the tab buttons' own width
};

}  // namespace kdsp::ui
