#pragma once

// Collecting the pupils' work: every pupil's copy of an exercise is read
// (never written) and each gap judged against the master's gap rows by the
// comparison the document window uses when a field is left. Judging looks at
// the text in each copy's fields, so a copy filled in another word processor
// counts the same; the attempts come from the progress the document window
// saves, where present. Works without a display; the results window and the
// command line show what `WerteAus` returns.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "word/uebungsmakros.h"

class QPagedPaintDevice;

namespace qv {

// What became of one pupil's copy.
enum class AbgabeZustand {
  NichtAbgegeben,  // no file at the copy's path
  NichtBegonnen,   // no gap filled
  InArbeit,
  Fertig,          // every gap filled
  AndereUebung,    // the copy's GUID is not the master's (not counted)
  NichtLesbar,     // damaged or no exercise document (not counted)
};
// "nicht abgegeben", "nicht begonnen", "in Arbeit", "fertig", "andere Übung",
// "nicht lesbar".
QString ZustandText(AbgabeZustand z);
// True for the copies that belong to the master and could be read: only
// these count in the figures.
bool IstGezaehlt(AbgabeZustand z);

// A gap's verdict. An answer the document window would call a matter of
// capitals ("Gross") or of written-out umlauts ("Umlaut") is not the
// solution and counts as wrong.
enum class LueckenWertung { Leer, Richtig, Falsch };
LueckenWertung Wertung(Urteil u);

// The master exercise as the judging needs it.
struct ErgebnisVorlage {
  QString pfad;
  QString guid;
  QList<LueckenZeile> zeilen;  // row k - 1 belongs to "Gap_k"
};
// Reads the master; nullopt with a German reason in *error when it is no
// exercise document of this program or carries no solutions.
std::optional<ErgebnisVorlage> LeseVorlage(const QString& path, QString* error = nullptr);

// The gap fields ("Gap_k") of an exercise document at path, and of those the
// ones holding an answer; {0, 0} when it cannot be read.
struct Ausfuellung {
  int ausgefuellt = 0, luecken = 0;
};
Ausfuellung AusgefuellteLuecken(const QString& path);

// One pupil's copy, as expected from a student list or found in a folder.
struct Einsendung {
  QString id, name, datei;
  QString hinweis;  // when the pupil left several files: which one counts
};
// The copies a student list file names: one per line with a name, the ID
// from the leading digits of the copy's file name (as the student list
// window names copies), else the line's number. Where the copy's folder
// holds several files of the pupil (of its ID, or of its name as another
// type), the newest counts. nullopt when the file cannot be read.
std::optional<QList<Einsendung>> EinsendungenAusListe(const QString& listPath);
// Every *.doc, *.rtf, *.odt and *.docx file in the folder (not below it)
// except the master itself, by file name; the ID from the file name's
// leading digits, the name is taken from the copy when it is judged. Of
// several files of one ID the newest counts.
QList<Einsendung> EinsendungenAusOrdner(const QString& folder, const QString& masterPath);

struct SchuelerErgebnis {
  QString id, name, datei;
  AbgabeZustand zustand = AbgabeZustand::NichtAbgegeben;
  // Why a copy is "nicht lesbar", in German; empty otherwise.
  QString grund;
  // Set when the pupil's ID names two files: which one counted and why.
  QString hinweis;
  // One entry per gap of the master for counted copies, else none: the
  // answer as compared (outer blanks removed; empty for an empty field).
  QStringList antworten;
  QList<LueckenWertung> wertungen;
  int richtig = 0, falsch = 0, leer = 0;
  // The different answers the document window judged, plus one for each
  // field whose answer it never judged (typed in another program).
  int versuche = 0;
  // The file is a master (TEMPLATE "1"), not a copy handed out.
  bool vorlage = false;
  // Percent of the master's gaps answered right (0 when not counted).
  double prozent(int luecken) const;
};

// Counted copies only.
struct LueckenStatistik {
  int nummer = 0, richtig = 0, falsch = 0, leer = 0;
  QString loesung;
  double anteilRichtig() const;  // percent of the counted copies, 0 when none
};

struct ErgebnisUebersicht {
  QString uebung;
  int luecken = 0;
  QList<SchuelerErgebnis> schueler;
  QList<LueckenStatistik> jeLuecke;
  int gezaehlt() const;
};

// Judges one copy. name stays empty unless the copy is read: then it is the
// pupil's name from the first-page header cell (1, 2), else the author.
SchuelerErgebnis BewerteKopie(const ErgebnisVorlage& vorlage, const QString& datei, QString* nameAusKopie = nullptr);

// Told after each copy (done of total); returning false stops the run with
// the copies judged so far.
using ErgebnisFortschritt = std::function<bool(int done, int total)>;
// Judges every copy (read on worker threads, one per processor) and gives
// the results in list order; fortschritt is told on the calling thread. An
// Einsendung without a name (found in a folder) takes the name from its
// copy, else the file's title; one that is a master is left out.
ErgebnisUebersicht WerteAus(const ErgebnisVorlage& vorlage, const QList<Einsendung>& kopien,
                            const ErgebnisFortschritt& fortschritt = {});

// The overview as a table for spreadsheets: a head line, one line per pupil
// (gap cells "richtig: answer", "falsch: answer", "leer"), then the line
// "Anteil richtig" with the percent of right answers per gap; fields
// separated by ";", quoted where they hold one, lines ended by CR LF.
QString ErgebnisTabelle(const ErgebnisUebersicht& e);
// Writes it as the program's text files are written.
bool SchreibeErgebnisTabelle(const ErgebnisUebersicht& e, const QString& path, QString* error = nullptr);

// The overview on landscape pages: the pupils' table with one sign per gap
// (+ right, – wrong, · empty) and a table of the gaps; page numbers below.
// seite is told after each page (page, pages).
void DruckeErgebnisse(const ErgebnisUebersicht& e, QPagedPaintDevice& device, const ErgebnisFortschritt& seite = {});
bool SchreibeErgebnisPdf(const ErgebnisUebersicht& e, const QString& path, QString* error = nullptr,
                         const ErgebnisFortschritt& seite = {});

}  // namespace qv
