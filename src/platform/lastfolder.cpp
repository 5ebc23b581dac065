#include "platform/lastfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/filehelper.h"

namespace qv::lastfolder {

namespace {
QString key(const QString& kind) { return QStringLiteral("Ordner/") + kind; }

// Whether a file with suffix may be saved as it is under filter
// ("Text|*.a;*.b|Alle Dateien|*.*"): the filter names its pattern, takes
// every name, or names no pattern at all. The dialog's chosen name filter is
// not at hand (ui() returns only the path), so the text is read here.
bool offered(const QString& filter, const QString& suffix) {
  if (suffix.isEmpty()) return false;
  const QStringList parts = filter.split(QLatin1Char('|'));
  if (parts.size() < 2) return true;  // no patterns: any extension
  for (qsizetype i = 1; i < parts.size(); i += 2)
    for (const QString& pattern : parts[i].split(QLatin1Char(';'))) {
      const QString p = pattern.trimmed();
      if (p == QLatin1String("*.*") || p == QLatin1String("*") ||
          p.compare(QStringLiteral("*.") + suffix, Qt::CaseInsensitive) == 0)
        return true;
    }
  return false;
}
}  // namespace

QString settingsPath() { return files::JoinPath(files::userDataFolder(), QStringLiteral("Einstellungen.ini")); }

QVariant stored(const QString& key) { return QSettings(settingsPath(), QSettings::IniFormat).value(key); }

void store(const QString& key, const QVariant& value) {
  QSettings(settingsPath(), QSettings::IniFormat).setValue(key, value);
}

QString folderFor(const QString& kind, const QString& fallback) {
  const QString last = stored(key(kind)).toString();
  if (!last.isEmpty() && files::FolderExists(last)) return last;
  if (!fallback.isEmpty() && files::FolderExists(fallback)) return fallback;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return files::FolderExists(documents) ? documents : QDir::homePath();
}

void remember(const QString& kind, const QString& path, bool isFolder) {
  if (path.isEmpty()) return;
  const QFileInfo info(path);
  store(key(kind), isFolder ? info.absoluteFilePath() : info.absolutePath());
}

QString safeFileName(const QString& text) {
  QString s;
  s.reserve(text.size());
  for (QChar c : text) {
    const ushort u = c.unicode();
    if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || QStringLiteral("/\\:*?\"<>|").contains(c))
      s += QLatin1Char('_');
    else
      s += c;
  }
  s.replace(QStringLiteral(".."), QStringLiteral("__"));
  if (s.startsWith(QLatin1Char('.'))) s[0] = QLatin1Char('_');
  return s;
}

QString proposedName(const QString& caption, const QString& extension, const QString& fallback) {
  // A file name holds at most 255 bytes, not characters: a long caption
  // loses its end, cut to 200 bytes of UTF-8 and never inside a character.
  QString stem = safeFileName(caption.trimmed()).left(200);
  while (stem.toUtf8().size() > 200 || (!stem.isEmpty() && stem.back().isHighSurrogate()))
    stem.chop(stem.size() > 1 && stem.back().isLowSurrogate() ? 2 : 1);
  stem = stem.trimmed();
  if (stem.isEmpty()) stem = fallback;
  return stem + QLatin1Char('.') + extension;
}

QString askSavePath(FileDialogRequest r, const QString& kind, const QString& extension) {
  if (r.initialFolder.isEmpty()) r.initialFolder = folderFor(kind);
  for (;;) {
    QString path = ui().saveFile(r);
    if (path.isEmpty()) return {};
    if (!offered(r.filter, QFileInfo(path).suffix())) path += QLatin1Char('.') + extension;
    remember(kind, path);
    if (!files::FileExists(path)) return path;
    const Answer a = showMessage(QStringLiteral("Die Datei \u201E") + QFileInfo(path).fileName() +
                                     QStringLiteral("\u201C ist bereits vorhanden.\r\nSoll sie ersetzt werden?"),
                                 Icon::Exclamation, Buttons::YesNo, kProductName, 1);
    if (a == Answer::Yes) return path;
    r.initialFolder = QFileInfo(path).absolutePath();
    r.fileName = QFileInfo(path).fileName();
  }
}

QString askOpenPath(FileDialogRequest r, const QString& kind) {
  if (r.initialFolder.isEmpty()) r.initialFolder = folderFor(kind);
  const QString path = ui().openFile(r);
  remember(kind, path);
  return path;
}

QString askFolder(const QString& title, const QString& kind, const QString& start) {
  const QString folder = ui().chooseFolder(title, files::FolderExists(start) ? start : folderFor(kind));
  if (files::FolderExists(folder)) remember(kind, folder, true);
  return folder;
}

}  // namespace qv::lastfolder
