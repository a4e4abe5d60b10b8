#include <QGuiApplication>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
  // Sound effects need an application object, not a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // Windows read and grow the files of the program folder: each run gets a
  // scratch one, never the user's own ~/.config/skarvel.
  const TempDir programFolder;
  if (qEnvironmentVariableIsEmpty("SKARVEL_HOME"))
    qputenv("SKARVEL_HOME", programFolder.path().string().c_str());
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
