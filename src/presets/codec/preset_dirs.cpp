#include "presets/codec/preset_dirs.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace kdsp {

namespace {

std::string WithoutTrailingSeparator(std::string_view dir) {
  while (!dir.empty() && dir.back() == '/') dir.remove_suffix(1);
  return std::string(dir);  // "/" itself becomes "", so the root reads "/Mode"
}

}  // namespace

bool IsInstalledProgramDir(std::string_view exe_dir) {
  const std::string dir = WithoutTrailingSeparator(exe_dir);
  const std::size_t slash = dir.rfind('/');
  return slash != std::string::npos && dir.compare(slash + 1, std::string::npos, "bin") == 0;
}

PresetDirs ResolvePresetDirs(std::string_view exe_dir, std::string_view fallback_dir,
                             const WritableProbe& writable) {
  const bool use_exe =
      fallback_dir.empty() ||
      (!exe_dir.empty() && !IsInstalledProgramDir(exe_dir) && writable(std::string(exe_dir)));
  PresetDirs dirs;
  dirs.base = WithoutTrailingSeparator(use_exe ? exe_dir : fallback_dir);
  dirs.root = dirs.base + "/Mode";
  dirs.mode_dir = dirs.root + "/" + std::string(TraitsOf(PresetKind::kMode).sub_dir);
  dirs.eq_dir = dirs.root + "/" + std::string(TraitsOf(PresetKind::kEq).sub_dir);
  return dirs;
}

bool IsWritableDirectory(const std::string& dir) {
  std::error_code ec;
  if (dir.empty() || !std::filesystem::is_directory(dir, ec)) return false;
  return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

bool EnsurePresetDirs(const PresetDirs& dirs) {
  bool all = true;
  for (const std::string* dir : {&dirs.root, &dirs.mode_dir, &dirs.eq_dir}) {
    std::error_code ec;
    std::filesystem::create_directories(*dir, ec);
    all = all && std::filesystem::is_directory(*dir, ec);
  }
  return all;
}

}  // namespace kdsp
