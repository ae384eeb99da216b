// One offscreen QApplication for every widget test of a binary. Tests that need the sound
// system in a given state run again in a fresh copy of their binary; the copy starts here too.

#include <cstdlib>

#include <gtest/gtest.h>
#include <QApplication>
#include <QObject>
#include <QSettings>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  // Settings the windows keep go to a directory of this run, never the user's own.
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
#ifndef KDSP_TESTS_END_THE_APPLICATION
  // The application's event loop ended: the tests after this one would run in an application
  // that has quit, so the test that ended it belongs in a binary of its own.
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
    ADD_FAILURE() << "this test ended the application that the other tests of its binary "
                     "share; put it in a binary whose tests each run in a process of their own";
  });
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
