// The console's command line as read in-process, in both languages.

#include <gtest/gtest.h>

#include "app/console_options.h"

namespace kdsp::app {
namespace {

using Action = ConsoleCommandLine::Action;

ConsoleCommandLine Parse(QStringList args, int lang = 0) {
  args.prepend("kdsp-console");
  return ParseConsoleCommandLine(args, lang);
}

TEST(ConsoleOptions, HostPortAndDemoReachTheStartUp) {
  const auto plain = Parse({});
  EXPECT_EQ(plain.action, Action::kRun);
  EXPECT_TRUE(plain.options.host.isEmpty());
  EXPECT_TRUE(plain.options.port.isEmpty());
  EXPECT_FALSE(plain.options.demo);

  const auto given = Parse({"--host", "192.168.8.20", "--port", "9000", "--demo"});
  ASSERT_EQ(given.action, Action::kRun) << given.text.toStdString();
  EXPECT_EQ(given.options.host, "192.168.8.20");
  EXPECT_EQ(given.options.port, "9000");
  EXPECT_TRUE(given.options.demo);

  // Values are passed on as typed; the window's fields judge them as a user's typing would.
  const auto joined = Parse({"--host=box.local", "--port=08899"});
  ASSERT_EQ(joined.action, Action::kRun);
  EXPECT_EQ(joined.options.host, "box.local");
  EXPECT_EQ(joined.options.port, "08899");
}

TEST(ConsoleOptions, HelpListsEveryOptionInEitherLanguage) {
  for (const char* spelling : {"--help", "-h", "-?"}) {
    const auto en = Parse({spelling}, 0);
    ASSERT_EQ(en.action, Action::kHelp) << spelling;
    EXPECT_TRUE(en.text.startsWith("Usage: kdsp-console [options]\n")) << en.text.toStdString();
    for (const char* word : {"--host ADDRESS", "--port PORT", "--demo", "--help", "--version"}) {
      EXPECT_TRUE(en.text.contains(word)) << word;
    }
  }
  const auto zh = Parse({"--help"}, 1);
  ASSERT_EQ(zh.action, Action::kHelp);
  EXPECT_TRUE(zh.text.startsWith(QString::fromUtf8("用法：kdsp-console [选项]\n")));
  EXPECT_TRUE(zh.text.contains(QString::fromUtf8("显示版本并退出")));
  EXPECT_TRUE(zh.text.contains("--host ADDRESS"));
  EXPECT_FALSE(zh.text.contains("Usage"));
  // Help wins over the options beside it, and the window is not started.
  EXPECT_EQ(Parse({"--demo", "--help"}).action, Action::kHelp);
}

TEST(ConsoleOptions, VersionIsTheProjectVersion) {
  for (const char* spelling : {"--version", "-v"}) {
    const auto v = Parse({spelling});
    ASSERT_EQ(v.action, Action::kVersion);
    EXPECT_EQ(v.text, "kdsp-console " KDSP_VERSION "\n");
  }
}

TEST(ConsoleOptions, WrongCommandLinesNameTheFault) {
  const auto unknown = Parse({"--demo", "--hots", "10.0.0.1"});
  ASSERT_EQ(unknown.action, Action::kError);
  EXPECT_TRUE(unknown.text.startsWith("kdsp-console: unknown option '--hots'\n"))
      << unknown.text.toStdString();
  EXPECT_TRUE(unknown.text.contains("--help"));

  for (const char* option : {"--host", "--port", "-port"}) {
    const auto missing = Parse({"--demo", option});
    ASSERT_EQ(missing.action, Action::kError) << option;
    EXPECT_TRUE(
        missing.text.startsWith(QString("kdsp-console: option '%1' needs a value\n").arg(option)))
        << missing.text.toStdString();
    const auto zh = Parse({"--demo", option}, 1);
    EXPECT_TRUE(zh.text.startsWith(QString::fromUtf8("kdsp-console: 选项“%1”缺少值\n").arg(option)))
        << zh.text.toStdString();
  }
  // A value option followed by another option takes it as its value, as it always has.
  EXPECT_EQ(Parse({"--host", "--demo"}).options.host, "--demo");

  const auto stray = Parse({"10.0.0.1"});
  ASSERT_EQ(stray.action, Action::kError);
  EXPECT_TRUE(stray.text.contains("unexpected argument '10.0.0.1'"));

  const auto flag_value = Parse({"--demo=yes"});
  EXPECT_EQ(flag_value.action, Action::kError);

  const auto zh = Parse({"--bogus"}, 1);
  ASSERT_EQ(zh.action, Action::kError);
  EXPECT_TRUE(zh.text.startsWith(QString::fromUtf8("kdsp-console: 未知选项“--bogus”\n")))
      << zh.text.toStdString();
}

TEST(ConsoleOptions, OnlySingleDashWordsAreLeftToQt) {
  EXPECT_TRUE(MayHoldQtOptions({"kdsp-console", "-platform", "offscreen"}));
  EXPECT_TRUE(MayHoldQtOptions({"kdsp-console", "--demo", "-style=fusion"}));
  EXPECT_FALSE(MayHoldQtOptions({"kdsp-console", "--bogus", "-h", "-?"}));
  // The program's own name is not an option, whatever it looks like.
  EXPECT_FALSE(MayHoldQtOptions({"-weird-name", "--demo"}));
}

}  // namespace
}  // namespace kdsp::app
