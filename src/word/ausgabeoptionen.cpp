#include "word/ausgabeoptionen.h"

namespace qv {

AusgabeOptionen AusgabeOptionenFuer(int typ, const QString& details) {
  AusgabeOptionen o;
  // A gap row with an empty field (no base form) rules out the base-form forms.
  if (details.contains(QStringLiteral(";;"))) o.enabled[1] = o.enabled[2] = false;
  if (typ == 102 || typ == 103 || typ == 104 || typ == 106 || typ == 301) o.enabled[1] = o.enabled[2] = false;
  if (typ == 301) o.enabled[0] = false;
  if (typ == 106) o.selected = 0;
  else o.selected = (typ == 101 && o.enabled[2]) ? 2 : 3;
  return o;
}

}  // namespace qv
