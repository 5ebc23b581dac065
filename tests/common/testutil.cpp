#include "common/testutil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

namespace qvtest {

QString fixture(const QString& name) { return QDir(QStringLiteral(QV_FIXTURES_DIR)).filePath(name); }

QJsonObject sample() {
  static const QJsonObject o = QJsonDocument::fromJson(readFile(fixture(QStringLiteral("klassenfahrt.json")))).object();
  return o;
}

QJsonObject sampleRecord(int id) {
  for (const auto& v : sample().value(QStringLiteral("Arbeitsblatt")).toArray())
    if (v.toObject().value(QStringLiteral("ID")).toInt() == id) return v.toObject();
  return {};
}

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

// What the program wrote to its standard output (empty after a minute).
static QString runProgram(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& pdf, int page, const QStringList& options) {
  QStringList args = options;
  if (page > 0) args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
  return runProgram(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
}

QString soffice() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

QString officeConvert(const QString& format, const QStringList& files, const QString& outDir, const QString& profileDir) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(soffice(), QStringList{QStringLiteral("-env:UserInstallation=file://") +
                                     (profileDir.isEmpty() ? outDir : profileDir) + QStringLiteral("/profile"),
                                 QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                 QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), outDir} +
                         files);
  p.waitForFinished(300000);
  return QString::fromLocal8Bit(p.readAll());
}

QString zipMember(const QString& zip, const QString& name) {
  return runProgram(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, name});
}

}  // namespace qvtest
