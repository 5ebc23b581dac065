#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "exercise/token.h"

namespace qv {

// What one run of the gap list builder produces from a worksheet's Details.
struct GapList {
  QStringList zeilen;          // normalised, sorted rows (row i is zeilen[i - 1])
  QList<clsToken> luecken;     // one token per row, same order
  QStringList arrInhalt;       // sorted gap words (type 103: the missing parts)
  QStringList arrGrundform;    // sorted base forms (empty entries for type 103)
  int skipped = 0;             // type 301 rows dropped for more than one "_"
  int lueckenArt = 0;          // type 103: gap kind used
  // The rows could not be built (a start field of more than five digits, or
  // no row left): the lists are empty.
  bool failed = false;
  bool zuWeit = false;         // failed for a start field of more than five digits
};

// Builds the gap list of Details for an exercise type. The gap kind of type
// 103 is asked of gapKind only when needed.
GapList BuildGapRows(int uebungstyp, const QString& details, const std::function<int()>& gapKind);

// Checks that text holds each gap's word (Inhalt) at the gap's position. The
// German message naming the first gap that does not fit, or nothing when all
// fit (also when the rows give no gap at all).
std::optional<QString> LueckeAusserhalbDesTextes(int uebungstyp, const QString& details, const QString& text);
// The same on the current worksheet (gUebungstyp, gDetails, gTextTXT); shows
// the message and returns false when a gap does not fit. Every road that
// builds an exercise asks this first and builds nothing on false.
bool LueckenPassenZumText();

// The whole builder on the program state: fills gDetailZeilen, gLuecken and
// gLueckenArt, reports dropped type 301 rows, asks for alternative solutions
// on the Word path and hands the word lists to the document-variable writer.
// Returns the number of gaps.
int32_t BuildGapList(bool forHtml, bool& withDetails);

// Asks the teacher for alternative solutions of every row and writes them
// into field 5 (NUL-separated), or empties it. An empty answer empties the
// row's field; "Abbrechen" empties it for that row and every later one and
// ends the questions.
void AskAlternatives(QStringList& zeilen);
// The normalised form of one answer to the alternatives prompt.
QString NormaliseAlternatives(const QString& answer);

// Receives, on the Word path, what the exercise document stores as variables.
using DocumentVariablesWriter =
    std::function<void(int32_t count, const std::optional<QStringList>& inhalt,
                       const std::optional<QStringList>& grundform, bool withDetails)>;
void setDocumentVariablesWriter(DocumentVariablesWriter writer);

}  // namespace qv
