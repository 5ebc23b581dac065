#include "word/ausgabeoptionen.h"

#include "exercise/uebungstyp.h"

namespace qv {

AusgabeOptionen AusgabeOptionenFuer(int typ, const QString& details) {
  AusgabeOptionen o;
  // A gap row with an empty field (no base form) rules out the base-form forms.
  if (details.contains(QStringLiteral(";;"))) o.enabled[1] = o.enabled[2] = false;
  if (!uebungstyp::grundformFormen(typ)) o.enabled[1] = o.enabled[2] = false;
  if (!uebungstyp::wortlisteImKopf(typ)) o.enabled[0] = false;
  o.selected = uebungstyp::vorauswahl(typ, o.enabled[2]);
  return o;
}

}  // namespace qv
