#pragma once

#include <QString>
#include <cstdint>

namespace qv {

// Builds the gap list of the current worksheet and writes, shows and reports
// the HTML exercise "Worksheet.html".
void CreateHtmlExercise(int16_t uebungstyp, int16_t menuIndex);

// Writes the page for the current gap list (gLuecken, gUebungstyp,
// gWortliste, gMappenPfad) over text to path, without showing it. False with
// a German reason in *error when it could not be written.
bool WriteHtmlExercise(const QString& text, const QString& path, QString* error);

}  // namespace qv
