#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "preset_test_util.h"
#include "presets/codec/preset_dirs.h"
#include "presets/codec/preset_names.h"
#include "presets/codec/preset_store.h"

namespace kdsp {
namespace {

namespace fs = std::filesystem;
using testing::PatternTable;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

std::vector<std::string> DirEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Preset directories created under a fresh temporary base.
struct PresetSandbox {
  TempDir tmp;
  PresetDirs dirs = ResolvePresetDirs(tmp.path(), "", [](const std::string&) { return true; });
  PresetSandbox() { EXPECT_TRUE(EnsurePresetDirs(dirs)); }
};

TEST(PresetDirsTest, BesideTheExecutableWhenWritableElseTheDataDirectory) {
  std::vector<std::string> probed;
  auto probe = [&](bool answer) {
    return [&probed, answer](const std::string& dir) {
      probed.push_back(dir);
      return answer;
    };
  };
  const PresetDirs exe = ResolvePresetDirs("/opt/kdsp/", "/home/u/.local/share/kdsp", probe(true));
  EXPECT_EQ(probed, std::vector<std::string>{"/opt/kdsp/"});
  EXPECT_EQ(exe.base, "/opt/kdsp");
  EXPECT_EQ(exe.root, "/opt/kdsp/Mode");
  EXPECT_EQ(exe.mode_dir, "/opt/kdsp/Mode/Z7Mode");
  EXPECT_EQ(exe.eq_dir, "/opt/kdsp/Mode/HintMode");
  EXPECT_EQ(&exe.DirOf(PresetKind::kMode), &exe.mode_dir);
  EXPECT_EQ(&exe.DirOf(PresetKind::kEq), &exe.eq_dir);

  const PresetDirs data = ResolvePresetDirs("/usr/bin", "/home/u/.local/share/kdsp", probe(false));
  EXPECT_EQ(data.mode_dir, "/home/u/.local/share/kdsp/Mode/Z7Mode");
  EXPECT_EQ(data.eq_dir, "/home/u/.local/share/kdsp/Mode/HintMode");
  // Without a fallback the executable's directory is kept, writable or not.
  EXPECT_EQ(ResolvePresetDirs("/usr/bin", "", probe(false)).root, "/usr/bin/Mode");
  EXPECT_EQ(ResolvePresetDirs("/", "/data", probe(true)).root, "/Mode");
}

// An installed program (in the bin directory of its installation) keeps its presets in the
// user's data folder whoever runs it, root included; a build or an unpacked folder keeps them
// beside the program while that folder is writable.
TEST(PresetDirsTest, InstalledProgramsKeepPresetsInTheDataFolderWhoeverRunsThem) {
  struct Case {
    const char* exe_dir;
    bool writable;
    const char* root;
  };
  const Case cases[] = {
      {"/usr/bin", true, "/home/u/.local/share/kdsp/Mode"},
      {"/usr/local/bin/", true, "/home/u/.local/share/kdsp/Mode"},
      {"/opt/kdsp/bin", true, "/home/u/.local/share/kdsp/Mode"},
      {"/home/u/unpacked/usr/bin", true, "/home/u/.local/share/kdsp/Mode"},
      {"/home/u/src/kdsp/build", true, "/home/u/src/kdsp/build/Mode"},
      {"/home/u/kdsp-console-1.1.3/", true, "/home/u/kdsp-console-1.1.3/Mode"},
      {"/home/u/cabin", true, "/home/u/cabin/Mode"},
      {"/home/u/bin.old", true, "/home/u/bin.old/Mode"},
      {"/home/u/kdsp-console-1.1.3", false, "/home/u/.local/share/kdsp/Mode"},
  };
  for (const Case& c : cases) {
    const PresetDirs dirs = ResolvePresetDirs(c.exe_dir, "/home/u/.local/share/kdsp",
                                              [&c](const std::string&) { return c.writable; });
    EXPECT_EQ(dirs.root, c.root) << c.exe_dir;
  }
}

TEST(PresetDirsTest, ProbeAndCreation) {
  TempDir tmp;
  EXPECT_TRUE(IsWritableDirectory(tmp.path()));
  EXPECT_FALSE(IsWritableDirectory(tmp / "missing"));
  WriteText(tmp / "plain", "x");
  EXPECT_FALSE(IsWritableDirectory(tmp / "plain"));
  if (::geteuid() != 0) {  // root writes anywhere
    fs::create_directory(tmp / "ro");
    ::chmod((tmp / "ro").c_str(), 0555);
    EXPECT_FALSE(IsWritableDirectory(tmp / "ro"));
    const PresetDirs dirs = ResolvePresetDirs(tmp / "ro", tmp / "data", IsWritableDirectory);
    EXPECT_EQ(dirs.root, tmp / "data/Mode");
    ::chmod((tmp / "ro").c_str(), 0755);
  }
  const PresetDirs dirs = ResolvePresetDirs(tmp / "fresh", "", IsWritableDirectory);
  EXPECT_TRUE(EnsurePresetDirs(dirs));
  EXPECT_TRUE(fs::is_directory(tmp / "fresh/Mode/Z7Mode"));
  EXPECT_TRUE(fs::is_directory(tmp / "fresh/Mode/HintMode"));
  EXPECT_TRUE(EnsurePresetDirs(dirs));  // existing directories are fine
  const PresetDirs blocked = ResolvePresetDirs(tmp / "plain", "", IsWritableDirectory);
  EXPECT_FALSE(EnsurePresetDirs(blocked));
}

TEST(PresetNamesTest, ListingMasksSortsAndShortens) {
  PresetSandbox box;
  const std::string& dir = box.dirs.mode_dir;
  for (const char* f : {"x.Nddt", "x.Nddtold", "x.Nddt.bak", "abc.nddt", "Beta.NDDT", "模式.Nddt",
                        "eq.EQdt", "readme.txt", ".hidden.Nddt", "Nddt"}) {
    WriteText(dir + "/" + f, "1");
  }
  fs::create_directory(dir + "/folder.Nddt");
  const std::vector<std::string> expected = {"abc", "Beta", "x", "x.Nddt.bak", "x.Nddtold", "模式"};
  EXPECT_EQ(ListPresetFiles(dir, PresetKind::kMode), expected);

  WriteText(box.dirs.eq_dir + "/b.EQdt", "1");
  WriteText(box.dirs.eq_dir + "/A.eqdt", "1");
  WriteText(box.dirs.eq_dir + "/c.Nddt", "1");
  EXPECT_EQ(ListPresetFiles(box.dirs.eq_dir, PresetKind::kEq),
            (std::vector<std::string>{"A", "b"}));
  EXPECT_TRUE(ListPresetFiles(box.tmp / "missing", PresetKind::kMode).empty());

  EXPECT_EQ(ListDisplayName("x.Nddt"), "x");
  EXPECT_EQ(ListDisplayName("x.Nddtold"), "x.Nddtold");
  EXPECT_EQ(ListDisplayName("x.Nddt.bak"), "x.Nddt.bak");
  EXPECT_EQ(ListDisplayName("a.Nddt.Nddt"), "a.Nddt");
  EXPECT_EQ(ListDisplayName("abc.中文字符"), "abc");  // four characters, not four bytes
  EXPECT_EQ(ListDisplayName(".EQdt"), ".EQdt");
  EXPECT_EQ(ListDisplayName("dt"), "dt");
  EXPECT_TRUE(MatchesListMask(PresetKind::kMode, "a.nDdT"));
  EXPECT_FALSE(MatchesListMask(PresetKind::kMode, "a.EQdt"));
  EXPECT_FALSE(MatchesListMask(PresetKind::kEq, ".a.EQdt"));
}

TEST(PresetNamesTest, TypedNamesThatLeaveTheDirectoryAreRefused) {
  EXPECT_EQ(CheckPresetName(""), NameCheck::kEmpty);
  for (const char* ok : {"abc", "ABC", "模式 1", "a.b", "Mode-2 (copy)", "x.Nddtold"}) {
    EXPECT_EQ(CheckPresetName(ok), NameCheck::kOk) << ok;
  }
  for (const char* bad :
       {"../x",     "a/b",          "a\\b",    "..",        "x..y",      ".",
        ".hidden",  "a:b",          "a*",      "a?",        "a|b",       "a\"b",
        "<a>",      "a\tb",         "a\x7f",   "trailing.", "trailing ", "\xff\xfe",
        "\xc0\xaf", "\xed\xa0\x80", "\xe6\xa8"}) {
    EXPECT_EQ(CheckPresetName(bad), NameCheck::kInvalid) << bad;
  }
  EXPECT_EQ(CheckPresetName(std::string("a\0b", 3)), NameCheck::kInvalid);
  EXPECT_EQ(CheckPresetName(std::string(200, 'n')), NameCheck::kOk);
  EXPECT_EQ(CheckPresetName(std::string(201, 'n')), NameCheck::kInvalid);

  PresetSandbox box;
  const ValueTable values = PatternTable(1);
  WriteText(box.dirs.root + "/victim.Nddt", "keep");
  EXPECT_EQ(SavePresetFile(box.dirs, PresetKind::kMode, "../evil", values).status,
            PresetStatus::kBadName);
  EXPECT_EQ(SavePresetFile(box.dirs, PresetKind::kMode, "../victim", values).status,
            PresetStatus::kBadName);
  EXPECT_EQ(DeletePresetFile(box.dirs, PresetKind::kMode, "../victim"), PresetStatus::kBadName);
  ValueTable target;
  EXPECT_EQ(LoadPresetFile(box.dirs, PresetKind::kMode, "../victim", target),
            PresetStatus::kBadName);
  EXPECT_EQ(DirEntries(box.dirs.root),
            (std::vector<std::string>{"HintMode", "Z7Mode", "victim.Nddt"}));
  EXPECT_EQ(ReadText(box.dirs.root + "/victim.Nddt"), "keep");
  EXPECT_TRUE(DirEntries(box.dirs.mode_dir).empty());
}

TEST(PresetStoreTest, SaveListLoadAndOverwriteCheck) {
  PresetSandbox box;
  const ValueTable saved = PatternTable(21);
  ASSERT_EQ(SavePresetFile(box.dirs, PresetKind::kMode, "abc", saved).status, PresetStatus::kOk);
  const std::string path = box.dirs.mode_dir + "/abc.Nddt";
  EXPECT_EQ(PresetFilePath(box.dirs, PresetKind::kMode, "abc"), path);
  EXPECT_EQ(ReadText(path), EncodePresetFile(PresetKind::kMode, saved));
  EXPECT_EQ(DirEntries(box.dirs.mode_dir), std::vector<std::string>{"abc.Nddt"});  // no leftovers

  const std::vector<std::string> table = ListPresetFiles(box.dirs.mode_dir, PresetKind::kMode);
  EXPECT_EQ(table, std::vector<std::string>{"abc"});
  EXPECT_TRUE(NameInTable(table, "abc"));
  EXPECT_FALSE(NameInTable(table, "ABC"));  // case-sensitive: no question for ABC
  EXPECT_FALSE(NameInTable(table, "ab"));

  ValueTable loaded;
  EXPECT_EQ(LoadPresetFile(box.dirs, PresetKind::kMode, "abc", loaded), PresetStatus::kOk);
  EXPECT_EQ(loaded.Get(21, 43), saved.Get(21, 43));
  EXPECT_EQ(loaded.Get(30, 24), saved.Get(30, 24));
  EXPECT_EQ(loaded.Get(22, 0), 0);

  // Saved over: the file is replaced whole.
  const ValueTable second = PatternTable(22);
  ASSERT_EQ(SavePresetFile(box.dirs, PresetKind::kMode, "abc", second).status, PresetStatus::kOk);
  EXPECT_EQ(ReadText(path), EncodePresetFile(PresetKind::kMode, second));

  // A listed "x.Nddtold" is looked up as "x.Nddtold.Nddt" and is not found.
  WriteText(box.dirs.mode_dir + "/x.Nddtold", ReadText(path));
  EXPECT_EQ(LoadPresetFile(box.dirs, PresetKind::kMode, "x.Nddtold", loaded),
            PresetStatus::kNotFound);
  EXPECT_EQ(LoadPresetFile(box.dirs, PresetKind::kMode, "missing", loaded),
            PresetStatus::kNotFound);
  fs::create_directory(box.dirs.mode_dir + "/dir.Nddt");
  EXPECT_EQ(LoadPresetFile(box.dirs, PresetKind::kMode, "dir", loaded), PresetStatus::kNotFound);

  // EQ files go to their own directory.
  ASSERT_EQ(SavePresetFile(box.dirs, PresetKind::kEq, "hall", saved).status, PresetStatus::kOk);
  EXPECT_TRUE(fs::is_regular_file(box.dirs.eq_dir + "/hall.EQdt"));
  EXPECT_EQ(ListPresetFiles(box.dirs.eq_dir, PresetKind::kEq), std::vector<std::string>{"hall"});
}

TEST(PresetStoreTest, DamagedOrOversizedFileOnDiskChangesNothing) {
  PresetSandbox box;
  ASSERT_EQ(SavePresetFile(box.dirs, PresetKind::kEq, "e", PatternTable(2)).status,
            PresetStatus::kOk);
  const std::string path = box.dirs.eq_dir + "/e.EQdt";
  std::string bytes = ReadText(path);
  bytes.insert(bytes.size() - 20, "00");
  WriteText(path, bytes);
  const ValueTable before = PatternTable(3);
  ValueTable target = before;
  EXPECT_EQ(LoadPresetFile(box.dirs, PresetKind::kEq, "e", target), PresetStatus::kCorrupted);
  EXPECT_EQ(target, before);

  WriteText(path, std::string(kMaxPresetFileBytes + 10, '0'));
  EXPECT_EQ(LoadPresetFile(box.dirs, PresetKind::kEq, "e", target), PresetStatus::kCorrupted);
  EXPECT_EQ(target, before);
  EXPECT_EQ(ReadFileBytes(path, 100)->size(), 101u);
}

TEST(PresetStoreTest, InterruptedSaveLeavesTheOldFileIntact) {
  PresetSandbox box;
  const ValueTable old_values = PatternTable(31);
  const ValueTable new_values = PatternTable(32);
  ASSERT_EQ(SavePresetFile(box.dirs, PresetKind::kMode, "live", old_values).status,
            PresetStatus::kOk);
  const std::string path = box.dirs.mode_dir + "/live.Nddt";
  const std::string old_bytes = ReadText(path);

  std::string temp_seen;
  const SaveResult r =
      SavePresetFile(box.dirs, PresetKind::kMode, "live", new_values, [&](const std::string& temp) {
        temp_seen = temp;
        // Fully written beside the target, target untouched.
        EXPECT_EQ(fs::path(temp).parent_path(), fs::path(box.dirs.mode_dir));
        EXPECT_EQ(ReadText(temp), EncodePresetFile(PresetKind::kMode, new_values));
        EXPECT_EQ(ReadText(path), old_bytes);
        return false;  // the save dies here
      });
  EXPECT_EQ(r.status, PresetStatus::kWriteFailed);
  EXPECT_FALSE(temp_seen.empty());
  EXPECT_EQ(ReadText(path), old_bytes);
  EXPECT_EQ(DirEntries(box.dirs.mode_dir), std::vector<std::string>{"live.Nddt"});

  // A temporary file left behind by a crash is hidden from the list.
  WriteText(temp_seen, "partial");
  EXPECT_EQ(ListPresetFiles(box.dirs.mode_dir, PresetKind::kMode),
            std::vector<std::string>{"live"});

  // A directory that cannot be written reports the platform's reason and writes nothing.
  PresetDirs gone = box.dirs;
  gone.mode_dir = box.tmp / "missing";
  const SaveResult failed = SavePresetFile(gone, PresetKind::kMode, "live", new_values);
  EXPECT_EQ(failed.status, PresetStatus::kWriteFailed);
  EXPECT_NE(failed.error.find("No such file"), std::string::npos) << failed.error;
  EXPECT_FALSE(fs::exists(box.tmp / "missing"));
}

TEST(PresetStoreTest, DeleteRemovesOnlyTheNamedFile) {
  PresetSandbox box;
  const ValueTable values = PatternTable(4);
  ASSERT_EQ(SavePresetFile(box.dirs, PresetKind::kMode, "a", values).status, PresetStatus::kOk);
  ASSERT_EQ(SavePresetFile(box.dirs, PresetKind::kMode, "b", values).status, PresetStatus::kOk);
  fs::create_directory(box.dirs.mode_dir + "/d.Nddt");

  EXPECT_EQ(DeletePresetFile(box.dirs, PresetKind::kMode, "a"), PresetStatus::kOk);
  EXPECT_EQ(DeletePresetFile(box.dirs, PresetKind::kMode, "a"), PresetStatus::kNotFound);
  EXPECT_EQ(DeletePresetFile(box.dirs, PresetKind::kMode, "d"), PresetStatus::kNotFound);
  EXPECT_EQ(DeletePresetFile(box.dirs, PresetKind::kEq, "b"), PresetStatus::kNotFound);
  EXPECT_EQ(DirEntries(box.dirs.mode_dir), (std::vector<std::string>{"b.Nddt", "d.Nddt"}));
  EXPECT_EQ(ListPresetFiles(box.dirs.mode_dir, PresetKind::kMode), std::vector<std::string>{"b"});
}

}  // namespace
}  // namespace kdsp
