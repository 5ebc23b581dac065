#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/tools.h"

namespace qv {

// The progress display of a build: its bar runs from 0 to the maximum, each
// built gap or header word adds 1. The window closes when it is destroyed.
class BuildProgress : public ValueHolder {
 public:
  virtual void setMaximum(int max) = 0;
};

// The program installs an opener that shows the progress window without
// blocking; without one the build counts on an invisible display.
using ProgressOpener = std::function<std::unique_ptr<BuildProgress>()>;
void setProgressOpener(ProgressOpener opener);

// Builds the current worksheet as an interactive form document: a new
// document from the template with the text, one numbered text form field
// per gap, the header line of clickable words (output forms 1 and 2), the
// worksheet's head block, the variables and form protection. The document is
// then shown in its window; the closing message tells the number of gaps.
void CreateWordExercise(int16_t uebungstyp, int16_t menuIndex);

// The steps of the build, on gWordDoc.
void InsertOriginal();
// Puts a form field on every gap of gLuecken; returns the number of gaps.
int32_t CreateGapFields();
void InsertWordListHeader();
void InsertWorksheetHead();

// The head block at the start of a worksheet's rich text (characters that
// carry a head marker), as RTF; empty when the text starts without one.
QByteArray WorksheetHeadRtf(const QByteArray& arbeitsblattRtf);

}  // namespace qv
