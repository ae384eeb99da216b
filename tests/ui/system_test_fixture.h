#pragma once

// The whole window with the system page's seams replaced: a link that records the operations
// the system page starts, message boxes that record what they would show and answer as told,
// and preset directories in a fresh temporary directory.

#include <deque>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "presets/codec/preset_dirs.h"
#include "ui/preset_files.h"
#include "ui/system_dialogs.h"
#include "ui/system_link.h"
#include "ui/system_page.h"
#include "ui_fixture.h"

namespace kdsp::testing {

/// Records every operation as a short text, e.g. "store-hint 1 Duet".
class FakeSystemLink : public ui::SystemLink {
 public:
  std::vector<std::string> calls;
  std::string password = "2468";

  void StartFullWrite() override { calls.push_back("full-write"); }
  void StartHintWrite() override { calls.push_back("hint-write"); }
  void LoadDeviceMode(int index) override { calls.push_back("load-mode " + Num(index)); }
  void LoadHintMode(int index) override { calls.push_back("load-hint " + Num(index)); }
  void StoreDeviceMode(int index, std::string_view name) override {
    calls.push_back("store-mode " + Num(index) + " " + std::string(name));
  }
  void StoreHintMode(int index, std::string_view name) override {
    calls.push_back("store-hint " + Num(index) + " " + std::string(name));
  }
  void SendUserPassword(std::string_view text) override {
    calls.push_back("password " + std::string(text));
  }
  void SendBluetoothName(std::string_view text) override {
    calls.push_back("bluetooth " + std::string(text));
  }
  std::string UserPasswordText() const override { return password; }
  void SetUserPasswordText(std::string text) override { password = std::move(text); }

 private:
  static std::string Num(int n) { return std::to_string(n); }
};

/// Message boxes that answer from a script (Yes/OK when it runs dry) and remember what they
/// showed.
class FakeDialogs : public ui::SystemDialogs {
 public:
  struct Shown {
    QString caption;
    QString text;
    bool question = false;
    Buttons buttons = Buttons::kYesNo;
  };
  std::vector<Shown> shown;
  std::deque<bool> answers;

  bool Ask(const QString& caption, const QString& text, Buttons buttons) override {
    shown.push_back({caption, text, true, buttons});
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Inform(const QString& caption, const QString& text) override {
    shown.push_back({caption, text, false, Buttons::kYesNo});
  }
  void Error(const QString& text) override { shown.push_back({"error", text, false}); }

  int Questions() const {
    int n = 0;
    for (const Shown& s : shown) n += s.question ? 1 : 0;
    return n;
  }
  QString LastText() const { return shown.empty() ? QString() : shown.back().text; }
};

/// The whole window of WindowTest with the system page's seams replaced as well.
class SystemTest : public WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    dirs_ = ResolvePresetDirs(temp_.path().toStdString(), "", IsWritableDirectory);
    WindowTest::SetUp();
  }
  void BeforeShow() override {
    window_->System().SetLink(&sys_link_);
    window_->System().SetDialogs(&dialogs_);
    window_->System().Files().SetDirs(dirs_);
  }

  void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
  ui::PresetFiles& Files() { return window_->System().Files(); }

  QTemporaryDir temp_;
  PresetDirs dirs_;
  FakeSystemLink sys_link_;
  FakeDialogs dialogs_;
};

}  // namespace kdsp::testing
