#include "presets/codec/preset_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "presets/codec/preset_names.h"

namespace kdsp {

namespace fs = std::filesystem;

namespace {

std::string ErrnoText(int err) { return std::error_code(err, std::generic_category()).message(); }

SaveResult Failed(std::string error) { return {PresetStatus::kWriteFailed, std::move(error)}; }

// Writes all of `bytes` to a new file and forces it to disk; returns 0 or the errno.
int WriteWholeFile(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  int err = 0;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

}  // namespace

std::string PresetFilePath(const PresetDirs& dirs, PresetKind kind, std::string_view name) {
  return dirs.DirOf(kind) + "/" + std::string(name) + std::string(TraitsOf(kind).extension);
}

SaveResult WriteFileReplacing(const std::string& path, std::string_view bytes,
                              const CommitGate& gate) {
  const fs::path target(path);
  // Hidden, so a temporary file left by a crash never shows in a list.
  const fs::path temp = target.parent_path() / ("." + target.filename().string() + "." +
                                                std::to_string(::getpid()) + ".tmp");
  if (const int err = WriteWholeFile(temp.string(), bytes); err != 0) {
    std::error_code ec;
    fs::remove(temp, ec);
    return Failed(path + ": " + ErrnoText(err));
  }
  if (gate && !gate(temp.string())) {
    std::error_code ec;
    fs::remove(temp, ec);
    return Failed(path + ": not written");
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return Failed(path + ": " + ec.message());
  }
  return {};
}

SaveResult SavePresetFile(const PresetDirs& dirs, PresetKind kind, std::string_view name,
                          const ValueTable& device_values, const CommitGate& gate) {
  if (CheckPresetName(name) != NameCheck::kOk) return {PresetStatus::kBadName, {}};
  return WriteFileReplacing(PresetFilePath(dirs, kind, name), EncodePresetFile(kind, device_values),
                            gate);
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t max_bytes) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  bool failed = false;
  while (bytes.size() <= max_bytes) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (failed) return std::nullopt;
  if (bytes.size() > max_bytes) bytes.resize(max_bytes + 1);
  return bytes;
}

DecodedPreset ReadPresetFile(const std::string& path, PresetKind kind) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return {PresetStatus::kNotFound, {}};
  if (bytes->size() > kMaxPresetFileBytes) return {PresetStatus::kCorrupted, {}};
  return DecodePresetFile(kind, *bytes);
}

PresetStatus LoadPresetFile(const PresetDirs& dirs, PresetKind kind, std::string_view name,
                            ValueTable& device_values) {
  if (CheckPresetName(name) != NameCheck::kOk) return PresetStatus::kBadName;
  const DecodedPreset decoded = ReadPresetFile(PresetFilePath(dirs, kind, name), kind);
  if (decoded.status == PresetStatus::kOk) ApplyPresetEntries(kind, decoded.entries, device_values);
  return decoded.status;
}

PresetStatus DeletePresetFile(const PresetDirs& dirs, PresetKind kind, std::string_view name) {
  if (CheckPresetName(name) != NameCheck::kOk) return PresetStatus::kBadName;
  const fs::path path(PresetFilePath(dirs, kind, name));
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (ec || !(fs::is_regular_file(st) || fs::is_symlink(st))) return PresetStatus::kNotFound;
  return fs::remove(path, ec) && !ec ? PresetStatus::kOk : PresetStatus::kDeleteFailed;
}

}  // namespace kdsp
