#pragma once

#include <QString>
#include <cstdint>

namespace qv {

// Builds the gap list of the current worksheet and writes, shows and reports
// the HTML exercise "Worksheet.html".
void CreateHtmlExercise(int16_t uebungstyp, int16_t menuIndex);

}  // namespace qv
