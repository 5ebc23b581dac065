#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

#include "app/variablen.h"

namespace qv {

// The main window's tab strip as the workbook loading sees it.
class TabHost {
 public:
  virtual ~TabHost() = default;
  virtual int tabCount() const = 0;
  virtual void addTab(const QString& caption) = 0;
};

// Lets the teacher choose a workbook and reads its worksheets and text into
// the program state; one tab per taken worksheet. True when at least one
// worksheet was taken.
bool LadeArbeitsblaetter(TabHost& tabs);
// The same for a workbook path given beforehand (command line): no dialog.
bool LadeArbeitsblaetter(TabHost& tabs, const QString& path);

// Deletes the working copy of the open workbook (at the next load and at exit).
void RemoveWorkingCopy();

// The archive password and the database member of a workbook.
inline const QString kMappenPasswort = QStringLiteral("bruvendal");
inline const QString kMappenDatenbank = QStringLiteral("~qb08d41b9.tmp");

// Extracts the workbook's database member into targetPath (replaced).
bool UnpackWorkbook(const QString& archivePath, const QString& targetPath);

// What reading a workbook gave, without touching the program state.
struct MappenInhalt {
  enum class Fehler {
    Keiner,          // at least one worksheet taken
    Oeffnen,         // archive unreadable, member missing, copy failed
    KeinArbeitsblatt // database, table or records unusable, or none taken
  };
  Fehler fehler = Fehler::Keiner;
  // The table "Arbeitsblatt" had records: the worksheet list is rebuilt
  // (possibly to no entry at all).
  bool hatDatensaetze = false;
  QList<ArbeitsblattEintrag> arbeitsblaetter;
  // The first record of table "Text" was read.
  bool hatText = false;
  QString textTXT;
  QByteArray textRTF;
  // Fewer records of "Arbeitsblatt" could be read than the table announces
  // (damaged pages or records): the readable ones are kept.
  bool unvollstaendig = false;
  int64_t gelesen = 0;   // records read
  int64_t erwartet = 0;  // records the table announces
};

// The messages of reading a workbook.
inline const QString kFehlerBeimOeffnen = QStringLiteral("Fehler beim Öffnen");
inline const QString kKeinArbeitsblatt = QStringLiteral("Kein Arbeitsblatt zur Erstellung interaktiver Übungen gefunden");
QString BeschaedigtMeldung(const MappenInhalt& m);

// Puts what reading the workbook at path gave into the program state, as
// opening it does: its path, the worksheet list (when the table had
// records) and, when a worksheet was taken, the text.
void UebernimmMappe(const QString& path, const MappenInhalt& m);


// Reads an already extracted workbook database.
MappenInhalt LeseMappenDatenbank(const QString& databasePath);
// Extracts the database to workingCopy (kept) and reads it.
MappenInhalt LeseMappe(const QString& archivePath, const QString& workingCopy);
// The same with a private temporary working copy that is removed afterwards.
MappenInhalt LeseMappe(const QString& archivePath);

}  // namespace qv
