// The student list file (import and the results' list of copies) and the
// settings file "Vodedarivo.ini", all from the same bytes.

#include <QDir>
#include <QFileInfo>

#include "fuzz.h"
#include "students/ergebnisse.h"
#include "students/schueler.h"

int fuzzOne(const uint8_t* data, size_t size) {
  const QByteArray in = qvfuzz::bytes(data, size);
  qputenv("QV_PROGRAM_FOLDER", qvfuzz::scratchFolder().toLocal8Bit());
  const QString list = qvfuzz::scratch(QStringLiteral("liste.txt"), in);
  qvfuzz::scratch(QStringLiteral("Vodedarivo.ini"), in);
  qv::SchuelerListe s;
  s.LeseIni();
  qvfuzz::expect(s.ImportiereDatei(list, true), "list read");
  s.ErzeugeDateinamen();
  for (const qv::SchuelerZeile& z : s.rows) {
    // Each copy lands in its pupil's folder under a name the file system takes.
    const QFileInfo copy(z.Dateiname);
    qvfuzz::expect(copy.absolutePath() == QFileInfo(QDir(z.Verzeichnis).filePath(QStringLiteral("x"))).absolutePath(),
                   "copy in the pupil's folder");
    qvfuzz::expect(QFile::encodeName(copy.fileName()).size() <= 255, "file name fits");
  }
  qvfuzz::expect(qv::EinsendungenAusListe(list).has_value(), "copies listed");
  return 0;
}
