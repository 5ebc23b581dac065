#include "common/testutil.h"

#include <QDir>
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

}  // namespace qvtest
