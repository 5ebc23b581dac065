#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include "app/frmmain.h"
#include "help/frmanleitung.h"
#include "help/frmueber.h"
#include "students/frmergebnisse.h"
#include "students/frmschuelerliste.h"
#include "platform/filehelper.h"
#include "platform/ui.h"
#include "platform/widget_ui.h"
#include "word/exercisewindow.h"
#include "word/frmprogress.h"
#include "word/frmuebung.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"
#include "word/wordexercise.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(qv::kProductName);
  QApplication::setWindowIcon(QIcon(qv::files::dataFile(QStringLiteral("quillbee-vodedarivo.png"))));
  qv::frmMain window;
  qv::WidgetInteraction interaction(&window);
  qv::setUi(&interaction);
  qv::InstallDocumentVariablesWriter();
  qv::InstallDistributionEngine();
  qv::InstallExerciseMacros();
  qv::frmMain::setStudentListOpener([](QWidget* owner) {
    qv::frmSchuelerListe dlg(owner);
    dlg.exec();
  });
  qv::frmMain::setResultsOpener([](QWidget* owner) {
    qv::frmErgebnisse dlg(owner);
    dlg.exec();
  });
  qv::frmMain::setQuickGuideOpener([](QWidget* owner) { qv::frmAnleitung::zeige(owner); });
  qv::frmMain::setAboutOpener([](QWidget* owner) {
    qv::frmUeber dlg(owner);
    dlg.exec();
  });
  qv::setProgressOpener([&window]() -> std::unique_ptr<qv::BuildProgress> {
    auto progress = std::make_unique<qv::frmProgress>(&window);
    progress->show();
    return progress;
  });
  qv::setExerciseWindowOpener([&window](qv::engine::Document* doc) { qv::frmUebung::showDocument(doc, &window); });

  // A workbook named on the command line is opened at once; an exercise
  // document is shown in the document window alone, which ends the program
  // when it is closed.
  const QStringList args = QApplication::arguments();
  const QString path = args.size() > 1 ? QFileInfo(args.at(1)).absoluteFilePath() : QString();
  if (!path.isEmpty() && QFileInfo(path).suffix().compare(QLatin1String("qbm"), Qt::CaseInsensitive) != 0 &&
      qv::EngineRecognisesExercise(path)) {
    if (!qv::frmUebung::openFile(path)) return 1;
  } else {
    window.show();
    if (!path.isEmpty()) window.openWorkbook(path);
  }
  const int rc = app.exec();
  qv::setUi(nullptr);
  return rc;
}
