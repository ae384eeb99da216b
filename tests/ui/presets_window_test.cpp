// Preset files through the window: save with its overwrite question, load with its question,
// the complete check before anything is applied and the download that follows online, the
// lists with their click and the delete from the list's menu.

#include <fstream>
#include <sstream>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "presets/codec/preset_codec.h"
#include "presets/codec/preset_kind.h"
#include "presets/codec/preset_scramble.h"
#include "system_test_fixture.h"
#include "ui/system_widgets.h"

namespace kdsp::testing {
namespace {

/// The plain lines of a stored file (CR LF line ends).
std::vector<std::string> PlainLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string bytes = buffer.str();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(UnscrambleLine(bytes.substr(start, end - start)).value_or("?"));
    start = end + 2;
  }
  return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& plain) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : plain) out << ScrambleLine(line) << "\r\n";
}

/// The value a data line carries (line k holds the value XOR k).
int ValueOnLine(const std::vector<std::string>& plain, int k) {
  std::istringstream fields(plain.at(k));
  int addr = 0, value = 0;
  fields >> addr >> value;
  return value ^ k;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

/// Distinct values in every slot a mode file writes.
void FillPattern(ValueTable& t, int salt) {
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot <= LastWrittenSlot(page); ++slot) {
      t.Set(page, slot, (page * 37 + slot * 11 + salt) % 500 + 1);
    }
  }
}

class PresetWindowTest : public SystemTest {
 protected:
  void Save(const char* edit, const char* button, const QString& name) {
    Find<QLineEdit>(edit)->setText(name);
    Click(button);
  }
  void SaveMode(const QString& name) { Save("FileEdit", "RzBmpButton120", name); }
  void LoadMode(const QString& name) { Save("FileEdit", "RzBmpButton119", name); }
  std::string ModePath(const std::string& name) const { return dirs_.mode_dir + "/" + name; }
  QString Cell(const char* list, int row, int column) {
    QTableWidgetItem* item = Find<QTableWidget>(list)->item(row, column);
    return item != nullptr ? item->text() : QString("<none>");
  }
};

TEST_F(PresetWindowTest, ModeFileRoundTripRestoresTheLoadedPagesAndDownloadsOnlyOnline) {
  // The directories were made at first show.
  EXPECT_TRUE(QDir(QString::fromStdString(dirs_.mode_dir)).exists());
  EXPECT_TRUE(QDir(QString::fromStdString(dirs_.eq_dir)).exists());

  FillPattern(device_, 0);
  device_.Set(0, 0, 0);
  const ValueTable saved = device_;
  SaveMode("abc");
  EXPECT_TRUE(dialogs_.shown.empty());  // a new name asks nothing
  // The line format itself is the codec's; here the file, its length and the zero line.
  const std::vector<std::string> lines = PlainLines(ModePath("abc.Nddt"));
  ASSERT_EQ(lines.size(), 1907u);
  EXPECT_EQ(lines[2], "2 2");  // address 0 and value 0, each XOR 2
  EXPECT_EQ(Find<QTableWidget>("ValueListEditor1")->rowCount(), 1);
  EXPECT_EQ(Cell("ValueListEditor1", 0, 0), "0");
  EXPECT_EQ(Cell("ValueListEditor1", 0, 1), "abc");
  EXPECT_EQ(Files().NameTable(PresetKind::kMode), std::vector<std::string>{"abc"});

  FillPattern(device_, 250);
  const ValueTable changed = device_;
  LoadMode("abc");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_TRUE(dialogs_.shown[0].question);
  EXPECT_EQ(dialogs_.shown[0].caption, "Confirm");
  EXPECT_EQ(dialogs_.shown[0].text, QString::fromUtf8("加载模式：abc ?"));
  EXPECT_EQ(dialogs_.shown[0].buttons, ui::SystemDialogs::Buttons::kYesNo);
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const bool applied = page <= 21 || (page == 30 && (slot == 23 || slot == 24));
      const int want = applied ? saved.Get(page, slot) : changed.Get(page, slot);
      ASSERT_EQ(device_.Get(page, slot), want) << page << "." << slot;
    }
  }
  EXPECT_EQ(sys_link_.calls, std::vector<std::string>{"full-write"});

  // No keeps everything; offline the values are stored and nothing is downloaded.
  device_.Set(3, 4, 777);
  dialogs_.answers = {false};
  LoadMode("abc");
  EXPECT_EQ(device_.Get(3, 4), 777);
  link_.online = false;
  LoadMode("abc");
  EXPECT_EQ(device_.Get(3, 4), saved.Get(3, 4));
  EXPECT_EQ(sys_link_.calls.size(), 1u);
}

TEST_F(PresetWindowTest, EqFileRoundTripTouchesOnlyTheHiddenEqualiserPages) {
  FillPattern(device_, 3);
  const ValueTable saved = device_;
  Save("FileEdit2", "HintSavetoPCBtn", "tone");
  const std::vector<std::string> lines = PlainLines(dirs_.eq_dir + "/tone.EQdt");
  ASSERT_EQ(lines.size(), 85u);
  EXPECT_EQ(Cell("ValueListEditor2", 0, 1), "tone");
  // The EQ list does not show mode files and the other way round.
  EXPECT_EQ(Find<QTableWidget>("ValueListEditor1")->rowCount(), 0);

  FillPattern(device_, 99);
  const ValueTable changed = device_;
  Save("FileEdit2", "HintLoadPCBtn", "tone");
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const bool applied = page >= 22 && page <= 24;
      ASSERT_EQ(device_.Get(page, slot), applied ? saved.Get(page, slot) : changed.Get(page, slot))
          << page << "." << slot;
    }
  }
  EXPECT_EQ(sys_link_.calls, std::vector<std::string>{"hint-write"});
}

TEST_F(PresetWindowTest, DamagedFilesChangeNothingAndSayWhyOnce) {
  FillPattern(device_, 5);
  SaveMode("good");
  const std::vector<std::string> good = PlainLines(ModePath("good.Nddt"));
  ASSERT_EQ(good.size(), 1907u);
  FillPattern(device_, 40);
  const ValueTable before = device_;
  Window().ApplyLanguage(0);

  auto load_variant = [&](const char* name, std::vector<std::string> plain) {
    WriteLines(ModePath(std::string(name) + ".Nddt"), plain);
    dialogs_.shown.clear();
    LoadMode(name);
  };
  // A wrong header number is a format error; the tags themselves are not compared.
  std::vector<std::string> header = good;
  header[0] = "R3 117";
  load_variant("header", header);
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[1].text, "File format error!");
  EXPECT_EQ(dialogs_.shown[1].caption, "KaraoKe Digital Signal Processor");
  EXPECT_EQ(device_, before);

  // One data line missing, or one value changed by one: corrupted, and nothing applied.
  std::vector<std::string> short_file = good;
  short_file.erase(short_file.begin() + 500);
  load_variant("short", short_file);
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[1].text, "Data file is corrupted!");
  EXPECT_EQ(device_, before);

  // Line 10 holds slot 8 of page 0; its value one more.
  std::vector<std::string> changed = good;
  changed[10] = std::to_string(8 ^ 10) + " " + std::to_string((ValueOnLine(good, 10) + 1) ^ 10);
  load_variant("changed", changed);
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[1].text, "Data file is corrupted!");
  EXPECT_EQ(device_, before);
  EXPECT_TRUE(sys_link_.calls.empty());

  // A missing file; then the other tag is fine.
  dialogs_.shown.clear();
  LoadMode("nothing");
  EXPECT_EQ(dialogs_.LastText(), "File not find!");
  std::vector<std::string> tag = good;
  tag[0] = "ZZ 116";
  load_variant("tag", tag);
  EXPECT_EQ(dialogs_.shown.size(), 1u);  // only the question
  EXPECT_EQ(device_.Get(0, 8), ValueOnLine(good, 10));
  EXPECT_EQ(sys_link_.calls, std::vector<std::string>{"full-write"});
}

TEST_F(PresetWindowTest, OverwriteQuestionComesOnlyForTheExactName) {
  device_.Set(0, 6, 3);
  SaveMode("abc");
  // Another case is another name: no question, a second file.
  SaveMode("ABC");
  EXPECT_EQ(dialogs_.Questions(), 0);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(ModePath("ABC.Nddt"))));
  EXPECT_EQ(Files().NameTable(PresetKind::kMode), (std::vector<std::string>{"ABC", "abc"}));

  // The same name asks; Cancel keeps the old file as it was.
  device_.Set(0, 6, 9);
  dialogs_.answers = {false};
  SaveMode("abc");
  ASSERT_EQ(dialogs_.Questions(), 1);
  EXPECT_EQ(dialogs_.shown.back().caption, QString::fromUtf8("*系统提示*"));
  EXPECT_EQ(dialogs_.shown.back().text, QString::fromUtf8("文件已存在,覆盖它吗?"));
  EXPECT_EQ(dialogs_.shown.back().buttons, ui::SystemDialogs::Buttons::kOkCancel);
  // Line 8 holds slot 6 of page 0: address and value each XOR 8.
  EXPECT_EQ(ValueOnLine(PlainLines(ModePath("abc.Nddt")), 8), 3);
  // OK writes it, and no temporary file is left beside it.
  Window().ApplyLanguage(0);
  SaveMode("abc");
  EXPECT_EQ(dialogs_.shown.back().caption, "*Confirm*");
  EXPECT_EQ(dialogs_.shown.back().text, "File already exists, overwrite it right?");
  EXPECT_EQ(ValueOnLine(PlainLines(ModePath("abc.Nddt")), 8), 9);
  EXPECT_EQ(QDir(QString::fromStdString(dirs_.mode_dir))
                .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)
                .size(),
            2);
  // Nothing typed: nothing at all.
  const std::size_t shown = dialogs_.shown.size();
  SaveMode("");
  EXPECT_EQ(dialogs_.shown.size(), shown);
}

TEST_F(PresetWindowTest, NamesThatLeaveTheDirectoryAreRefused) {
  const QDir root(QString::fromStdString(dirs_.root));
  const QStringList root_before = root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  for (const char* name : {"../evil", "a/b", "..", "x:y", "a\\b"}) {
    dialogs_.shown.clear();
    SaveMode(QString::fromUtf8(name));
    ASSERT_EQ(dialogs_.shown.size(), 1u) << name;
    EXPECT_FALSE(dialogs_.shown[0].question) << name;
    EXPECT_EQ(dialogs_.shown[0].text, QString::fromUtf8("文件名无效!")) << name;
  }
  EXPECT_EQ(root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), root_before);
  EXPECT_TRUE(QDir(QString::fromStdString(dirs_.mode_dir)).isEmpty());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dirs_.root + "/evil.Nddt")));

  // A load of such a name reads nothing outside either.
  WriteLines(dirs_.root + "/outside.Nddt", {"R3 116"});
  const ValueTable before = device_;
  dialogs_.shown.clear();
  LoadMode("../outside");
  EXPECT_EQ(dialogs_.LastText(), QString::fromUtf8("文件名无效!"));
  EXPECT_EQ(device_, before);
}

TEST_F(PresetWindowTest, ListShowsNamesWithoutExtensionAndAClickPicksTheName) {
  for (const char* f : {"b.Nddt", "A.Nddt", "x.Nddtold", "x.Nddt.bak", "c.EQdt"}) {
    Touch(ModePath(f));
  }
  QDir(QString::fromStdString(dirs_.mode_dir)).mkdir("d.Nddt");  // a directory: not listed
  Files().ListPresetFiles(PresetKind::kMode);
  auto* list = Find<QTableWidget>("ValueListEditor1");
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "NO.");
  EXPECT_EQ(list->horizontalHeaderItem(1)->text(), "File Name");
  ASSERT_EQ(list->rowCount(), 4);
  const char* expected[4] = {"A", "b", "x.Nddt.bak", "x.Nddtold"};
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(Cell("ValueListEditor1", r, 0), QString::number(r));
    EXPECT_EQ(Cell("ValueListEditor1", r, 1), expected[r]);
  }
  // The edit shows the current row's name; a click copies its row and moves the focus.
  auto* edit = Find<QLineEdit>("FileEdit");
  EXPECT_EQ(edit->text(), "A");
  Window().System().Files().ListClick(PresetKind::kMode, 3);
  EXPECT_EQ(edit->text(), "x.Nddtold");
  EXPECT_TRUE(edit->hasFocus());
  // The list takes no typing.
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);

  // Loading a name listed whole looks for that name plus the extension, which is not there.
  Window().ApplyLanguage(0);
  Click("RzBmpButton119");
  EXPECT_EQ(dialogs_.shown[0].text, QString::fromUtf8("Load File Data：x.Nddtold ?"));
  EXPECT_EQ(dialogs_.LastText(), "File not find!");
}

TEST_F(PresetWindowTest, DeleteAsksWithTheFullPathAndCancelKeepsTheFile) {
  SaveMode("first");
  SaveMode("second");
  auto* list = Find<QTableWidget>("ValueListEditor1");
  ASSERT_EQ(list->rowCount(), 2);
  list->setCurrentCell(1, 1);
  auto* remove = Find<QAction>("MenuItem1");
  EXPECT_EQ(remove->text(), QString::fromUtf8("刪除"));

  dialogs_.answers = {false};
  remove->trigger();
  ASSERT_EQ(dialogs_.Questions(), 1);
  EXPECT_EQ(dialogs_.shown.back().caption, "Confirm");
  EXPECT_EQ(dialogs_.shown.back().buttons, ui::SystemDialogs::Buttons::kOkCancel);
  EXPECT_TRUE(dialogs_.shown.back().text.contains(QString::fromStdString(ModePath("second.Nddt"))));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(ModePath("second.Nddt"))));

  remove->trigger();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(ModePath("second.Nddt"))));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(ModePath("first.Nddt"))));
  EXPECT_EQ(list->rowCount(), 1);
  EXPECT_EQ(Files().NameTable(PresetKind::kMode), std::vector<std::string>{"first"});
}

}  // namespace
}  // namespace kdsp::testing
