// The documentation's window grabber still builds the console's window and writes it out.

#include <gtest/gtest.h>
#include <QImage>
#include <QTemporaryDir>

#include "support/program_run.h"

namespace kdsp::app {
namespace {

using kdsp::testing::ProgramRun;

const std::vector<std::pair<std::string, std::string>> kOffscreen = {
    {"QT_QPA_PLATFORM", "offscreen"}, {"LC_ALL", "C.UTF-8"}};

TEST(ScreenshotProgram, GrabsTheWholeWindowIntoThePngAskedFor) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string file = dir.filePath("mic-en.png").toStdString();
  const ProgramRun run = kdsp::testing::RunProgram(
      KDSP_SCREENSHOT_PROGRAM, {file, "--language", "en", "--tab", "2", "--delay", "0"}, {},
      kOffscreen);
  ASSERT_EQ(run.status, 0) << run.err;
  const QImage image(QString::fromStdString(file));
  ASSERT_FALSE(image.isNull());
  // The window at its design size, not a part of it.
  EXPECT_EQ(image.size(), QSize(1207, 611));
}

TEST(ScreenshotProgram, WrongCommandLinesWriteNothing) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("x.png").toStdString();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {file, "--tab"}, {file, "--frobnicate"}, {file, file}}) {
    const ProgramRun run = kdsp::testing::RunProgram(KDSP_SCREENSHOT_PROGRAM, args, {}, kOffscreen);
    EXPECT_EQ(run.status, 2) << args.size();
    EXPECT_NE(run.err.find("kdsp-screenshot: "), std::string::npos) << run.err;
  }
  EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
}

}  // namespace
}  // namespace kdsp::app
