#pragma once

#include <cstdint>

namespace qv {

// Builds the current worksheet as an interactive form document.
void CreateWordExercise(int16_t uebungstyp, int16_t menuIndex);

}  // namespace qv
