#include "html/htmlexercise.h"

#include "platform/ui.h"

namespace qv {

void CreateHtmlExercise(int16_t, int16_t) {
  showMessage(QStringLiteral("Die Ausgabe als Web-Seite ist noch nicht verfügbar."), Icon::Information);
}

}  // namespace qv

namespace qv {

bool WriteHtmlExercise(const QString&, const QString&, QString* error) {
  if (error) *error = QStringLiteral("Die Ausgabe als Web-Seite ist noch nicht verfügbar.");
  return false;
}

}  // namespace qv
