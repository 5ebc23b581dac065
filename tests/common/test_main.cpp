#include <gtest/gtest.h>

#include <QtGlobal>
#ifdef QV_TEST_WIDGETS
#include <QApplication>
#else
#include <QGuiApplication>
#endif

int main(int argc, char** argv) {
  // Test discovery runs the binary without the ctest environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
#ifdef QV_TEST_WIDGETS
  QApplication app(argc, argv);
#else
  QGuiApplication app(argc, argv);
#endif
  return RUN_ALL_TESTS();
}
