#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Window tests run without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // Windows whose automatic update check comes due ask no real server.
  qputenv("SKARVEL_UPDATE_HOST", "");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
