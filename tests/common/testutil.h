#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include "exercise/token.h"
#include "platform/filehelper.h"

namespace qvtest {

// A file of the shared test workbooks.
QString fixture(const QString& name);
// The sample workbook's stored values (klassenfahrt.json), and its worksheet record of that ID.
QJsonObject sample();
QJsonObject sampleRecord(int id);
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Every file below folder, hidden ones too, by relative path, with its bytes:
// equal before and after a failed write when nothing was touched or left.
QMap<QString, QByteArray> ordnerStand(const QString& folder);
// Targets no write reaches, whoever runs the test: a name of 300 bytes, a
// path beyond 4096 bytes, a folder where the system lets nobody create a
// file, and a path through a file (made in folder) where a folder must be.
QStringList unerreichbarePfade(const QString& folder);

// While alive, of the writes counted from its making, writes from to
// from + count - 1 fail (by default those of files::saveWhole).
class Schreibfehler {
 public:
  explicit Schreibfehler(int from, int count = 1, void (*fail)(int, int) = &qv::files::failWrites) : fail_(fail) {
    fail_(from, count);
  }
  ~Schreibfehler() { fail_(0, 1); }

 private:
  void (*fail_)(int, int);
};
// The text pdftotext finds in the PDF: one page (1-based) or all (0).
QString pdfText(const QString& pdf, int page = 0, const QStringList& options = {});
// LibreOffice, empty when it is not installed; a conversion of files into
// outDir (profile below profileDir, else outDir), returning what it printed.
QString soffice();
QString officeConvert(const QString& format, const QStringList& files, const QString& outDir,
                      const QString& profileDir = {});
// A member of a zip package (an ODT file) as text.
QString zipMember(const QString& zip, const QString& name);
// Text made of the given Latin-1 bytes / UTF-8 literal for readable tests.
inline QString u8(const char* s) { return QString::fromUtf8(s); }
// A gap token as the gap list builder makes it.
inline qv::clsToken gap(int anfang, const QString& inhalt, const QString& grundform, const QString& bemerkung = {}) {
  qv::clsToken t;
  t.setAnfang(anfang);
  t.setInhalt(inhalt);
  t.setGrundform(grundform);
  t.setBemerkung(bemerkung);
  return t;
}

}  // namespace qvtest
