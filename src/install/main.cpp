#include <QApplication>

#include "installwindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(qvinstall::kInstallerTitle);
  qvinstall::frmInstall window(QApplication::applicationDirPath());
  window.show();
  window.exec();
  return 0;
}
