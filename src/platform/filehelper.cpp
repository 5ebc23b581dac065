#include "platform/filehelper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "platform/fehlergrund.h"

namespace qv::files {

// Qt reads a path beginning with ':' as one inside the program's own
// resources; a path from a list, a settings file or the user never means
// those, where nothing can be written.
bool FileExists(const QString& path) {
  if (path.isEmpty() || path.startsWith(QLatin1Char(':'))) return false;
  QFileInfo fi(path);
  return fi.exists() && fi.isFile();
}

bool FolderExists(const QString& path) {
  if (path.isEmpty() || path.startsWith(QLatin1Char(':'))) return false;
  QFileInfo fi(path);
  return fi.exists() && fi.isDir();
}

QString TempFileName() {
  QTemporaryFile f(QDir(TempFolder()).filePath(QStringLiteral("qv-XXXXXX.tmp")));
  f.setAutoRemove(false);
  if (!f.open()) return {};
  return f.fileName();
}

QString TempFolder() { return QDir::tempPath(); }

QString JoinPath(const QString& folder, const QString& name) {
  if (folder.isEmpty()) return name;
  const QChar sep = QDir::separator();
  QString f = folder;
  QString n = name;
  while (f.size() > 1 && (f.endsWith(sep) || f.endsWith(QLatin1Char('/')))) f.chop(1);
  while (n.startsWith(sep) || n.startsWith(QLatin1Char('/'))) n.remove(0, 1);
  if (f == QString(sep)) return f + n;
  return f + sep + n;
}

QString FileTitle(const QString& path) {
  if (path.isEmpty()) return {};
  return QFileInfo(path).completeBaseName();
}

bool DeleteFile(const QString& path) {
  if (path.isEmpty()) return false;
  return QFile::remove(path);
}

QString programFolder() {
  const QString env = qEnvironmentVariable("QV_PROGRAM_FOLDER");
  if (!env.isEmpty()) return env;
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
  return QDir::currentPath();
}

QString dataFile(const QString& name) {
  const QString beside = JoinPath(programFolder(), name);
  if (FileExists(beside)) return beside;
  const QString installed =
      QDir(programFolder()).filePath(QStringLiteral("../share/quillbee-vodedarivo/") + name);
  if (FileExists(installed)) return QDir::cleanPath(installed);
  return beside;
}

QString userDataFolder() {
  QString folder = qEnvironmentVariable("QV_USER_DATA");
  if (folder.isEmpty()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty()) folder = QDir::homePath() + QStringLiteral("/.local/share");
    folder = JoinPath(folder, QStringLiteral("Quillbee-Vodedarivo"));
  }
  QDir().mkpath(folder);
  return folder;
}

bool isWritableFolder(const QString& folder) {
  if (!FolderExists(folder)) return false;
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".qv-probe-XXXXXX")));
  return probe.open();
}

QString writableProgramFolder() {
  const QString prog = programFolder();
  if (isWritableFolder(prog)) return prog;
  return userDataFolder();
}

QString studentListIni() { return JoinPath(writableProgramFolder(), QStringLiteral("Vodedarivo.ini")); }

namespace {
// The calls of saveWhole since failWrites, and the ones that are to fail.
int gSaveCalls = 0, gFailFrom = 0, gFailUntil = 0;
}  // namespace

void failWrites(int from, int count) {
  gSaveCalls = 0;
  gFailFrom = from;
  gFailUntil = from + count;
}

// QSaveFile writes to the file a symbolic link at the path points to, also
// through a dangling one, and would so let anybody who can write in the
// target's folder redirect the write. Here the content goes to a new file of
// a fresh name in the target's folder (created exclusively, which no link
// can redirect), and rename(2) puts it in place of the path itself: a link
// that turns up meanwhile is replaced, never followed.
QString linkGrund(const QString& path) {
  const QFileInfo fi(path);
  return fi.isSymLink() ? fi.fileName() + QStringLiteral(" ist eine Verknüpfung und wird nicht überschrieben") : QString();
}

bool saveWhole(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error) {
  const QFileInfo target(path);
  if (const QString link = linkGrund(path); !link.isEmpty()) {
    if (error) *error = link;
    return false;
  }
  const bool fault = gFailFrom > 0 && ++gSaveCalls >= gFailFrom && gSaveCalls < gFailUntil;
  // Each reason is taken right after the failing call, before anything
  // else can change errno; a failure without a file error is a write failure.
  const auto grund = [](const QFileDevice& f, int nummer) {
    const QString g = fehlergrund::ausDatei(f, nummer);
    return g.isEmpty() ? QStringLiteral("Schreibfehler") : g;
  };
  QFile f;
  int nummer = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    f.setFileName(target.absoluteDir().filePath(
        QStringLiteral(".qv-%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'))));
    errno = 0;
    if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) break;
    nummer = errno;
    // Another try only when the name was taken.
    const QFileInfo taken(f.fileName());
    if (!taken.exists() && !taken.isSymLink()) break;
  }
  if (!f.isOpen()) {
    if (error) *error = grund(f, nummer);
    return false;
  }
  // An earlier file keeps its permissions; a new one gets the user's default.
  if (target.isFile()) f.setPermissions(target.permissions());
  QString reason = QStringLiteral("Schreibfehler");
  errno = 0;
  bool ok = write(f) && f.flush();
  if (!ok) reason = grund(f, errno);
#ifdef Q_OS_UNIX
  if (ok && ::fsync(f.handle()) != 0) {
    ok = false;
    reason = fehlergrund::ausDateifehler(QFileDevice::WriteError, errno);
  }
#endif
  f.close();
  if (ok && !fault) {
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(f.fileName()).toStdString(), QFile::encodeName(path).toStdString(), ec);
    if (!ec) return true;
    reason = fehlergrund::ausDateifehler(QFileDevice::RenameError, ec.value());
  }
  if (error) *error = reason;
  f.remove();
  return false;
}

bool saveWhole(const QString& path, const QByteArray& bytes, QString* error) {
  return saveWhole(path, [&bytes](QIODevice& d) { return d.write(bytes) == bytes.size(); }, error);
}

QString userTemplatesFolder() {
  QString folder = qEnvironmentVariable("QV_TEMPLATES_DIR");
  if (folder.isEmpty()) folder = JoinPath(userDataFolder(), QStringLiteral("Vorlagen"));
  QDir().mkpath(folder);
  return folder;
}

}  // namespace qv::files
