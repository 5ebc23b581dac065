#include "app/variablen.h"

#include "platform/richeditor.h"

namespace qv {

int16_t gUebungstyp = 0;
QString gCaption;
QString gDetails;
int32_t gArbeitsblattID = 0;
QByteArray gArbeitsblattRTF;
QByteArray gKontrollblattRTF;

void SetCurrentWorksheet(const ArbeitsblattEintrag& e) {
  gUebungstyp = e.Uebungstyp;
  gCaption = e.Caption;
  gDetails = e.Details;
  gArbeitsblattID = e.ID;
  gArbeitsblattRTF = e.ArbeitsblattRTF;
  gKontrollblattRTF = e.KontrollblattRTF;
}

QString gMappenPfad;
QString gMappenKopie;
QList<ArbeitsblattEintrag> gArbeitsblaetter;
QString gTextTXT;
QByteArray gTextRTF;

QStringList gDetailZeilen;
QList<clsToken> gLuecken;
int16_t gLueckenArt = 0;

int16_t gWortliste = 4;
int32_t gDialogErgebnis = 2;
bool gFormatDoc = true;
int32_t gReaTyp = 0;

RichEditor& txtText() {
  static RichEditor editor;
  return editor;
}

RichEditor& txtTemp() {
  static RichEditor editor;
  return editor;
}

}  // namespace qv
