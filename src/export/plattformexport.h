#pragma once

#include <QString>

#include "export/lueckentext.h"

namespace qv {

enum class Plattform { Moodle, H5p };

// The current worksheet (gLuecken, the alternatives in gDetailZeilen,
// gTextTXT, gUebungstyp, gWortliste, gCaption, gArbeitsblattID) as an export
// takes it.
ExportBlatt AktuellesExportBlatt();

// The file of the current worksheet for the platform, from the gap list
// already built.
ExportErgebnis BaueExport(Plattform p);

// The file name extension, ".xml" or ".h5p".
QString ExportEndung(Plattform p);

// Builds the gap list of the current worksheet, asks for alternative
// solutions, lets the teacher choose where to save, writes the file and
// reports the number of gaps.
void CreatePlattformExercise(Plattform p);

}  // namespace qv
