#pragma once

// The program-wide state of the main program: the current worksheet, the
// workbook, the gap list and the output settings. Each variable is written
// by the module named beside it and read by others.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "exercise/token.h"

namespace qv {

class RichEditor;

// One worksheet taken from a workbook.
struct ArbeitsblattEintrag {
  int16_t Uebungstyp = 0;
  QString Caption;
  QString Details;
  int32_t ID = 0;
  QByteArray ArbeitsblattRTF;   // stored rich text (30-byte header + RTF)
  QByteArray KontrollblattRTF;  // stored rich text
};

// Makes the entry the current worksheet: copies its fields into the
// variables below.
void SetCurrentWorksheet(const ArbeitsblattEintrag& e);

// Current worksheet (set by a worksheet tab click).
extern int16_t gUebungstyp;
extern QString gCaption;
extern QString gDetails;
extern int32_t gArbeitsblattID;
extern QByteArray gArbeitsblattRTF;
extern QByteArray gKontrollblattRTF;

// Workbook state (set by the workbook loading).
extern QString gMappenPfad;
extern QString gMappenKopie;
// Entry k (1-based) is gArbeitsblaetter[k - 1] and belongs to tab k + 1.
extern QList<ArbeitsblattEintrag> gArbeitsblaetter;
extern QString gTextTXT;
extern QByteArray gTextRTF;

// Gap list (set by BuildGapList). Row i (1-based) is gDetailZeilen[i - 1];
// the token keyed "i" is gLuecken[i - 1].
extern QStringList gDetailZeilen;
extern QList<clsToken> gLuecken;
extern int16_t gLueckenArt;

// Output settings.
extern int16_t gWortliste;       // 1..4, set by the output options dialog
extern int32_t gDialogErgebnis;  // 1 confirmed, 2 cancelled
extern bool gFormatDoc;          // "DOC - Format" checked (else "HTM - Format")
extern int32_t gReaTyp;          // a setting that stays 0

// The main window's editors: the visible one and the hidden one for
// conversions. They exist without a window; the main window shows them.
RichEditor& txtText();
RichEditor& txtTemp();

}  // namespace qv
