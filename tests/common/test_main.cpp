#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
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
  // The program's settings file and data folder, and Qt's own settings, go
  // to a folder of this run, not the user's; programs the tests start
  // inherit it.
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  qputenv("QV_USER_DATA", settings.filePath(QStringLiteral("daten")).toUtf8());
  return RUN_ALL_TESTS();
}
