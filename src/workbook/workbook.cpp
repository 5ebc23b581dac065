#include "workbook/workbook.h"

#include "platform/ui.h"

namespace qv {

bool LadeArbeitsblaetter(TabHost&) {
  showMessage(QStringLiteral("Fehler beim Öffnen"), Icon::None, Buttons::Ok, kProductName);
  return false;
}

bool LadeArbeitsblaetter(TabHost& tabs, const QString&) { return LadeArbeitsblaetter(tabs); }

void RemoveWorkingCopy() {}

}  // namespace qv
