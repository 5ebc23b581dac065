#include "installcore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>

#include "platform/fehlergrund.h"

namespace qvinstall {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The copies since failWrites, and the ones that are to fail.
int gCopies = 0, gFailFrom = 0, gFailUntil = 0;

struct Failure {
  int number;
  QString text;
};

QString dataFolderOf(const QString& installerFolder) {
  return QDir::cleanPath(QDir(installerFolder).filePath(QStringLiteral("../share/quillbee-vodedarivo")));
}

// Copies source to target through a temporary file in the target folder: the
// old target is replaced only once the new copy is complete, so a failed copy
// leaves the installed template as it was.
bool copyTemplate(const QString& source, const QString& target, Failure* failure) {
  QFile in(source);
  errno = 0;
  if (!in.open(QIODevice::ReadOnly)) {
    *failure = {kErrFileNotFound, QStringLiteral("Die Datei ") + QDir::toNativeSeparators(source) +
                                      QStringLiteral(" kann nicht gelesen werden (") +
                                      qv::fehlergrund::ausDatei(in, errno) + QStringLiteral(")")};
    return false;
  }
  const QByteArray bytes = in.readAll();
  QSaveFile out(target);
  out.setDirectWriteFallback(false);
  const bool fault = gFailFrom > 0 && ++gCopies >= gFailFrom && gCopies < gFailUntil;
  // errno is taken right after the failing call.
  errno = 0;
  bool ok = out.open(QIODevice::WriteOnly);
  int nummer = ok ? 0 : errno;
  if (ok) ok = out.write(bytes) == bytes.size() && !fault;
  if (ok) {
    errno = 0;
    ok = out.commit();
    nummer = ok ? 0 : errno;
  }
  if (!ok) {
    const bool denied =
        out.error() == QFileDevice::PermissionsError || nummer == EACCES || nummer == EPERM || nummer == EROFS;
    // The reason first: cancelling puts its own text in its place.
    QString reason = fault && out.isOpen() ? QStringLiteral("Schreibfehler") : qv::fehlergrund::ausDatei(out, nummer);
    if (reason.isEmpty()) reason = QStringLiteral("Schreibfehler");
    out.cancelWriting();
    *failure = {denied ? kErrPermissionDenied : kErrFileAccess,
                QStringLiteral("Die Datei ") + QDir::toNativeSeparators(target) +
                    QStringLiteral(" kann nicht geschrieben werden (") + reason + QStringLiteral(")")};
    return false;
  }
  return true;
}

bool deleteFile(const QString& path, Failure* failure) {
  QFile f(path);
  errno = 0;
  if (f.remove()) return true;
  *failure = {kErrPermissionDenied, QStringLiteral("Die Datei ") + QDir::toNativeSeparators(path) +
                                        QStringLiteral(" kann nicht gelöscht werden (") +
                                        qv::fehlergrund::ausDatei(f, errno) + QStringLiteral(")")};
  return false;
}

}  // namespace

void failWrites(int from, int count) {
  gCopies = 0;
  gFailFrom = from;
  gFailUntil = from + count;
}

QString introText() {
  return QStringLiteral("Dieses Tool installiert die benötige Word-Vorlage in das ") +
         QStringLiteral("Vorlagenverzeichnis von Word. Um die volle Funktionalität von ") +
         QStringLiteral("'Quillbee-Vodedarivo' zu nutzen, ist es erforderlich, ") +
         QStringLiteral("dass die Ausführung von Makros in Word zugelassen sind.") + kCrLf + kCrLf +
         QStringLiteral("Viel Spaß beim Erstellen interaktiver Übungen, ") + kCrLf +
         QStringLiteral("wünscht das Quillbee-Team!");
}

QString userTemplatesFolder() {
  const QString env = qEnvironmentVariable("QV_TEMPLATES_DIR");
  if (!env.isEmpty()) return env;
  QString data = qEnvironmentVariable("QV_USER_DATA");
  if (data.isEmpty()) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty() && !QDir::homePath().isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    if (base.isEmpty()) return {};
    data = QDir(base).filePath(QStringLiteral("Quillbee-Vodedarivo"));
  }
  return QDir(data).filePath(QStringLiteral("Vorlagen"));
}

QString sourceTemplateBeside(const QString& installerFolder) {
  return QDir(installerFolder).filePath(kTemplateName);
}

QString sourceTemplate(const QString& installerFolder) {
  const QString beside = sourceTemplateBeside(installerFolder);
  if (QFileInfo(beside).isFile()) return beside;
  const QString installed = QDir(dataFolderOf(installerFolder)).filePath(kTemplateName);
  if (QFileInfo(installed).isFile()) return installed;
  return {};
}

Result runInstallation(Dialogs& dialogs, const QString& installerFolder, const QString& templatesFolder) {
  Result result;
  const QString source = sourceTemplate(installerFolder);
  if (source.isEmpty()) {
    dialogs.tell(QStringLiteral("Zur Installation von Quillbee-Vodedarivo wird noch folgende Datei ") +
                     QStringLiteral(" benötigt: ") + kTemplateName + kCrLf + kCrLf +
                     QStringLiteral("Diese Datei muss sich im gleichen Verzeichnis befinden, wie dieses "
                                    "Installationstool"),
                 kInstallerTitle, Icon::Information);
    result.outcome = Outcome::SourceMissing;
    return result;
  }

  dialogs.setWaitCursor(true);
  Failure failure{0, {}};
  bool ok = true;
  if (templatesFolder.isEmpty()) {
    result.outcome = Outcome::NoTemplatesFolder;
    result.errorNumber = kErrNoTemplatesFolder;
    dialogs.setWaitCursor(false);
    dialogs.tell(QStringLiteral("Word konnte nicht ordnungsgemäß gestartet werden!"), kProductTitle,
                 Icon::Exclamation);
    return result;
  }
  errno = 0;
  if (!QDir().mkpath(templatesFolder)) {
    const QString grund = qv::fehlergrund::ausErrno(errno);
    failure = {kErrPathNotFound, QStringLiteral("Das Vorlagenverzeichnis ") +
                                     QDir::toNativeSeparators(templatesFolder) +
                                     QStringLiteral(" kann nicht angelegt werden") +
                                     (grund.isEmpty() ? QString() : QStringLiteral(" (") + grund + QStringLiteral(")"))};
    ok = false;
  }

  const QString target = QDir(templatesFolder).filePath(kTemplateName);
  // Older templates the user lets go, and earlier copies of this template
  // under another spelling: removed only once the new copy is in place, so
  // that a failed copy leaves the folder as it was.
  QStringList toDelete;
  if (ok) {
    const QDir folder(templatesFolder);
    const QStringList found =
        folder.entryList({kSearchPattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : found) {
      const QString path = folder.filePath(name);
      if (path.toLower() != target.toLower()) {
        if (dialogs.askYesNo(QStringLiteral("Soll die alte Vorlage ") + QDir::toNativeSeparators(path) +
                                 QStringLiteral(" gelöscht werden?"),
                             kProductTitle))
          toDelete << path;
      } else if (path != target) {
        toDelete << path;
      }
      // The very file at the target path is replaced by the copy below.
    }
  }
  if (ok) ok = copyTemplate(source, target, &failure);
  for (const QString& path : toDelete) {
    if (!ok) break;
    // On a file system that ignores case the spelling may name the new copy.
    if (QFileInfo(path).canonicalFilePath() == QFileInfo(target).canonicalFilePath()) continue;
    ok = deleteFile(path, &failure);
  }

  dialogs.setWaitCursor(false);
  if (ok) {
    result.outcome = Outcome::Installed;
    dialogs.tell(QStringLiteral("Die Vorlage ") + kTemplateName +
                     QStringLiteral(" wurde erfolgreich in das Vorlagenverzeichnis kopiert"),
                 kProductTitle, Icon::Information);
  } else {
    result.outcome = Outcome::Failed;
    result.errorNumber = failure.number;
    result.errorText = failure.text;
    dialogs.tell(QStringLiteral("Folgender Fehler trat auf: ") + qv::fehlergrund::ausFehlernummer(failure.number) +
                     QStringLiteral(" (") + QString::number(failure.number) + QStringLiteral(")") + kCrLf +
                     failure.text,
                 kProductTitle, Icon::Exclamation);
  }
  return result;
}

}  // namespace qvinstall
