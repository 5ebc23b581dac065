#include "workbook/workbook.h"

#include <QDir>
#include <QTemporaryDir>

#include "exercise/uebungstyp.h"
#include "platform/archive.h"
#include "platform/filehelper.h"
#include "platform/lastfolder.h"
#include "platform/jetdb.h"
#include "platform/tools.h"
#include "platform/ui.h"

namespace qv {

namespace {

// Reads the current record into an entry. A value that is missing or cannot
// be read leaves its field empty or 0.
struct Spalten {
  int id, caption, typ, details, blatt, kontrolle;
};

ArbeitsblattEintrag eintrag(const jet::Table& t, const Spalten& s, int32_t typ) {
  ArbeitsblattEintrag e;
  e.Uebungstyp = static_cast<int16_t>(typ);
  int32_t id = 0;
  if (t.integer(s.id, id) == jet::ValueState::Value) e.ID = id;
  if (t.text(s.caption, e.Caption) != jet::ValueState::Value) e.Caption.clear();
  if (t.text(s.details, e.Details) != jet::ValueState::Value) e.Details.clear();
  if (t.bytes(s.blatt, e.ArbeitsblattRTF) != jet::ValueState::Value) e.ArbeitsblattRTF.clear();
  if (t.bytes(s.kontrolle, e.KontrollblattRTF) != jet::ValueState::Value) e.KontrollblattRTF.clear();
  return e;
}

}  // namespace


bool UnpackWorkbook(const QString& archivePath, const QString& targetPath) {
  if (archivePath.isEmpty() || targetPath.isEmpty()) return false;
  return archive::ExtractMember(archivePath, kMappenDatenbank, kMappenPasswort, targetPath) ==
         archive::ExtractError::None;
}

MappenInhalt LeseMappenDatenbank(const QString& databasePath) {
  MappenInhalt m;
  m.fehler = MappenInhalt::Fehler::KeinArbeitsblatt;
  jet::Database db;
  if (!db.open(databasePath)) return m;
  {
    std::unique_ptr<jet::Table> t = db.table(QStringLiteral("Arbeitsblatt"));
    if (!t) return m;
    m.erwartet = t->recordCount();
    const Spalten s{t->column(QStringLiteral("ID")),           t->column(QStringLiteral("Caption")),
                    t->column(QStringLiteral("Uebungstyp")),   t->column(QStringLiteral("Details")),
                    t->column(QStringLiteral("ArbeitsblattRTF")), t->column(QStringLiteral("KontrollblattRTF"))};
    while (t->next()) {
      m.hatDatensaetze = true;
      int32_t typ = 0;
      if (t->integer(s.typ, typ) != jet::ValueState::Value || !uebungstyp::wirdGeladen(typ)) continue;
      // Only an empty string skips; a Details without value is taken as empty.
      QString details;
      const jet::ValueState d = t->text(s.details, details);
      if (d == jet::ValueState::Value && details.isEmpty()) continue;
      m.arbeitsblaetter.append(eintrag(*t, s, typ));
    }
    m.gelesen = t->fetched();
    // The engine ends a walk quietly when a page cannot be read; fewer
    // records than the table announces means the walk broke off.
    m.unvollstaendig = m.gelesen < m.erwartet;
  }
  if (m.arbeitsblaetter.isEmpty()) return m;
  m.fehler = MappenInhalt::Fehler::Keiner;

  std::unique_ptr<jet::Table> text = db.table(QStringLiteral("Text"));
  if (text && text->next()) {
    m.hatText = true;
    if (text->text(text->column(QStringLiteral("TextTXT")), m.textTXT) != jet::ValueState::Value)
      m.textTXT.clear();
    if (text->bytes(text->column(QStringLiteral("TextRTF")), m.textRTF) != jet::ValueState::Value)
      m.textRTF.clear();
  }
  return m;
}

MappenInhalt LeseMappe(const QString& archivePath, const QString& workingCopy) {
  if (!UnpackWorkbook(archivePath, workingCopy)) {
    MappenInhalt m;
    m.fehler = MappenInhalt::Fehler::Oeffnen;
    return m;
  }
  return LeseMappenDatenbank(workingCopy);
}

MappenInhalt LeseMappe(const QString& archivePath) {
  QTemporaryDir dir(QDir(files::TempFolder()).filePath(QStringLiteral("qv-mappe-XXXXXX")));
  if (!dir.isValid()) {
    MappenInhalt m;
    m.fehler = MappenInhalt::Fehler::Oeffnen;
    return m;
  }
  return LeseMappe(archivePath, dir.filePath(QStringLiteral("mappe.mdb")));
}

// ---------------------------------------------------------------------------

void RemoveWorkingCopy() {
  if (!gMappenKopie.isEmpty()) files::DeleteFile(gMappenKopie);
}

QString BeschaedigtMeldung(const MappenInhalt& m) {
  return QStringLiteral("Die Mappe ist beschädigt: nur %1 von %2 Arbeitsblättern konnten gelesen werden.")
      .arg(m.gelesen)
      .arg(m.erwartet);
}

void UebernimmMappe(const QString& path, const MappenInhalt& m) {
  // Exercises name their workbook by its full path, whatever folder the
  // program was started in.
  gMappenPfad = path.isEmpty() ? path : QDir::current().absoluteFilePath(path);
  if (m.hatDatensaetze) gArbeitsblaetter = m.arbeitsblaetter;
  if (!m.arbeitsblaetter.isEmpty() && m.hatText) {
    gTextTXT = m.textTXT;
    gTextRTF = m.textRTF;
  }
}

bool LadeArbeitsblaetter(TabHost& tabs, const QString& path) {
  gMappenPfad = path;
  if (gMappenPfad.isEmpty()) return false;

  // Only one working copy is kept: the previous one goes now.
  RemoveWorkingCopy();
  gMappenKopie = files::TempFileName();
  const MappenInhalt m = LeseMappe(gMappenPfad, gMappenKopie);
  if (m.fehler == MappenInhalt::Fehler::Oeffnen) {
    showMessage(kFehlerBeimOeffnen, Icon::None, Buttons::Ok, kProductName);
    return false;
  }

  UebernimmMappe(gMappenPfad, m);
  for (qsizetype k = 0; k < m.arbeitsblaetter.size(); ++k)
    tabs.addTab(QStringLiteral("Arbeitsblatt ") + QString::number(tabs.tabCount()));

  if (m.unvollstaendig) {
    WriteLog(QStringLiteral("Mappe: ") + QStringLiteral("nur %1 von %2 Datensätzen lesbar in ").arg(m.gelesen).arg(m.erwartet) +
             gMappenPfad);
    showMessage(BeschaedigtMeldung(m), Icon::Exclamation, Buttons::Ok, kProductName);
  }

  const bool taken = !m.arbeitsblaetter.isEmpty();
  if (taken) {
    LoadRichText(txtText(), gTextRTF);
    LoadRichText(txtTemp(), gTextRTF);
  } else {
    showMessage(kKeinArbeitsblatt, Icon::Information, Buttons::Ok, kProductName);
  }
  return taken;
}

bool LadeArbeitsblaetter(TabHost& tabs) {
  FileDialogRequest request;
  request.filter = QStringLiteral("Qbm-Mappe *.qbm|*.qbm");
  // The folder of the workbook opened last, not the program's own folder.
  return LadeArbeitsblaetter(tabs, lastfolder::askOpenPath(request, lastfolder::kMappe));
}

}  // namespace qv
