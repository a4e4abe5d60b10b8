#include <QApplication>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // No update server unless a test names its own, on loopback.
  qputenv("SKARVEL_UPDATE_HOST", "");
  // Windows read and grow the files of the program folder: each run gets a
  // scratch one, never the user's own ~/.config/skarvel.
  const TempDir programFolder;
  if (qEnvironmentVariableIsEmpty("SKARVEL_HOME"))
    qputenv("SKARVEL_HOME", programFolder.path().string().c_str());
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
