#include "platform/docmodel.h"

#include <QCryptographicHash>
#include <QTextBlock>
#include <QTextTable>
#include <algorithm>

#include "platform/rtf_codec.h"

namespace qv {

// ---- TextRange

TextRange::TextRange(QTextDocument* doc, int start, int end) {
  if (!doc) return;
  const int last = std::max(0, doc->characterCount() - 1);
  start = std::clamp(start, 0, last);
  end = std::clamp(end, start, last);
  start_ = QTextCursor(doc);
  start_.setPosition(start);
  if (doc->findBlock(start) == doc->findBlock(end)) {
    start_.setPosition(end, QTextCursor::KeepAnchor);
    return;
  }
  end_ = QTextCursor(doc);
  end_.setPosition(end);
}

void TextRange::set(int start, int end) {
  QTextDocument* doc = document();
  if (doc) *this = TextRange(doc, start, end);
}

QTextCursor TextRange::cursor() const {
  if (isNull()) return {};
  QTextCursor c(start_);
  c.setPosition(start());
  c.setPosition(end(), QTextCursor::KeepAnchor);
  return c;
}

void TextRange::clearProperties(std::initializer_list<int> properties) const {
  if (isNull() || isEmpty()) return;
  QTextDocument* d = document();
  // Each fragment keeps its own format: collect them first, since setting a
  // format changes the fragments being walked.
  struct Stueck {
    int start, end;
    QTextCharFormat format;
  };
  QList<Stueck> stuecke;
  const int s = start(), e = end();
  for (QTextBlock b = d->findBlock(s); b.isValid() && b.position() < e; b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fr = it.fragment();
      const int fs = std::max(fr.position(), s), fe = std::min(fr.position() + fr.length(), e);
      if (fs < fe) stuecke.append({fs, fe, fr.charFormat()});
    }
  for (Stueck& st : stuecke) {
    for (int p : properties) st.format.clearProperty(p);
    QTextCursor c(d);
    c.setPosition(st.start);
    c.setPosition(st.end, QTextCursor::KeepAnchor);
    c.setCharFormat(st.format);
  }
}

QString TextRange::text() const { return isNull() ? QString() : cursor().selectedText(); }

void TextRange::setText(const QString& text) {
  if (isNull()) return;
  const int s = start();
  QTextCursor c = cursor();
  QTextCursor first(c);
  first.setPosition(s);
  if (!c.hasSelection()) {
    // Keep the format of the character behind an empty range.
    first.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
  } else {
    first.setPosition(s + 1, QTextCursor::KeepAnchor);
  }
  const QTextCharFormat fmt = first.charFormat();
  c.beginEditBlock();
  c.removeSelectedText();
  c.insertText(text, fmt);
  c.endEditBlock();
  set(s, s + static_cast<int>(text.size()));
}

// ---- Field

QString Field::type() const {
  const QString t = instruction.trimmed();
  const qsizetype sp = t.indexOf(QLatin1Char(' '));
  return (sp < 0 ? t : t.left(sp)).toUpper();
}

QString Field::macroName() const {
  const QStringList words = instruction.simplified().split(QLatin1Char(' '));
  return words.size() > 1 ? words[1] : QString();
}

// ---- RichDocument

RichDocument::RichDocument()
    : body_(std::make_unique<QTextDocument>()), bodyRtf_(std::make_unique<rtf::codec::WriteCache>()) {
  // Every change of text or format sends this signal at once (also inside an
  // edit block and without undo; contentsChange() waits for a layout).
  bodyChanged_ = QObject::connect(body_.get(), &QTextDocument::contentsChanged, body_.get(), [this] { dropBodyRtf(); });
}
RichDocument::~RichDocument() {
  QObject::disconnect(bodyChanged_);
  // The ranges hold cursors on the documents; drop them first.
  fields_.clear();
  bookmarks_.clear();
}

void RichDocument::dropBodyRtf() { bodyRtf_->body.valid = false; }

void RichDocument::beginEdit() {
  if (editDepth_++ == 0) QTextCursor(body_.get()).beginEditBlock();
}

void RichDocument::endEdit() {
  if (editDepth_ > 0 && --editDepth_ == 0) QTextCursor(body_.get()).endEditBlock();
}

void RichDocument::clear() {
  dropBodyRtf();
  fields_.clear();
  bookmarks_.clear();
  body_->clear();
  variables_.clear();
  info_ = {};
  protection_ = {};
  page_ = {};
  titlePage_ = false;
  endsWithParagraphMark_ = false;
  for (auto& h : headers_) h.reset();
}

bool RichDocument::readRtf(const QByteArray& bytes) {
  clear();
  bodyRtf_->body.sizeHint = bytes.size();
  return rtf::codec::read(bytes, *body_, this);
}

QByteArray RichDocument::toRtf() const {
  return rtf::codec::write(*body_, 0, std::max(0, body_->characterCount() - 1), this, bodyRtf_.get());
}

bool RichDocument::writeRtf(QIODevice& out) const {
  const QByteArrayList pieces =
      rtf::codec::writePieces(*body_, 0, std::max(0, body_->characterCount() - 1), this, bodyRtf_.get());
  for (const QByteArray& p : pieces)
    if (out.write(p) != p.size()) return false;
  return true;
}

int RichDocument::variableIndex(const QString& name) const {
  for (qsizetype i = 0; i < variables_.size(); ++i)
    if (variables_[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

std::optional<QString> RichDocument::variable(const QString& name) const {
  const int i = variableIndex(name);
  if (i < 0) return std::nullopt;
  return variables_[i].value;
}

void RichDocument::setVariable(const QString& name, const QString& value) {
  const int i = variableIndex(name);
  if (i >= 0) variables_[i].value = value;
  else variables_.append({name, value});
}

bool RichDocument::removeVariable(const QString& name) {
  const int i = variableIndex(name);
  if (i < 0) return false;
  variables_.removeAt(i);
  return true;
}

QByteArray RichDocument::hashPassword(const QString& password) {
  if (password.isEmpty()) return {};
  QCryptographicHash h(QCryptographicHash::Sha256);
  h.addData(QByteArrayView("qv-protection:"));
  h.addData(password.toUtf8());
  return h.result();
}

void RichDocument::protect(ProtectionType type, const QString& password) {
  protection_.type = type;
  protection_.passwordHash = type == ProtectionType::None ? QByteArray() : hashPassword(password);
}

bool RichDocument::unprotect(const QString& password) {
  if (protection_.type == ProtectionType::None) return true;
  if (!protection_.passwordHash.isEmpty() && hashPassword(password) != protection_.passwordHash) return false;
  protection_ = {};
  return true;
}

int RichDocument::insertField(int position, const QString& instruction, const QString& resultText, FieldKind kind,
                              const FormFieldData& form) {
  QTextCursor c(body_.get());
  position = std::clamp(position, 0, std::max(0, body_->characterCount() - 1));
  c.setPosition(position);
  c.insertText(resultText);
  return wrapField(position, position + static_cast<int>(resultText.size()), instruction, kind, form);
}

int RichDocument::wrapField(int start, int end, const QString& instruction, FieldKind kind,
                            const FormFieldData& form) {
  dropBodyRtf();
  const int position = start;
  Field f;
  f.kind = kind;
  f.instruction = instruction;
  f.form = form;
  f.result = TextRange(body_.get(), start, end);
  // Fields in front of the new one start before the position; those that
  // started at it or later were moved behind the inserted text.
  const auto at = std::lower_bound(fields_.begin(), fields_.end(), position,
                                   [](const Field& g, int p) { return g.result.start() < p; });
  const qsizetype index = at - fields_.begin();
  fields_.insert(index, std::move(f));
  return static_cast<int>(index);
}

Field* RichDocument::formField(const QString& name) {
  dropBodyRtf();
  for (auto& f : fields_)
    if (f.kind == FieldKind::FormText && f.form.name == name) return &f;
  return nullptr;
}

void RichDocument::sortFields() {
  dropBodyRtf();
  std::stable_sort(fields_.begin(), fields_.end(),
                   [](const Field& a, const Field& b) { return a.result.start() < b.result.start(); });
}

void RichDocument::setBookmark(const QString& name, int start, int end) {
  dropBodyRtf();
  if (Bookmark* b = bookmark(name)) {
    b->range = TextRange(body_.get(), start, end);
    return;
  }
  bookmarks_.append({name, TextRange(body_.get(), start, end)});
}

Bookmark* RichDocument::bookmark(const QString& name) {
  dropBodyRtf();
  for (auto& b : bookmarks_)
    if (b.name.compare(name, Qt::CaseInsensitive) == 0) return &b;
  return nullptr;
}

QTextDocument* RichDocument::header(HeaderKind kind) {
  auto& h = headers_[static_cast<int>(kind)];
  if (!h) h = std::make_unique<QTextDocument>();
  return h.get();
}

QTextDocument* RichDocument::existingHeader(HeaderKind kind) const { return headers_[static_cast<int>(kind)].get(); }

void RichDocument::removeHeader(HeaderKind kind) { headers_[static_cast<int>(kind)].reset(); }

static QTextTable* firstTable(QTextDocument* doc) {
  if (!doc) return nullptr;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    QTextCursor c(b);
    if (QTextTable* t = c.currentTable()) {
      // The outermost table around this block.
      while (QTextTable* outer = [&]() -> QTextTable* {
               QTextCursor oc(doc);
               oc.setPosition(t->firstPosition() - 1);
               return oc.currentTable();
             }())
        t = outer;
      return t;
    }
  }
  return nullptr;
}

std::optional<QString> RichDocument::headerCellText(HeaderKind kind, int row, int column) const {
  QTextTable* t = firstTable(existingHeader(kind));
  if (!t || row < 1 || column < 1 || row > t->rows() || column > t->columns()) return std::nullopt;
  const QTextTableCell cell = t->cellAt(row - 1, column - 1);
  QTextCursor c = cell.firstCursorPosition();
  c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
  return c.selectedText();
}

bool RichDocument::setHeaderCellText(HeaderKind kind, int row, int column, const QString& text) {
  QTextTable* t = firstTable(existingHeader(kind));
  if (!t || row < 1 || column < 1 || row > t->rows() || column > t->columns()) return false;
  const QTextTableCell cell = t->cellAt(row - 1, column - 1);
  QTextCursor c = cell.firstCursorPosition();
  const QTextCharFormat fmt = [&] {
    QTextCursor f(c);
    if (f.position() < cell.lastCursorPosition().position())
      f.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    return f.charFormat();
  }();
  c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
  c.beginEditBlock();
  c.removeSelectedText();
  c.insertText(text, fmt);
  c.endEditBlock();
  return true;
}

}  // namespace qv
