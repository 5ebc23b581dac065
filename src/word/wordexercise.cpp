#include "word/wordexercise.h"

#include "platform/ui.h"

namespace qv {

void CreateWordExercise(int16_t, int16_t) {
  showMessage(QStringLiteral("Die Ausgabe im DOC - Format ist noch nicht verfügbar. Bitte wählen Sie im Menü "
                             "\"Ausgabeformat\" das \"HTM - Format\"."),
              Icon::Information);
}

}  // namespace qv
