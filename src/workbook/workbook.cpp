#include "workbook/workbook.h"

#include "platform/ui.h"

namespace qv {

bool LadeArbeitsblaetter(TabHost&) {
  showMessage(QStringLiteral("Fehler beim Öffnen"), Icon::None, Buttons::Ok, kProductName);
  return false;
}

void RemoveWorkingCopy() {}

}  // namespace qv
