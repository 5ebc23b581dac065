#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <optional>

#include "app/frmmain.h"
#include "help/frmanleitung.h"
#include "help/frmueber.h"
#include "students/frmergebnisse.h"
#include "students/frmschuelerliste.h"
#include "platform/filehelper.h"
#include "platform/qtdeutsch.h"
#include "platform/ui.h"
#include "platform/widget_ui.h"
#include "word/exercisewindow.h"
#include "word/frmprogress.h"
#include "word/frmuebung.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"
#include "word/wordexercise.h"
#include "version.h"

namespace {

QString helpText(const QString& name) {
  return name + QStringLiteral(
                    " - interaktive Lückenübungen aus Quillbee-Mappen erstellen\n"
                    "\n"
                    "Aufruf:\n  ") +
         name + QStringLiteral(
                    " [DATEI]\n"
                    "      Öffnet das Programmfenster. Ist DATEI eine Quillbee-Mappe (\".qbm\"), wird\n"
                    "      sie gleich geöffnet; das Programm zeigt ihren Text und ihre Arbeitsblätter\n"
                    "      und macht aus einem Arbeitsblatt ein Formulardokument oder eine Web-Seite.\n"
                    "      Ist DATEI eine gespeicherte Übung, wird nur sie in einem eigenen Fenster\n"
                    "      zum Ausfüllen gezeigt; das Programm endet, wenn es geschlossen wird.\n  ") +
         name + QStringLiteral(
                    " --help\n"
                    "      Zeigt diese Hilfe (auch -h).\n  ") +
         name + QStringLiteral(
                    " --version\n"
                    "      Zeigt die Versionsnummer (auch -v).\n");
}

// --help and --version answer on standard output and end the program before
// a window or a display is needed; every other command line is left to the
// program as before.
std::optional<int> answerInfoOptions(int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOption(help);
  parser.addOption(version);
  if (!parser.parse(args)) return std::nullopt;
  QString text;
  if (parser.isSet(help))
    text = helpText(QFileInfo(args.value(0, qv::kProductName)).fileName());
  else if (parser.isSet(version))
    text = qv::kProductName + QLatin1Char(' ') + QLatin1String(qv::kVersionText) + QLatin1Char('\n');
  else
    return std::nullopt;
  std::fputs(text.toUtf8().constData(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> rc = answerInfoOptions(argc, argv)) return *rc;
  QApplication app(argc, argv);
  QApplication::setApplicationName(qv::kProductName);
  qv::installQtTranslations(app);
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
