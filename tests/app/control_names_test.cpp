// Every control name the code looks up must name a control of the built window, of the class
// the lookup asks for: a misspelt name would otherwise find nothing and be passed over without
// a word. The names come from two places: the slot maps and control lists the registry binds,
// and the string literals handed to Find<T>(...) and findChild<T*>(...) anywhere in the
// sources (product, tools and tests).

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QRegularExpression>
#include <QWidget>

#include <QAction>

#include "app/console_session.h"
#include "model/control_lists.h"
#include "model/slot_map.h"
#include "ui/main_window.h"

namespace kdsp::app {
namespace {

namespace fs = std::filesystem;

/// One lookup of a control by a literal name in the sources.
struct Lookup {
  std::string where;  ///< file:line
  std::string type;   ///< class asked for, without namespace
  std::string name;
};

/// The text of the call's argument list that starts at `open` (just past its '(').
std::string ArgumentsAt(const std::string& text, std::size_t open) {
  int depth = 1;
  std::size_t i = open;
  for (; i < text.size() && depth > 0; ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')') --depth;
  }
  return text.substr(open, i - open);
}

/// True when the literal whose quote is at `quote` is joined to more text by '+' on the side
/// `step` (-1 before, +1 after).
bool JoinedAt(const QString& text, qsizetype quote, int step) {
  for (qsizetype i = quote + step; i >= 0 && i < text.size(); i += step) {
    if (text[i].isSpace()) continue;
    return text[i] == '+';
  }
  return false;
}

/// Every Find<T>("Name") and findChild<T*>("Name") of a source text, literal names only
/// (names built at run time, such as "EQLabelY%1", cannot be checked here). Each literal of the
/// argument counts, so `Find<QWidget>(locked ? "A" : "B")` checks both.
std::vector<Lookup> LookupsIn(const std::string& file, const std::string& text) {
  static const QRegularExpression call(R"((?:\bFind|\bfindChild)\s*<\s*([\w:]+)\s*\*?\s*>\s*\()");
  static const QRegularExpression literal(R"re("([A-Za-z_]\w*)")re");
  std::vector<Lookup> out;
  const QString qtext = QString::fromStdString(text);
  for (auto it = call.globalMatch(qtext); it.hasNext();) {
    const auto m = it.next();
    std::string type = m.captured(1).toStdString();
    type = type.substr(type.rfind(':') == std::string::npos ? 0 : type.rfind(':') + 1);
    const std::string args = ArgumentsAt(text, qtext.left(m.capturedEnd()).toUtf8().size());
    const int line = 1 + qtext.left(m.capturedStart()).count('\n');
    const QString qargs = QString::fromStdString(args);
    for (auto lit = literal.globalMatch(qargs); lit.hasNext();) {
      const auto l = lit.next();
      if (JoinedAt(qargs, l.capturedStart(), -1) || JoinedAt(qargs, l.capturedEnd() - 1, 1)) {
        continue;
      }
      out.push_back({file + ":" + std::to_string(line), type, l.captured(1).toStdString()});
    }
  }
  return out;
}

std::vector<Lookup> LookupsUnder(const std::vector<std::string>& dirs) {
  std::vector<Lookup> all;
  for (const std::string& dir : dirs) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(KDSP_SOURCE_DIR) / dir)) {
      const auto ext = entry.path().extension();
      if (ext != ".cpp" && ext != ".h") continue;
      std::ifstream in(entry.path());
      std::stringstream text;
      text << in.rdbuf();
      const std::string file = fs::relative(entry.path(), KDSP_SOURCE_DIR).string();
      if (file == "tests/app/control_names_test.cpp") continue;  // this file's own examples
      for (Lookup& l : LookupsIn(file, text.str())) all.push_back(std::move(l));
    }
  }
  return all;
}

/// True when `object` is of class `type` or derives from it (namespaces ignored).
bool IsA(const QObject& object, const std::string& type) {
  for (const QMetaObject* m = object.metaObject(); m != nullptr; m = m->superClass()) {
    std::string name = m->className();
    name = name.substr(name.rfind(':') == std::string::npos ? 0 : name.rfind(':') + 1);
    if (name == type) return true;
  }
  return false;
}

class ControlNames : public ::testing::Test {
 protected:
  ControlNames() : session_(ConsoleOptions{}) {}

  /// The control of that name anywhere in the window, or nullptr.
  QObject* Named(const std::string& name) {
    return session_.Window().findChild<QObject*>(QString::fromStdString(name));
  }

  ConsoleSession session_;
};

TEST_F(ControlNames, TheScanFindsLiteralNamesAndTheirClasses) {
  // The scanner itself: a miss here would make the checks below pass over everything.
  const auto found =
      LookupsIn("x.cpp",
                "a\n  registry.Find<ParamEdit>(\"MusGainEdit1\");\n"
                "w.findChild<QLineEdit*>(QStringLiteral(\"IPstrEdit\"));\n"
                "r.Find<QAbstractButton>(on ? \"SysPanelBtn2\" : \"SysPanelBtn1\");\n"
                "r.Find<ui::SwitchButton>(\"A\"); r.Find<QLabel>(\"EQLabelY%1\");\n"
                "root.findChild<QWidget*>(QString::fromStdString(name));\n");
  ASSERT_EQ(found.size(), 5u);
  EXPECT_EQ(found[0].where, "x.cpp:2");
  EXPECT_EQ(found[0].type, "ParamEdit");
  EXPECT_EQ(found[0].name, "MusGainEdit1");
  EXPECT_EQ(found[1].type, "QLineEdit");
  EXPECT_EQ(found[1].name, "IPstrEdit");
  EXPECT_EQ(found[2].name, "SysPanelBtn2");
  EXPECT_EQ(found[3].name, "SysPanelBtn1");
  EXPECT_EQ(found[4].type, "SwitchButton");
  EXPECT_EQ(found[4].name, "A");
  EXPECT_EQ(found[4].where, "x.cpp:5");
  // A literal that is only part of a name built by concatenation is no name of its own.
  EXPECT_TRUE(LookupsIn("y.cpp", "Find<QWidget>((QString(frame) + \"View\").toLatin1())").empty());
  EXPECT_TRUE(LookupsIn("y.cpp", "Find<QWidget>(\"Mus\" + part)").empty());
}

TEST_F(ControlNames, EveryNameLookedUpInTheSourcesIsAControlOfThatClass) {
  // The measurement view's tools make their panels when first opened: open them as a user.
  for (const char* tool : {"FitEqAction", "RingOutAction"}) {
    auto* action = session_.Window().findChild<QAction*>(tool);
    ASSERT_NE(action, nullptr) << tool;
    action->trigger();
  }
  const std::vector<Lookup> lookups = LookupsUnder({"src", "tools", "tests"});
  // The code looks up several hundred controls by name; far fewer means the scan went wrong.
  ASSERT_GT(lookups.size(), 300u);
  std::set<std::string> distinct;
  for (const Lookup& l : lookups) {
    distinct.insert(l.name);
    const QObject* control = Named(l.name);
    if (control == nullptr) {
      ADD_FAILURE() << l.where << ": no control named " << l.name;
    } else if (!IsA(*control, l.type)) {
      ADD_FAILURE() << l.where << ": " << l.name << " is a " << control->metaObject()->className()
                    << ", not a " << l.type;
    }
  }
  EXPECT_GT(distinct.size(), 150u);
}

TEST_F(ControlNames, EveryNameOfTheSlotMapsAndControlListsIsInTheWindow) {
  std::map<std::string, std::string> names;  // name -> where it is listed
  for (const SlotEntry& e : AllSlotEntries()) {
    const std::string where = "slot map " + std::to_string(e.page) + ":" + std::to_string(e.slot);
    for (const std::string& n : {e.primary, e.display}) {
      if (!n.empty()) names.emplace(n, where);
    }
    for (const std::string& n : e.extras) {
      if (!n.empty()) names.emplace(n, where);
    }
  }
  for (const auto& tab : kChannelTabs) names.emplace(std::string(tab.name), "channel tabs");
  auto add_buttons = [&names](const auto& list, const char* where) {
    for (const NamedButton& b : list) names.emplace(std::string(b.name), where);
  };
  add_buttons(kEffectSubTabs, "effect sub-tabs");
  add_buttons(kHiddenPageButtons, "hidden-page buttons");
  add_buttons(kMicSyncButtons, "sync buttons");
  add_buttons(kSceneButtons, "scene buttons");
  add_buttons(kOutputModeButtons, "output-mode buttons");
  for (auto n : kModeButtons) names.emplace(std::string(n), "mode buttons");
  for (int g = 0; g < 8; ++g) {
    for (const std::string& n : BandLabelNames(g)) {
      if (!n.empty()) names.emplace(n, "band labels " + std::to_string(g));
    }
  }
  for (const std::string& n : ReverbBandLabelNames()) {
    if (!n.empty()) names.emplace(n, "reverb band labels");
  }
  ASSERT_GT(names.size(), 300u);
  for (const auto& [name, where] : names) {
    EXPECT_NE(Named(name), nullptr) << where << ": no control named " << name;
  }
}

}  // namespace
}  // namespace kdsp::app
