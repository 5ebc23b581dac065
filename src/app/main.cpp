#include <QApplication>
#include <QFileInfo>

#include "app/frmmain.h"
#include "help/frmanleitung.h"
#include "help/frmueber.h"
#include "students/frmschuelerliste.h"
#include "platform/ui.h"
#include "platform/widget_ui.h"
#include "word/modword.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(qv::kProductName);
  qv::frmMain window;
  qv::WidgetInteraction interaction(&window);
  qv::setUi(&interaction);
  qv::InstallDocumentVariablesWriter();
  qv::InstallDistributionEngine();
  qv::frmMain::setStudentListOpener([](QWidget* owner) {
    qv::frmSchuelerListe dlg(owner);
    dlg.exec();
  });
  qv::frmMain::setQuickGuideOpener([](QWidget* owner) { qv::frmAnleitung::zeige(owner); });
  qv::frmMain::setAboutOpener([](QWidget* owner) {
    qv::frmUeber dlg(owner);
    dlg.exec();
  });
  window.show();
  // A workbook named on the command line is opened at once.
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.openWorkbook(QFileInfo(args.at(1)).absoluteFilePath());
  const int rc = app.exec();
  qv::setUi(nullptr);
  return rc;
}
