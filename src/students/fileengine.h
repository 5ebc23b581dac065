#pragma once

#include "students/schueler.h"

namespace qv {

// Writes a file completely or not at all: a temporary file in the target's
// folder, renamed over the target. *error gets a short reason on failure.
bool WriteFileAtomically(const QString& target, const QByteArray& bytes, QString* error);

}  // namespace qv
