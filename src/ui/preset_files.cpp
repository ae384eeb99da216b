#include "ui/preset_files.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>

#include "edit/edit_recorder.h"
#include "presets/codec/preset_names.h"
#include "presets/codec/preset_store.h"
#include "presets/codec/preset_texts.h"
#include "ui/app_title.h"
#include "ui/system_env.h"
#include "ui/system_widgets.h"

namespace kdsp::ui {

namespace {

constexpr const char* kListNames[2] = {"ValueListEditor1", "ValueListEditor2"};
constexpr const char* kEditNames[2] = {"FileEdit", "FileEdit2"};
constexpr const char* kLoadButtons[2] = {"RzBmpButton119", "HintLoadPCBtn"};
constexpr const char* kSaveButtons[2] = {"RzBmpButton120", "HintSavetoPCBtn"};
constexpr PresetKind kKinds[2] = {PresetKind::kMode, PresetKind::kEq};

QString FromStd(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

PresetFiles::PresetFiles(SystemEnv& env, QObject* parent) : QObject(parent), env_(env) {}

void PresetFiles::SetDirs(const PresetDirs& dirs) {
  dirs_ = dirs;
  dirs_set_ = true;
}

PresetList* PresetFiles::List(PresetKind kind) const {
  return env_.Find<PresetList>(kListNames[Index(kind)]);
}

QLineEdit* PresetFiles::FileEdit(PresetKind kind) const {
  return env_.Find<QLineEdit>(kEditNames[Index(kind)]);
}

void PresetFiles::FirstShow() {
  if (!dirs_set_) {
    const std::string exe_dir = QCoreApplication::applicationDirPath().toStdString();
    // ~/.local/share/kdsp/kdsp-console, named as the settings file ~/.config/kdsp/...
    const std::string data_dir =
        (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/kdsp/kdsp-console"))
            .toStdString();
    dirs_ = ResolvePresetDirs(exe_dir, data_dir, IsWritableDirectory);
    dirs_set_ = true;
  }
  EnsurePresetDirs(dirs_);  // a failure shows as empty lists and failing saves
  ListPresetFiles(PresetKind::kMode);
  ListPresetFiles(PresetKind::kEq);
}

void PresetFiles::Connect() {
  for (PresetKind kind : kKinds) {
    if (auto* list = List(kind)) {
      connect(list, &QTableWidget::cellClicked, this,
              [this, kind](int row, int) { ListClick(kind, row); });
    }
    if (auto* load = env_.Find<QPushButton>(kLoadButtons[Index(kind)])) {
      connect(load, &QPushButton::clicked, this, [this, kind] { LoadPresetFile(kind); });
    }
    if (auto* save = env_.Find<QPushButton>(kSaveButtons[Index(kind)])) {
      connect(save, &QPushButton::clicked, this, [this, kind] { SavePresetFile(kind); });
    }
  }
  PresetList* modes = List(PresetKind::kMode);
  auto* menu = env_.Find<QMenu>("PopupMenu1");
  if (modes != nullptr && menu != nullptr) {
    connect(modes, &QWidget::customContextMenuRequested, this,
            [modes, menu](const QPoint& at) { menu->popup(modes->viewport()->mapToGlobal(at)); });
  }
  if (auto* remove = env_.Find<QAction>("MenuItem1")) {
    connect(remove, &QAction::triggered, this, [this] { DeleteCurrentModeFile(); });
  }
}

void PresetFiles::Inform(const BiText& text) {
  env_.dialogs->Inform(QString::fromUtf8(kAppTitle), env_.Text(text));
}

void PresetFiles::ListPresetFiles(PresetKind kind) {
  std::vector<std::string>& table = names_[Index(kind)];
  table = kdsp::ListPresetFiles(dirs_.DirOf(kind), kind);
  PresetList* list = List(kind);
  if (list == nullptr) return;
  list->SetNames(table);
  if (QLineEdit* edit = FileEdit(kind)) edit->setText(list->CurrentName());
}

void PresetFiles::SavePresetFile(PresetKind kind) {
  QLineEdit* edit = FileEdit(kind);
  if (edit == nullptr || edit->text().isEmpty()) return;
  const std::string name = edit->text().toStdString();
  // A name that would leave the preset directory, or that the file system cannot take, is
  // refused before anything is written.
  if (CheckPresetName(name) != NameCheck::kOk) {
    Inform(kPresetBadNameText);
    return;
  }
  if (NameInTable(names_[Index(kind)], name) &&
      !env_.dialogs->Ask(env_.Text(kOverwriteCaptionText), env_.Text(kOverwriteQuestionText),
                         SystemDialogs::Buttons::kOkCancel)) {
    return;
  }
  // Written to a temporary file beside the old one and renamed over it: an interrupted save
  // leaves the old preset as it was.
  const SaveResult result = kdsp::SavePresetFile(dirs_, kind, name, env_.ctx.device_values);
  if (result.status != PresetStatus::kOk) {
    env_.dialogs->Error(FromStd(result.error));
    return;
  }
  ListPresetFiles(kind);
}

void PresetFiles::LoadPresetFile(PresetKind kind) {
  QLineEdit* edit = FileEdit(kind);
  if (edit == nullptr) return;
  const std::string name = edit->text().toStdString();
  if (!env_.dialogs->Ask(QString::fromUtf8(kQuestionCaption.data(), kQuestionCaption.size()),
                         FromStd(LoadQuestion(name, env_.Lang())),
                         SystemDialogs::Buttons::kYesNo)) {
    return;
  }
  // Nothing typed names no file. Otherwise the whole file is read and checked first; a damaged
  // file changes no value at all.
  PresetStatus status = PresetStatus::kNotFound;
  if (!name.empty()) {
    // The values before the load are one undo step; undoing it downloads them as a load does.
    RecordedScope step(env_.ctx.recorder, env_.ctx.device_values,
                       kind == PresetKind::kMode ? StepReload::kAllPages : StepReload::kHintPages);
    status = kdsp::LoadPresetFile(dirs_, kind, name, env_.ctx.device_values);
  }
  if (status != PresetStatus::kOk) {
    const std::string_view text = PresetStatusText(status, env_.Lang());
    env_.dialogs->Inform(QString::fromUtf8(kAppTitle),
                         QString::fromUtf8(text.data(), static_cast<int>(text.size())));
    return;
  }
  // Offline the values wait in the device table until the next read replaces them.
  if (!env_.Online() || env_.link == nullptr) return;
  if (kind == PresetKind::kMode) {
    env_.link->StartFullWrite();
  } else {
    env_.link->StartHintWrite();
  }
}

void PresetFiles::DeleteCurrentModeFile() {
  PresetList* list = List(PresetKind::kMode);
  if (list == nullptr) return;
  const std::string name = list->CurrentName().toStdString();
  if (CheckPresetName(name) != NameCheck::kOk) return;
  const std::string path = PresetFilePath(dirs_, PresetKind::kMode, name);
  if (!env_.dialogs->Ask(QString::fromUtf8(kQuestionCaption.data(), kQuestionCaption.size()),
                         FromStd(DeleteQuestion(path, env_.Lang())),
                         SystemDialogs::Buttons::kOkCancel)) {
    return;
  }
  kdsp::DeletePresetFile(dirs_, PresetKind::kMode, name);  // a failure is silent
  ListPresetFiles(PresetKind::kMode);
}

void PresetFiles::ListClick(PresetKind kind, int row) {
  PresetList* list = List(kind);
  QLineEdit* edit = FileEdit(kind);
  if (list == nullptr || edit == nullptr || row < 0 || row >= list->rowCount()) return;
  edit->setText(list->NameAt(row));
  if (env_.window.ShowDone()) edit->setFocus(Qt::MouseFocusReason);
}

}  // namespace kdsp::ui
