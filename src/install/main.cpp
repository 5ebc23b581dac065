#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "installwindow.h"
#include "platform/qtdeutsch.h"
#include "version.h"

namespace {

QString helpText(const QString& name) {
  return name + QStringLiteral(
                    " - die Dokumentvorlage von Quillbee-Vodedarivo einrichten\n"
                    "\n"
                    "Aufruf:\n  ") +
         name + QStringLiteral(
                    "\n"
                    "      Öffnet das Fenster \"Installation von Quillbee-Vodedarivo\". \"Installieren\"\n"
                    "      kopiert die Dokumentvorlage Quillbee_Interaktiv_V2.dot in den Ordner der\n"
                    "      Benutzervorlagen, in dem Quillbee-Vodedarivo sie sucht, und bietet vorher an,\n"
                    "      ältere Vorlagen des Programms dort zu löschen. Der Ordner ist\n"
                    "      $QV_TEMPLATES_DIR, sonst $QV_USER_DATA/Vorlagen, sonst\n"
                    "      Quillbee-Vodedarivo/Vorlagen im Datenordner des Benutzers\n"
                    "      (meist ~/.local/share).\n  ") +
         name + QStringLiteral(
                    " --help\n"
                    "      Zeigt diese Hilfe (auch -h).\n  ") +
         name + QStringLiteral(
                    " --version\n"
                    "      Zeigt die Versionsnummer (auch -v).\n");
}

// --help and --version answer on standard output and end the program before
// a window or a display is needed; every other command line opens the window
// as before.
std::optional<int> answerInfoOptions(int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOption(help);
  parser.addOption(version);
  if (!parser.parse(args)) return std::nullopt;
  const QString name = QFileInfo(args.value(0, qvinstall::kInstallerTitle)).fileName();
  QString text;
  if (parser.isSet(help))
    text = helpText(name);
  else if (parser.isSet(version))
    text = name + QStringLiteral(" (") + qvinstall::kProductTitle + QStringLiteral(") ") +
           QLatin1String(qv::kVersionText) + QLatin1Char('\n');
  else
    return std::nullopt;
  std::fputs(text.toUtf8().constData(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> rc = answerInfoOptions(argc, argv)) return *rc;
  QApplication app(argc, argv);
  QApplication::setApplicationName(qvinstall::kInstallerTitle);
  qv::installQtTranslations(app);
  qvinstall::frmInstall window(QApplication::applicationDirPath());
  window.show();
  window.exec();
  return 0;
}
