#pragma once

#include <QList>
#include <QString>

#include "export/lueckentext.h"

namespace qv {

// The question file for Moodle's import ("Moodle XML"): a category named
// after the workbook, then one cloze question per worksheet that has gaps.
// Refuses (fehler set, no bytes) an answer holding "~", naming the gap.
ExportErgebnis BaueMoodleXml(const QString& mappenTitel, const QList<ExportBlatt>& blaetter);

// One gap in the cloze syntax, "{1:SHORTANSWER_C:=answer~=other}".
QString ClozeLuecke(const QStringList& antworten);

}  // namespace qv
