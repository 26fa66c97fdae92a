#include <gtest/gtest.h>

#include <QApplication>

#include "shell/skin_resources.h"

// The window tests need a real application object; without a display they run offscreen.
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  tarvolen::InitSkinResources();
  return RUN_ALL_TESTS();
}
