#include "word/feldeditor.h"

#include "platform/docengine.h"

namespace qv {

int FeldEditor::feldBei(int start, int end) const {
  if (doc_.protectionType() != engine::kProtectionFormFields) return 0;
  for (int i = 1; i <= doc_.fieldCount(); ++i) {
    const Field* f = doc_.field(i);
    if (f->kind == FieldKind::FormText && start >= f->result.start() && end <= f->result.end()) return i;
  }
  return 0;
}

FeldEditor::Ergebnis FeldEditor::ersetze(int feldIndex, int from, int to, const QString& text) {
  const Field* f = doc_.field(feldIndex);
  if (!f) return {Wirkung::Geschuetzt};
  const QString alt = f->result.text();
  const int s = f->result.start();
  QString neu;
  int caret;
  if (isEmptyFieldText(alt)) {
    neu = text;
    caret = s + static_cast<int>(text.size());
  } else {
    neu = alt.left(from - s) + text + alt.mid(to - s);
    caret = from + static_cast<int>(text.size());
  }
  if (f->form.maxLength > 0 && neu.size() > f->form.maxLength) return {Wirkung::ZuLang};
  // A field never becomes empty: it would take no more typing.
  if (neu.isEmpty()) {
    neu = engine::kEmptyFormFieldText;
    caret = s;
  }
  if (neu == alt) return {Wirkung::Unveraendert, feldIndex};
  doc_.setFormFieldResult(f->form.name, neu);
  return {Wirkung::Geaendert, feldIndex, caret};
}

FeldEditor::Ergebnis FeldEditor::tippe(int selStart, int selEnd, const QString& typed) {
  QString text = typed;
  for (QChar& ch : text)
    if (ch == QLatin1Char('\n') || ch == QLatin1Char('\r') || ch == QLatin1Char('\t') ||
        ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator)
      ch = QLatin1Char(' ');
  if (text.isEmpty()) return {};
  const int feld = feldBei(selStart, selEnd);
  if (!feld) return {Wirkung::Geschuetzt};
  return ersetze(feld, selStart, selEnd, text);
}

FeldEditor::Ergebnis FeldEditor::loesche(int selStart, int selEnd, int position, bool vorwaerts) {
  int from = selStart, to = selEnd;
  if (from == to) {
    if (vorwaerts) ++to;
    else --from;
  }
  const int feld = feldBei(from, to);
  if (!feld) {
    // At the edge of a field there is nothing to delete inside it.
    if (feldBei(position, position)) return {};
    return {Wirkung::Geschuetzt};
  }
  if (isEmptyFieldText(doc_.field(feld)->result.text())) return {};
  return ersetze(feld, from, to, QString());
}

int FeldEditor::formularNummer(int feldIndex) const {
  const Field* f = doc_.field(feldIndex);
  for (int i = 1; f && i <= doc_.formFieldCount(); ++i)
    if (doc_.formField(i) == f) return i;
  return 0;
}

int FeldEditor::naechstesFeld(int aktuell, int cursor, bool zurueck) const {
  const int n = doc_.formFieldCount();
  if (n == 0) return 0;
  int at = formularNummer(aktuell);
  if (at == 0) {
    // From outside the fields: the next field behind (or before) the cursor.
    at = zurueck ? n + 1 : 0;
    for (int i = 1; i <= n; ++i)
      if (zurueck && doc_.formField(i)->result.end() < cursor) at = i + 1;
    if (!zurueck)
      for (int i = n; i >= 1; --i)
        if (doc_.formField(i)->result.start() > cursor) at = i - 1;
  }
  return zurueck ? (at <= 1 ? n : at - 1) : (at >= n ? 1 : at + 1);
}

}  // namespace qv
