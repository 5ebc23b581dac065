#pragma once

// The behaviour of the exercise template's macros, run by the document
// engine on an exercise document:
//
// - "Document_Open": gives the fields and header words the look their saved
//   state asks for, selects the first gap and, in a pupil's copy (TEMPLATE
//   "0"), puts the pupil's name from the first-page header into the window
//   caption. A copy whose scrambled solutions were damaged by another word
//   processor takes them from a master of the same GUID known on this
//   machine; without one the pupil is told that the gaps cannot be checked.
// - "Got_Focus": highlights the selected form field.
// - "Lost_Focus": judges the selected gap field against its gap row (the
//   rows of LSTDET are in gap order: row k belongs to "Gap_k"), counts the
//   attempt and colours the field. Without gap rows (a worksheet made
//   without solutions, or damaged ones) nothing is judged.
// - "MarkSingleField": marks the selected header word as used, or clears
//   the mark again.
//
// What must survive saving (verdicts, attempts, marked words) is kept in
// the document variable kStandVariable, written only by these macros; the
// sixteen variables of the exercise are only read. Colours and marks are
// formatting of the body derived from that state and set again on open.

#include <QColor>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace qv {

namespace engine {
class Document;
}

// The document variable that holds the pupil's progress.
inline const QString kStandVariable = QStringLiteral("QVSTAND");

// How an answer compares with the solutions of its gap.
enum class Urteil {
  NichtGeprueft,  // not judged (no gap row)
  Leer,           // nothing entered
  Richtig,
  Gross,   // only capitals and small letters differ
  Umlaut,  // ae, oe, ue or ss written for ä, ö, ü or ß
  Falsch,
};

// One gap row of LSTDET.
struct LueckenZeile {
  QString inhalt;
  QString grundform;
  QString loesung;
  QStringList alternativen;
  // The solution and the alternatives: every answer counted as right.
  QStringList loesungen() const;
};

// The gap rows of the document in gap order; empty when LSTDET is missing or
// empty. Rows with fewer than five fields give an empty row.
QList<LueckenZeile> LueckenZeilen(const engine::Document& doc);
// The words of the header line from LSTIH (INTDIFF 1) or LSTGF (INTDIFF 2),
// split at ", "; empty for the other output forms.
QStringList KopfWoerter(const engine::Document& doc);

// The answer as compared: outer blanks removed, typographic apostrophes and
// quotation marks as the straight ones, composed Unicode.
QString NormalisiereAntwort(const QString& answer);
Urteil BewerteAntwort(const QString& answer, const QStringList& loesungen);
// The hints for a verdict, joined by ". "; the base form is offered from the
// second wrong attempt on.
QString Hinweis(Urteil urteil, int fehlversuche, const QString& grundform);

// Saved progress of one gap.
struct LueckenStand {
  int versuche = 0;      // different answers judged
  int fehlversuche = 0;  // of those, the ones not right
  Urteil urteil = Urteil::NichtGeprueft;
  QString gezaehlt;  // the answer counted last (normalised)
  bool operator==(const LueckenStand&) const = default;
};

struct UebungsStand {
  QMap<int, LueckenStand> luecken;  // by gap number k
  QList<int> markiert;              // header buttons, 1-based, ascending
  static UebungsStand lesen(const engine::Document& doc);
  // From the saved variable's text.
  static UebungsStand ausText(const QString& text);
  void schreiben(engine::Document& doc) const;
  bool operator==(const UebungsStand&) const = default;
};

// True when a text form field holds an answer (more than blanks) or the
// document carries saved progress: a master the teacher tried out.
bool HatAntworten(const engine::Document& doc);
// Empties every text form field, drops the saved progress and gives fields
// and header words the look of an untouched exercise, so that copies of the
// document start blank.
void LeereAntworten(engine::Document& doc);

// k for a field named "Gap_k", 0 for any other name.
int GapNumber(const QString& fieldName);

// The macros, on the document's selected field (engine::Document::
// selectedField). Each does nothing when no fitting field is selected.
void DocumentOpen(engine::Document& doc);
void GotFocus(engine::Document& doc);
void LostFocus(engine::Document& doc);
void MarkSingleField(engine::Document& doc);

// The line the document window shows after a gap was left, e.g.
// "Lücke 2: falsch. Achte auf Groß- und Kleinschreibung"; empty when the gap
// is not judged.
QString Rueckmeldung(const engine::Document& doc, int k);
// Gaps whose last verdict is right, and judged gaps at all.
int RichtigeLuecken(const engine::Document& doc);

// The looks the macros give.
namespace farbe {
inline const QColor kFeld(230, 230, 230);
inline const QColor kFokus(255, 255, 0);
inline const QColor kRichtig(211, 243, 211);
inline const QColor kFalsch(249, 208, 208);
inline const QColor kMarkiert(128, 128, 128);
}  // namespace farbe

// Hands the macros to the document engine.
void InstallExerciseMacros();

// Opens an exercise document for working on it: a new engine instance, the
// file opened for writing, "Document_Open" run. nullptr (and the engine
// quit) when the file cannot be opened or is no exercise document; the
// reason in German in *error.
engine::Document* OpenExerciseDocument(const QString& path, QString* error = nullptr);

}  // namespace qv
