#pragma once

#include <QString>

namespace qv {

namespace engine {
class Document;
}

// Editing inside the form fields of an exercise document protected for form
// fields, without a display: where typing may go, what typing and deleting
// do to a field's text, and which field the tab key goes to. The document
// window routes its keys here and moves its cursor as the answers say.
class FeldEditor {
 public:
  explicit FeldEditor(engine::Document& doc) : doc_(doc) {}

  // The form field (1-based index into the document's fields) that holds
  // the whole range start..end; 0 when none or the document is not
  // protected for form fields.
  int feldBei(int start, int end) const;

  enum class Wirkung {
    Geaendert,    // the field's text changed; the cursor goes to `cursor`
    Unveraendert, // nothing to do (deleting at a field's edge, in an empty field)
    Geschuetzt,   // outside the fields: the text is protected
    ZuLang,       // longer than the field's maximum length
  };
  struct Ergebnis {
    Wirkung wirkung = Wirkung::Unveraendert;
    int feld = 0;    // the field changed
    int cursor = 0;  // where the cursor goes then
  };
  // Typing (or pasting) text over the selection selStart..selEnd. Line and
  // tab characters become blanks; an empty field is replaced whole.
  Ergebnis tippe(int selStart, int selEnd, const QString& text);
  // Backspace (vorwaerts false) or Delete at the selection selStart..selEnd
  // with the cursor at position.
  Ergebnis loesche(int selStart, int selEnd, int position, bool vorwaerts);
  // The form field (1-based in document order) that the tab key goes to,
  // forwards or back (zurueck), from the field the cursor is in (aktuell,
  // a field index, 0 for none) or from the cursor position; the order wraps
  // round. 0 when the document has no form fields.
  int naechstesFeld(int aktuell, int cursor, bool zurueck) const;
  // The 1-based form field number of a field index, 0 for none.
  int formularNummer(int feldIndex) const;

 private:
  Ergebnis ersetze(int feldIndex, int from, int to, const QString& text);
  engine::Document& doc_;
};

}  // namespace qv
