#include "common/testutil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace qvtest {

QString fixture(const QString& name) { return QDir(QStringLiteral(QV_FIXTURES_DIR)).filePath(name); }

QByteArray readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

QMap<QString, QByteArray> ordnerStand(const QString& folder) {
  QMap<QString, QByteArray> stand;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    stand.insert(QDir(folder).relativeFilePath(path), readFile(path));
  }
  return stand;
}

QStringList unerreichbarePfade(const QString& folder) {
  writeFile(QDir(folder).filePath(QStringLiteral("datei")), "x");
  return {QDir(folder).filePath(QString(296, QLatin1Char('a')) + QStringLiteral(".doc")),
          folder + QStringLiteral("/ordner-").repeated(520) + QStringLiteral("x.doc"),
          QStringLiteral("/sys/qv-schreibtest.doc"), QDir(folder).filePath(QStringLiteral("datei/x.doc"))};
}

}  // namespace qvtest
