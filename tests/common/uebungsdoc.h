#pragma once

// Exercise documents for the tests, made by the form builder from a small
// worksheet of type 101.

#include <QList>
#include <QString>
#include <QStringList>

#include "common/umgebung.h"

namespace qv::engine {
class Document;
}

namespace qvtest {

struct Gap {
  QString word;  // the word in the text that becomes the field
  QString grundform;
  QStringList alternativen;
};

struct UebungVorgabe {
  // The text with every gap word written as "[word]", in gap order.
  QString text = QStringLiteral("Am Montag [fuhren] wir an den [Mühlsee]. Dort [gab] es Eis.");
  QList<Gap> gaps = {{QStringLiteral("fuhren"), QStringLiteral("fahren"), {QStringLiteral("reisten")}},
                     {QStringLiteral("Mühlsee"), QStringLiteral("Mühlsee"), {}},
                     {QStringLiteral("gab"), QStringLiteral("geben"), {}}};
  bool withDetails = true;  // false: "Arbeitsblatt ohne Lösung"
  bool headerLine = true;   // the gap words as clickable header words
  int wortliste = 0;        // output form gWortliste; 0: 1 with the header line, else 4
};

// The default worksheet 80 times over (a line break after every eighth),
// with all its gaps: several pages.
UebungVorgabe langeVorgabe();

// A new engine instance with the exercise document (unsaved). Sets the
// program state of the worksheet as the builder leaves it.
qv::engine::Document* makeExercise(const UebungVorgabe& vorgabe = {});
// Worksheet nummer (1-based, as its tab) of the workbook built as the
// worksheet menu's entry menuIndex builds it, with output form wortliste and
// "Nein" to the alternatives; the program state is that worksheet's. The
// engine keeps the document; nullptr when none was built.
qv::engine::Document* buildFromWorkbook(const QString& mappe, int nummer, int wortliste, int menuIndex = 2);
// The 1-based field index (engine::Document::field) of the form field.
int fieldIndex(const qv::engine::Document& doc, const QString& name);
// Types the answer into Gap_k and leaves the field (Lost_Focus); returns the
// feedback line for the gap.
QString answer(qv::engine::Document& doc, int k, const QString& text);
// Quits every engine instance still running.
void quitEngines();

}  // namespace qvtest
