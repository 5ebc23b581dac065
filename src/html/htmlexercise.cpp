#include "html/htmlexercise.h"

#include "platform/ui.h"

namespace qv {

void CreateHtmlExercise(int16_t, int16_t) {
  showMessage(QStringLiteral("Die Ausgabe als Web-Seite ist noch nicht verfügbar."), Icon::Information);
}

}  // namespace qv
