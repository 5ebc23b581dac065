#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "cli/cli.h"

int main(int argc, char** argv) {
  // No display needed: the editor's document only wants a GUI application.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  out.setEncoding(QStringConverter::Utf8);
  err.setEncoding(QStringConverter::Utf8);
  return qv::runCli(QGuiApplication::arguments().mid(1), out, err);
}
