#pragma once

// The pupils of a class and the handing out of one exercise document to them:
// the pupil table, the student list file, the settings file of the student
// list window, the pupils' file names and the distribution run. Everything
// here works without a display; the window only shows `SchuelerListe`.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/ui.h"

namespace qv {

// One pupil.
struct SchuelerDaten {
  QString Name;
  QString Verzeichnis;
  QString Dateiname;
  QString Rechnername;
};

// Program-wide pupil table; record i (1-based) is gSchueler[i - 1].
extern QList<SchuelerDaten> gSchueler;
// The exercise document to hand out.
extern QString gQuelle;

// The document engine as the distribution needs it. Contract:
// - start(): prepare an engine instance for one run (may fail; the run goes on
//   and every copy then fails).
// - openMaster(path): open the exercise read-only; it is never written back.
// - personaliseCopy(target, name, user, error): on the open document set the
//   author and header cell to name, SUSER to user ("?" when empty), TEMPLATE
//   to "0", protect for form fields, and save under target. The file at
//   target must be written completely or not at all: write a temporary file in
//   the target's folder and rename it over target. Returns false and fills
//   *error with a short reason when no complete copy stands at target.
// - quit(): close without saving and end the instance.
class DistributionEngine {
 public:
  virtual ~DistributionEngine() = default;
  virtual bool start() = 0;
  virtual bool openMaster(const QString& path) = 0;
  virtual bool personaliseCopy(const QString& target, const QString& name, const QString& user,
                               QString* error) = 0;
  virtual void quit() = 0;
  // The open master holds answers or saved progress (a tried-out exercise).
  virtual bool masterHasAnswers() { return false; }
  // Empties the open master's answers and progress; it is never written back.
  virtual void emptyAnswers() {}
};

// Tells whether a file is an exercise document of this program (its variable
// "APP" holds the product name); false for anything else.
using ExerciseRecognizer = std::function<bool(const QString&)>;

// The engine and the recogniser in use. Without installed ones, no engine
// exists (every copy fails) and no file is recognised.
void setDistributionEngine(DistributionEngine* engine);
DistributionEngine* distributionEngine();
void setExerciseRecognizer(ExerciseRecognizer recognizer);
bool IsExerciseDocument(const QString& path);
// Installs the document engine as the one that writes pupil copies and
// recognises exercise documents.
void InstallDistributionEngine();

// One ticked pupil's copy in a distribution run.
struct VerteilKopie {
  enum class Ergebnis { Geschrieben, Vorhanden, Fehler };
  QString id, name, datei;
  Ergebnis ergebnis = Ergebnis::Fehler;
  QString grund;  // why a copy failed, in German
};

// How a distribution run decides what it asks the teacher.
struct VerteilRegeln {
  // Asked once when the master holds answers or saved progress: true writes
  // the copies with empty gaps.
  std::function<bool()> leeren;
  // Asked for a pupil whose copy exists, with the gap fields filled in it
  // and all gap fields (both 0 when it is no readable exercise): Yes
  // replaces it, No keeps it, Cancel ends the run.
  std::function<Answer(const QString& datei, int ausgefuellt, int luecken)> ueberschreiben;
  // Told before each copy is written.
  std::function<void(const QString& datei)> kopiere;
};

struct VerteilLauf {
  QList<VerteilKopie> kopien;  // the ticked rows up to a Cancel, in row order
  int abgebrochen = 0;         // ticked rows left out by Cancel
};

// The question before the copies of a tried-out master, and the one before
// an existing copy is replaced.
QString LeerenFrage();
QString UeberschreibenFrage(const QString& datei, int ausgefuellt, int luecken);

// The file-name stem of a pupil's name: "," to blank, one pass of blank
// pairs to one blank, blanks to "_", umlauts and ß written out in lower case.
QString SchuelerDateiname(const QString& name);
// Makes a stem safe to stand as one file name in the pupil's folder:
// / \ : * ? " < > | and control characters become "_", every ".." becomes
// "__", a leading "." becomes "_". An empty stem stays empty.
QString SichererDateiname(const QString& stem);

// One grid row.
struct SchuelerZeile {
  QString ID;
  bool checked = true;
  QString Name, Verzeichnis, Dateiname, Rechnername;
  QString key;
  bool hasKey = true;
};

// Writes one personalised copy of master with the installed engine for every
// ticked row, in row order, to the row's Dateiname. A row whose file name
// has no folder, or whose copy path is a symbolic link, gets no copy (a
// failed one); nothing is ever written through a link.
VerteilLauf Verteile(const QList<SchuelerZeile>& rows, const QString& master, const VerteilRegeln& regeln);

// The student list window without its widgets: grid rows (kept sorted by
// name), the two fields and the window title.
class SchuelerListe {
 public:
  QList<SchuelerZeile> rows;
  QString txtQuelle;
  QString txtBasisverzeichnis;
  QString title = QStringLiteral("Schülerliste");
  // Told every new title at once, so that a window shows it also while a
  // distribution run holds the event loop.
  std::function<void(const QString&)> titleChanged;
  void setTitle(const QString& t);
  bool duplizierenEnabled = true;
  // Set when a message asks for the focus in the source field.
  bool focusQuelle = false;

  void sortRows();
  // Adds a row at its sorted place; false when its key is already taken.
  bool addRow(const SchuelerZeile& row);
  int indexOfId(int id) const;

  // Settings file.
  static QString iniPath();
  void LeseIni();
  // False, after telling the user, when the file could not be written.
  bool SchreibeIni() const;

  // Student list files.
  void LadeSchuelerliste();
  void SpeichereSchuelerliste();
  // Reads a list file by the rules of the import (records appended at n + 1...).
  bool ImportiereDatei(const QString& path, bool loeschen);
  void ErzeugeDateinamen();

  // Source document and target folder.
  void WaehleQuelle();
  void WaehleVerzeichnis();
  void VerlasseQuelle();
  void VerlasseVerzeichnis();

  struct Ergebnis {
    int geschrieben = 0;
    int versucht = 0;
    int abgebrochen = 0;  // ticked pupils left out by Cancel at an overwrite question
    QStringList fehler;  // "target: reason"
    bool gelaufen = false;
  };
  Ergebnis DupliziereUebungen();
  static QString Abschlussmeldung(const Ergebnis& e);

  // "Es ist noch keine Schülerliste vorhanden!" when the grid is empty.
  bool pruefeListe() const;
};

}  // namespace qv
