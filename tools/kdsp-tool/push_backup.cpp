#include "kdsp-tool/push_backup.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <filesystem>

#include "presets/codec/preset_codec.h"
#include "presets/codec/preset_store.h"

namespace kdsp::tool {

namespace fs = std::filesystem;

std::string DefaultBackupDir() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  return QDir(data).filePath(QStringLiteral("backups")).toStdString();
}

std::string PrepareBackupDir(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return dir + ": cannot create the backup folder: " + ec.message();
  if (!fs::is_directory(dir, ec)) return dir + ": not a folder";
  return {};
}

std::string BackupStamp() {
  return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
}

BackupResult SaveBackup(const std::string& dir, const Endpoint& box, const std::string& stamp,
                        PresetKind kind, const ValueTable& values) {
  // An IPv6 address's colons have no place in a file name.
  std::string host = box.host;
  std::replace(host.begin(), host.end(), ':', '-');
  const std::string base = host + "_" + std::to_string(box.port) + "-" + stamp;
  const std::string extension(TraitsOf(kind).extension);
  std::string path = (fs::path(dir) / (base + extension)).string();
  std::error_code ec;
  for (int n = 2; fs::exists(path, ec); ++n) {
    path = (fs::path(dir) / (base + "-" + std::to_string(n) + extension)).string();
  }
  const SaveResult r = WriteFileReplacing(path, EncodePresetFile(kind, values));
  if (r.status != PresetStatus::kOk) return {{}, "cannot write the backup " + r.error};
  return {path, {}};
}

}  // namespace kdsp::tool
