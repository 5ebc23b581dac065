// RTF writer: writes a QTextDocument (and a RichDocument's side data) as
// RTF 1.x with \ansicpg1252, so that our reader gives the same document back
// and word processors open it.
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "platform/cp1252.h"
#include "platform/docmodel.h"
#include "platform/richeditor.h"
#include "platform/rtf_codec.h"

namespace qv::rtf::codec {
namespace {

void putUnicode(QByteArray& out, char16_t u);

// Text in RTF: ASCII as is, Windows-1252 as \'hh, the rest as \uN?.
// Control characters (U+0000 included) outside the body are written as
// \uN?: word processors take \'hh control characters in a document
// variable for paragraph marks of the body, \uN? they keep in the value.
void escape(QByteArray& out, const QString& text, bool body) {
  // Collected in a small buffer and appended in pieces: appending byte by
  // byte to the QByteArray dominated the time of writing large documents.
  char buf[512];
  int n = 0;
  auto put = [&](const char* s, int len) {
    if (n + len > int(sizeof buf)) {
      out.append(buf, n);
      n = 0;
    }
    std::memcpy(buf + n, s, len);
    n += len;
  };
  auto putChar = [&](char c) {
    if (n == int(sizeof buf)) {
      out.append(buf, n);
      n = 0;
    }
    buf[n++] = c;
  };
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u >= 0x20 && u < 0x7F) {
      if (u == '\\' || u == '{' || u == '}') putChar('\\');
      putChar(char(u));
      continue;
    }
    if (!body && u < 0x20) {
      if (n) out.append(buf, n);
      n = 0;
      putUnicode(out, u);
      continue;
    }
    if (body) {
      if (u == QChar::LineSeparator) {
        put("\\line ", 6);
        continue;
      }
      if (u == '\t') {
        put("\\tab ", 5);
        continue;
      }
      if (u == 0x00A0) {
        put("\\~", 2);
        continue;
      }
    }
    const int b = cp1252::fromUnicode(ch);
    if (b >= 0) {
      static const char* hex = "0123456789abcdef";
      const char e[4] = {'\\', '\'', hex[b >> 4], hex[b & 15]};
      put(e, 4);
    } else {
      // \uN? with N the signed 16-bit value.
      char e[12];
      int len = 0;
      e[len++] = '\\';
      e[len++] = 'u';
      int v = static_cast<int16_t>(u);
      if (v < 0) {
        e[len++] = '-';
        v = -v;
      }
      char digits[6];
      int d = 0;
      do {
        digits[d++] = char('0' + v % 10);
        v /= 10;
      } while (v);
      while (d) e[len++] = digits[--d];
      e[len++] = '?';
      put(e, len);
    }
  }
  if (n) out.append(buf, n);
}

void putUnicode(QByteArray& out, char16_t u) {
  out += "\\u" + QByteArray::number(static_cast<int16_t>(u)) + '?';
}

QByteArray escaped(const QString& text) {
  QByteArray b;
  escape(b, text, false);
  return b;
}

int twips(qreal points) { return qRound(points * 20); }

class Writer {
 public:
  Writer(const QTextDocument& body, int from, int to, const RichDocument* side, WriteCache* cache)
      : body_(body), from_(from), to_(to), side_(side), cache_(cache) {}
  // The document in pieces, in file order: the large ones (variables,
  // body) are shared with the cache, so that a caller writing them one by
  // one into a file never holds a copy of the whole document.
  QByteArrayList run();

 private:
  Tables tables() const { return {fonts_, colors_, styles_}; }
  void setTables(const Tables& t) {
    fonts_ = t.fonts;
    colors_ = t.colors;
    styles_ = t.styles;
  }
  QByteArray writeBody();
  void collectTables(const QTextDocument& doc);
  int fontIndex(const QString& family);
  int colorIndex(const QColor& c);
  void writeDocument(QByteArray& out, const QTextDocument& doc, bool withMarks, int from, int to);
  void writeFrame(QByteArray& out, QTextFrame* frame, bool withMarks, int from, int to);
  void writeBlock(QByteArray& out, const QTextBlock& block, bool withMarks, int from, int to, bool inTable);
  void writeParaProps(QByteArray& out, const QTextBlockFormat& f, bool inTable);
  void writeCharProps(QByteArray& out, const QTextCharFormat& f);
  void writeMarks(QByteArray& out, int pos, bool endsFirst);

  const QTextDocument& body_;
  int from_, to_;
  const RichDocument* side_;
  WriteCache* cache_;
  std::vector<QString> fonts_;
  std::vector<QColor> colors_;
  std::vector<int> styles_;
  // Positions where fields and bookmarks open and close.
  struct Mark {
    int pos;
    int order;  // closing marks before opening ones at the same place
    QByteArray text;
    // Closing marks: where their field or bookmark opened. At one place the
    // one opened last closes first, so that groups nest.
    int openedAt = 0;
  };
  std::vector<Mark> marks_;
  size_t nextMark_ = 0;
  bool full_ = false;
  // Body ranges of form fields nobody has filled in: their blanks are
  // written as the en spaces files carry there.
  std::vector<std::pair<int, int>> emptyFields_;
  bool inEmptyField(int from, int to) const;
};

bool Writer::inEmptyField(int from, int to) const {
  for (const auto& [s, e] : emptyFields_)
    if (from >= s && to <= e) return true;
  return false;
}

int Writer::fontIndex(const QString& family) {
  const QString f = family.isEmpty() ? QStringLiteral("Arial") : family;
  for (size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i] == f) return static_cast<int>(i);
  fonts_.push_back(f);
  return static_cast<int>(fonts_.size() - 1);
}

int Writer::colorIndex(const QColor& c) {
  for (size_t i = 0; i < colors_.size(); ++i)
    if (colors_[i] == c) return static_cast<int>(i) + 1;
  colors_.push_back(c);
  return static_cast<int>(colors_.size());
}

void Writer::collectTables(const QTextDocument& doc) {
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      const QStringList fam = f.fontFamilies().toStringList();
      fontIndex(fam.isEmpty() ? QString() : fam.first());
      if (f.hasProperty(QTextFormat::ForegroundBrush)) colorIndex(f.foreground().color());
      if (f.hasProperty(QTextFormat::BackgroundBrush)) colorIndex(f.background().color());
      const int st = f.intProperty(kHeadMarkerProperty);
      if (st > 0 && std::find(styles_.begin(), styles_.end(), st) == styles_.end()) styles_.push_back(st);
    }
  }
}

void Writer::writeCharProps(QByteArray& out, const QTextCharFormat& f) {
  out += "\\plain";
  const QStringList fam = f.fontFamilies().toStringList();
  out += "\\f" + QByteArray::number(fontIndex(fam.isEmpty() ? QString() : fam.first()));
  const qreal pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : 12.0;
  out += "\\fs" + QByteArray::number(std::max(1, qRound(pt * 2)));
  if (f.fontWeight() >= QFont::Bold) out += "\\b";
  if (f.fontItalic()) out += "\\i";
  if (f.fontUnderline()) out += "\\ul";
  if (f.fontStrikeOut()) out += "\\strike";
  if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) out += "\\super";
  else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) out += "\\sub";
  if (f.hasProperty(QTextFormat::ForegroundBrush)) out += "\\cf" + QByteArray::number(colorIndex(f.foreground().color()));
  if (f.hasProperty(QTextFormat::BackgroundBrush))
    out += "\\highlight" + QByteArray::number(colorIndex(f.background().color()));
  const int st = f.intProperty(kHeadMarkerProperty);
  if (st > 0) out += "\\cs" + QByteArray::number(st);
  if (f.boolProperty(kNoProofingProperty)) out += "\\noproof\\lang1024";
  out += ' ';
}

void Writer::writeParaProps(QByteArray& out, const QTextBlockFormat& f, bool inTable) {
  out += "\\pard";
  if (inTable) out += "\\intbl";
  if (f.hasProperty(kParagraphStyleProperty)) out += "\\s" + QByteArray::number(f.intProperty(kParagraphStyleProperty));
  const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
  if (a & Qt::AlignHCenter) out += "\\qc";
  else if (a & Qt::AlignRight) out += "\\qr";
  else if (a & Qt::AlignJustify) out += "\\qj";
  if (f.leftMargin() != 0) out += "\\li" + QByteArray::number(twips(f.leftMargin()));
  if (f.rightMargin() != 0) out += "\\ri" + QByteArray::number(twips(f.rightMargin()));
  if (f.textIndent() != 0) out += "\\fi" + QByteArray::number(twips(f.textIndent()));
  if (f.topMargin() != 0) out += "\\sb" + QByteArray::number(twips(f.topMargin()));
  if (f.bottomMargin() != 0) out += "\\sa" + QByteArray::number(twips(f.bottomMargin()));
  switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
      out += "\\sl" + QByteArray::number(qRound(f.lineHeight() * 240 / 100)) + "\\slmult1";
      break;
    case QTextBlockFormat::MinimumHeight:
      out += "\\sl" + QByteArray::number(twips(f.lineHeight())) + "\\slmult0";
      break;
    case QTextBlockFormat::FixedHeight:
      out += "\\sl-" + QByteArray::number(twips(f.lineHeight())) + "\\slmult0";
      break;
    default:
      break;
  }
  for (const QTextOption::Tab& t : f.tabPositions()) out += "\\tx" + QByteArray::number(twips(t.position));
  if (f.intProperty(kBottomBorderStyleProperty) == 1) {
    out += "\\brdrb\\brdrs\\brdrw" + QByteArray::number(std::max(1, qRound(f.intProperty(kBottomBorderWidthProperty) * 20 / 8.0)));
    out += "\\brsp" + QByteArray::number(qRound(f.doubleProperty(kBottomBorderDistanceProperty) * 20));
    if (const int cf = f.intProperty(kBottomBorderColorProperty); cf > 0) out += "\\brdrcf" + QByteArray::number(cf);
  }
  out += ' ';
}

void Writer::writeMarks(QByteArray& out, int pos, bool) {
  while (nextMark_ < marks_.size() && marks_[nextMark_].pos <= pos) out += marks_[nextMark_++].text;
}

void Writer::writeBlock(QByteArray& out, const QTextBlock& block, bool withMarks, int from, int to, bool inTable) {
  const QTextBlockFormat bf = block.blockFormat();
  if (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) out += "\\page\n";
  writeParaProps(out, bf, inTable);
  bool first = true;
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment frag = it.fragment();
    int a = std::max(frag.position(), from);
    const int b = std::min(frag.position() + frag.length(), to);
    if (a >= b) continue;
    const QString text = frag.text();
    const QTextCharFormat cf = frag.charFormat();
    // Raised and lowered text goes into a group of its own: word processors
    // hold back text after \super and \sub until the group closes (a
    // footnote mark is expected there) and lose it otherwise. A field of a
    // header is the group of its text.
    const bool grouped = cf.verticalAlignment() == QTextCharFormat::AlignSuperScript ||
                         cf.verticalAlignment() == QTextCharFormat::AlignSubScript;
    const QString instruction = cf.stringProperty(kFieldInstructionProperty);
    first = false;
    bool propsWritten = false;
    while (a < b) {
      int stop = b;
      if (withMarks) {
        // Marks open and close groups: the format follows them, so that it
        // holds inside a field's result and ends with it.
        const size_t before = nextMark_;
        writeMarks(out, a, false);
        if (nextMark_ != before) propsWritten = false;
        if (nextMark_ < marks_.size() && marks_[nextMark_].pos < stop) stop = marks_[nextMark_].pos;
      }
      if (!instruction.isEmpty()) out += "{\\field{\\*\\fldinst " + escaped(instruction) + "}{\\fldrslt ";
      if (grouped || !instruction.isEmpty()) {
        out += '{';
        writeCharProps(out, cf);
      } else if (!propsWritten) {
        writeCharProps(out, cf);
        propsWritten = true;
      }
      QString piece = text.mid(a - frag.position(), stop - a);
      if (withMarks && inEmptyField(a, stop)) piece.replace(kEmptyFieldChar, kFileEmptyFieldChar);
      escape(out, piece, true);
      if (grouped || !instruction.isEmpty()) out += '}';
      if (!instruction.isEmpty()) out += "}}";
      a = stop;
    }
  }
  if (first) writeCharProps(out, block.charFormat());
  if (withMarks) writeMarks(out, std::min(block.position() + block.length() - 1, to), false);
}

void Writer::writeFrame(QByteArray& out, QTextFrame* frame, bool withMarks, int from, int to) {
  for (auto it = frame->begin(); !it.atEnd(); ++it) {
    // A document that begins with a table has an empty paragraph in front
    // of it, which the text layout needs and the file never had.
    if (it == frame->begin() && frame == frame->document()->rootFrame() && it.currentBlock().length() == 1) {
      auto next = it;
      ++next;
      if (!next.atEnd() && qobject_cast<QTextTable*>(next.currentFrame()) &&
          (!withMarks || nextMark_ >= marks_.size() || marks_[nextMark_].pos > 0))
        continue;
    }
    if (QTextFrame* child = it.currentFrame()) {
      auto* table = qobject_cast<QTextTable*>(child);
      if (!table) {
        writeFrame(out, child, withMarks, from, to);
        continue;
      }
      if (table->lastPosition() < from || table->firstPosition() > to) continue;
      const int cols = table->columns();
      const int width = 9000 / std::max(1, cols);
      const QTextTableFormat tf = table->format();
      for (int r = 0; r < table->rows(); ++r) {
        // A table read from RTF keeps its definition; others get lines
        // round every cell and equal columns.
        QByteArray rowDef = "\\trowd";
        rowDef += tf.hasProperty(kTableRowDefinitionProperty) ? tf.property(kTableRowDefinitionProperty).toByteArray()
                                                             : QByteArray("\\trgaph70");
        for (int c = 0; c < cols; ++c) {
          const QTextTableCellFormat cell = table->cellAt(r, c).format().toTableCellFormat();
          if (cell.hasProperty(kCellRightEdgeProperty)) {
            rowDef += cell.property(kCellDefinitionProperty).toByteArray() + "\\cellx" +
                      QByteArray::number(cell.intProperty(kCellRightEdgeProperty));
            continue;
          }
          rowDef += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
                    "\\cellx" + QByteArray::number(width * (c + 1));
        }
        out += rowDef + "\n";
        for (int c = 0; c < cols; ++c) {
          const QTextTableCell cell = table->cellAt(r, c);
          if (cell.row() != r || cell.column() != c) {
            out += "\\pard\\intbl\\cell\n";
            continue;
          }
          QTextBlock b = table->document()->findBlock(cell.firstPosition());
          const int last = cell.lastPosition();
          bool firstPara = true;
          while (b.isValid() && b.position() <= last) {
            if (!firstPara) out += "\\par\n";
            writeBlock(out, b, withMarks, from, to, true);
            firstPara = false;
            b = b.next();
          }
          out += "\\cell\n";
        }
        out += rowDef + "\\row\n";
      }
      continue;
    }
    const QTextBlock block = it.currentBlock();
    if (!block.isValid()) continue;
    const int bs = block.position(), be = bs + block.length() - 1;
    if (be < from || bs > to) continue;
    if (!full_ && bs == to && bs > from) continue;  // the range ends at the previous paragraph end
    writeBlock(out, block, withMarks, from, to, false);
    if (be < to || full_) out += "\\par\n";
  }
}

void Writer::writeDocument(QByteArray& out, const QTextDocument& doc, bool withMarks, int from, int to) {
  // A whole document ends every paragraph with \par (a reader drops the
  // empty paragraph behind the last one); a part ends where it ends.
  full_ = from == 0 && to >= doc.characterCount() - 1;
  writeFrame(out, doc.rootFrame(), withMarks, from, to);
}

// The body with its fields and bookmarks.
QByteArray Writer::writeBody() {
  if (side_) {
    for (const Field& f : side_->fields()) {
      if (f.result.isNull()) continue;
      if (f.kind == FieldKind::FormText && isEmptyFieldText(f.result.text()))
        emptyFields_.emplace_back(f.result.start(), f.result.end());
      QByteArray open = "{\\field{\\*\\fldinst {";
      open += escaped(f.instruction);
      if (f.kind == FieldKind::FormText) {
        open += "{\\*\\formfield{\\fftype0\\ffownhelp0\\ffownstat0";
        if (f.form.maxLength > 0) open += "\\ffmaxlen" + QByteArray::number(f.form.maxLength);
        open += "{\\*\\ffname " + escaped(f.form.name) + "}";
        if (!f.form.defaultText.isEmpty()) open += "{\\*\\ffdeftext " + escaped(f.form.defaultText) + "}";
        if (!f.form.entryMacro.isEmpty()) open += "{\\*\\ffentrymcr " + escaped(f.form.entryMacro) + "}";
        if (!f.form.exitMacro.isEmpty()) open += "{\\*\\ffexitmcr " + escaped(f.form.exitMacro) + "}";
        open += "}}";
      }
      open += "}}{\\fldrslt {";
      // An empty field or bookmark is one mark: among the closing marks of
      // its place its own close could sort before its open.
      if (f.result.isEmpty()) {
        marks_.push_back({f.result.start(), 2, open + "}}}"});
        continue;
      }
      marks_.push_back({f.result.start(), 2, open});
      marks_.push_back({f.result.end(), 1, "}}}", f.result.start()});
    }
    for (const Bookmark& b : side_->bookmarks()) {
      if (b.range.isNull()) continue;
      const QByteArray start = "{\\*\\bkmkstart " + escaped(b.name) + "}", end = "{\\*\\bkmkend " + escaped(b.name) + "}";
      if (b.range.isEmpty()) {
        marks_.push_back({b.range.start(), 3, start + end});
        continue;
      }
      marks_.push_back({b.range.start(), 3, start});
      marks_.push_back({b.range.end(), 0, end, b.range.start()});
    }
    // Closing marks come first at a place; a field opening after a bookmark
    // start.
    std::stable_sort(marks_.begin(), marks_.end(), [](const Mark& a, const Mark& b) {
      if (a.pos != b.pos) return a.pos < b.pos;
      const bool aCloses = a.order <= 1, bCloses = b.order <= 1;
      if (aCloses && bCloses && a.openedAt != b.openedAt) return a.openedAt > b.openedAt;
      return a.order < b.order;
    });
  }

  QByteArray bodyText;
  // Room for all of it at once: growing it held the old and the new buffer.
  const bool whole = from_ == 0 && to_ >= body_.characterCount() - 1;
  const qsizetype hint = cache_ && whole ? cache_->body.sizeHint : 0;
  bodyText.reserve(std::max(hint, body_.characterCount() + (side_ ? side_->fields().size() * 160 : 0) + 4096));
  writeDocument(bodyText, body_, side_ != nullptr, from_, to_);
  if (side_) writeMarks(bodyText, INT32_MAX, false);
  // Every mark is written; their texts need not stay while the rest is.
  std::vector<Mark>().swap(marks_);
  nextMark_ = 0;
  return bodyText;
}

QByteArrayList Writer::run() {
  if (side_) {
    for (const QString& f : side_->fontTable()) fonts_.push_back(f.isEmpty() ? QStringLiteral("Arial") : f);
    for (const QColor& c : side_->colorTable()) colors_.push_back(c.isValid() ? c : QColor(Qt::black));
  }
  // The body's RTF kept from the last write holds while the tables its
  // text was numbered by come out the same.
  WriteCache::Body* cache = side_ && cache_ && from_ == 0 && to_ >= body_.characterCount() - 1 ? &cache_->body : nullptr;
  const Tables seed = tables();
  bool reuse = cache && cache->valid && cache->seed == seed;
  if (reuse) setTables(cache->afterBody);
  else collectTables(body_);
  const Tables afterBody = tables();
  if (side_)
    for (int k = 0; k < 4; ++k)
      if (const QTextDocument* h = side_->existingHeader(static_cast<HeaderKind>(k))) collectTables(*h);
  if (fonts_.empty()) fontIndex(QString());

  QByteArray bodyText;
  reuse = reuse && cache->beforeWrite == tables();
  if (reuse) {
    bodyText = cache->rtf;
    setTables(cache->afterWrite);
  } else {
    const Tables beforeWrite = tables();
    bodyText = writeBody();
    if (cache) *cache = {true, seed, afterBody, beforeWrite, tables(), bodyText, bodyText.size()};
  }

  QByteArray headers;
  if (side_) {
    static const char* const names[] = {"header", "headerf", "footer", "footerf"};
    for (int k = 0; k < 4; ++k) {
      const QTextDocument* h = side_->existingHeader(static_cast<HeaderKind>(k));
      if (!h) continue;
      const size_t saved = nextMark_;
      nextMark_ = marks_.size();  // no fields in headers
      headers += "{\\";
      headers += names[k];
      headers += ' ';
      writeDocument(headers, *h, false, 0, std::max(0, h->characterCount() - 1));
      headers += "}\n";
      nextMark_ = saved;
    }
  }

  QByteArrayList pieces;
  QByteArray out;
  const auto endPiece = [&] {
    if (!out.isEmpty()) pieces.append(std::exchange(out, QByteArray()));
  };
  out += "{\\rtf1\\ansi\\ansicpg1252\\deff0";
  if (side_ && side_->defaultLanguage() > 0) out += "\\deflang" + QByteArray::number(side_->defaultLanguage());
  out += "\\uc1{\\fonttbl";
  for (size_t i = 0; i < fonts_.size(); ++i)
    out += "{\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil " + escaped(fonts_[i]) + ";}";
  out += "}\n{\\colortbl ;";
  for (const QColor& c : colors_)
    out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
           QByteArray::number(c.blue()) + ";";
  out += "}\n";
  if (side_ && !side_->styleSheet().isEmpty()) {
    // The style sheet as read, with the head markers it lacks.
    QByteArray sheet = side_->styleSheet();
    std::sort(styles_.begin(), styles_.end());
    QByteArray missing;
    for (int st : styles_) {
      const QByteArray word = "\\cs" + QByteArray::number(st);
      qsizetype at = sheet.indexOf(word);
      while (at >= 0 && at + word.size() < sheet.size() && std::isdigit(static_cast<unsigned char>(sheet[at + word.size()])))
        at = sheet.indexOf(word, at + 1);
      if (at < 0) missing += "{\\*" + word + " \\additive Marker " + QByteArray::number(st) + ";}";
    }
    const qsizetype close = sheet.lastIndexOf('}');
    if (close >= 0) sheet.insert(close, missing);
    out += sheet + "\n";
  } else if (!styles_.empty()) {
    std::sort(styles_.begin(), styles_.end());
    out += "{\\stylesheet{\\ql \\f0 Normal;}";
    for (int s : styles_)
      out += "{\\*\\cs" + QByteArray::number(s) + " \\additive Marker " + QByteArray::number(s) + ";}";
    out += "}\n";
  }
  if (side_) {
    const DocInfo& info = side_->info();
    if (!info.author.isEmpty() || !info.title.isEmpty() || !info.subject.isEmpty()) {
      out += "{\\info";
      if (!info.title.isEmpty()) out += "{\\title " + escaped(info.title) + "}";
      if (!info.subject.isEmpty()) out += "{\\subject " + escaped(info.subject) + "}";
      if (!info.author.isEmpty()) out += "{\\author " + escaped(info.author) + "}";
      out += "}\n";
    }
    const QList<DocVariable>& vars = side_->variables();
    // Values can be as long as the whole text: escaped straight into room
    // for most of them (plain letters take one byte each), and kept in the
    // cache without the room left over.
    const auto variableRtf = [](const DocVariable& v) {
      QByteArray rtf;
      rtf.reserve(v.name.size() + v.value.size() + v.value.size() / 8 + 24);
      rtf += "{\\*\\docvar {";
      escape(rtf, v.name, false);
      rtf += "}{";
      escape(rtf, v.value, false);
      rtf += "}}\n";
      rtf.squeeze();
      return rtf;
    };
    if (cache_) cache_->variables.resize(vars.size());
    for (qsizetype i = 0; i < vars.size(); ++i) {
      const DocVariable& v = vars[i];
      if (!cache_) {
        out += variableRtf(v);
        continue;
      }
      WriteCache::Variable& kept = cache_->variables[i];
      if (kept.name != v.name || kept.value != v.value || kept.rtf.isEmpty()) kept = {v.name, v.value, variableRtf(v)};
      endPiece();
      pieces.append(kept.rtf);
    }
    const PageSetup& pg = side_->page();
    out += "\\paperw" + QByteArray::number(pg.paperWidth) + "\\paperh" + QByteArray::number(pg.paperHeight) +
           "\\margl" + QByteArray::number(pg.marginLeft) + "\\margr" + QByteArray::number(pg.marginRight) +
           "\\margt" + QByteArray::number(pg.marginTop) + "\\margb" + QByteArray::number(pg.marginBottom);
    if (side_->formShading()) out += "\\formshade";
    switch (side_->protection().type) {
      case ProtectionType::FormFields: out += "\\formprot"; break;
      case ProtectionType::Revisions: out += "\\revprot"; break;
      case ProtectionType::Comments: out += "\\annotprot"; break;
      case ProtectionType::ReadOnly: out += "\\readprot"; break;
      default: break;
    }
    if (side_->protection().type != ProtectionType::None && !side_->protection().passwordHash.isEmpty())
      out += "{\\*\\qvprotpw " + side_->protection().passwordHash.toHex() + "}";
    out += "\n\\sectd";
    if (side_->titlePage()) out += "\\titlepg";
    out += "\\headery" + QByteArray::number(pg.headerDistance) + "\\footery" + QByteArray::number(pg.footerDistance);
    out += "\n";
  }
  out += headers;
  endPiece();
  pieces.append(bodyText);
  pieces.append(QByteArrayLiteral("}\n"));
  return pieces;
}

}  // namespace

QByteArrayList writePieces(const QTextDocument& body, int from, int to, const RichDocument* side, WriteCache* cache) {
  const int last = std::max(0, body.characterCount() - 1);
  from = std::clamp(from, 0, last);
  to = std::clamp(to, from, last);
  return Writer(body, from, to, side, cache).run();
}

QByteArray write(const QTextDocument& body, int from, int to, const RichDocument* side, WriteCache* cache) {
  const QByteArrayList pieces = writePieces(body, from, to, side, cache);
  qsizetype size = 0;
  for (const QByteArray& p : pieces) size += p.size();
  // Room for all at once: growing step by step would copy the body over and
  // over and for a while hold it twice.
  QByteArray out;
  out.reserve(size);
  for (const QByteArray& p : pieces) out += p;
  return out;
}

}  // namespace qv::rtf::codec
