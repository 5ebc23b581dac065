#pragma once

// The word-processor document of the program: a QTextDocument body plus the
// data a word processor keeps beside the text (document variables, summary
// information, form protection, fields, bookmarks, page set-up, headers).
//
// Contract for code built on it (the document engine, the pupil copies):
//
// - Body text lives in body(), a QTextDocument owned by the RichDocument.
//   Edit it with QTextCursor as usual. Positions are 0-based QTextDocument
//   positions (a paragraph end counts as one character).
// - Fields and bookmarks refer to body text through TextRange, made of
//   QTextCursors. Qt moves cursors when the text changes, so the ranges stay
//   on their text when text is inserted or deleted elsewhere. Rules at the
//   edges (Qt's cursor rules): text inserted exactly at start() lands BEFORE
//   the range; text inserted exactly at end() lands INSIDE it (end moves);
//   an empty range takes neither (text inserted at it lands before it).
//   Deleting the range's text collapses it to an empty range at the place.
//   To replace a range's text use TextRange::setText, which keeps the range
//   on the new text.
// - Document variables are an ordered list; names match case-insensitively
//   (variable(), setVariable(), removeVariable()). Values are arbitrary
//   QString text, control characters and U+0000 included; they survive
//   toRtf()/readRtf() unchanged.
// - Form protection stores only a hash of the password (hashPassword()),
//   never the password itself. In RTF it is written as \formprot (or
//   \revprot, \annotprot, \readprot) plus the program's own destination
//   {\*\qvprotpw <hex of the hash>}, which other word processors skip.
// - Headers and footers are documents of their own (QTextDocument, no fields)
//   by kind; the first-page header is used when titlePage is set (\titlepg).
//   headerCellText()/setHeaderCellText() reach the cell (row, column) of the
//   first table of a header, 1-based as in Word.
// - Head markers: the character property kHeadMarkerProperty (richeditor.h)
//   holds the marker number; RTF carries it as the character style \csN.
// - Empty text form fields hold kEmptyFieldChar blanks (see there).
// - A template's style sheet, table definitions and header fields are kept
//   as read (styleSheet(), the table and field properties of richeditor.h),
//   so that a document made from it looks as the template does.
// - rtf::read/rtf::write (rtf.h) keep working for a bare QTextDocument (the
//   editor); they drop or never see the side data.

#include <QByteArray>
#include <QColor>
#include <QIODevice>
#include <QStringList>
#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <optional>

namespace qv {

namespace rtf::codec {
struct WriteCache;
}

// The blank an empty text form field is made of: a figure space, which the
// text layout keeps whole at a line end. Files carry the en space that word
// processors use there instead (dropped at a line end and split between
// lines by the layout); the codec converts in both directions.
inline constexpr QChar kEmptyFieldChar = QChar(0x2007);
inline constexpr QChar kFileEmptyFieldChar = QChar(0x2002);
// True for the text of a field nobody has filled in: such blanks only.
inline bool isEmptyFieldText(const QString& text) {
  return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
    return c == kEmptyFieldChar || c == kFileEmptyFieldChar;
  });
}

// A stretch of a document's text that follows edits (see the rules above).
class TextRange {
 public:
  TextRange() = default;
  TextRange(QTextDocument* doc, int start, int end);

  bool isNull() const { return start_.isNull(); }
  int start() const { return end_.isNull() ? start_.anchor() : start_.position(); }
  int end() const { return std::max(start(), end_.isNull() ? start_.position() : end_.position()); }
  int length() const { return end() - start(); }
  bool isEmpty() const { return length() == 0; }
  // The text between start and end (paragraph ends as U+2029).
  QString text() const;
  // A cursor selecting the range.
  QTextCursor cursor() const;
  // Replaces the text of the range, keeping the format of its first
  // character; afterwards the range spans exactly the new text.
  void setText(const QString& text);
  // Moves the range onto other positions of the same document.
  void set(int start, int end);
  // Takes the given character properties (QTextFormat::Property) off every
  // character of the range; the other properties stay as they are.
  void clearProperties(std::initializer_list<int> properties) const;
  QTextDocument* document() const { return start_.document(); }

 private:
  // A range within one paragraph is one cursor that selects it, so that an
  // edit adjusts one cursor per range, not two (the document adjusts every
  // cursor on every edit). Its anchor follows edits by the same rules as a
  // cursor of its own. A range over several paragraphs has a cursor at each
  // end, since selecting across frames would move its ends.
  QTextCursor start_;
  QTextCursor end_;  // null for a range within one paragraph
};

struct DocVariable {
  QString name;
  QString value;
};

// Summary information (\info).
struct DocInfo {
  QString author;
  QString title;
  QString subject;
};

// Protection of the document; the numbers are those of the word processor's
// automation (-1 none, 0 revisions, 1 comments, 2 form fields, 3 read only).
enum class ProtectionType { None = -1, Revisions = 0, Comments = 1, FormFields = 2, ReadOnly = 3 };

struct Protection {
  ProtectionType type = ProtectionType::None;
  // hashPassword() of the password, empty when protected without one.
  QByteArray passwordHash;
};

enum class FieldKind {
  Other,        // any other field: instruction kept, result is plain text
  FormText,     // text form field (FORMTEXT with \*\formfield data)
  MacroButton,  // MACROBUTTON <macro> <display text>
};

// Data of a text form field (\ffname, \ffentrymcr, \ffexitmcr, \ffdeftext,
// \ffmaxlen).
struct FormFieldData {
  QString name;
  QString entryMacro;
  QString exitMacro;
  QString defaultText;
  int maxLength = 0;
};

// A field: its instruction (\fldinst) and its result text in the body
// (\fldrslt). Nested fields are flattened: only the outermost field is kept,
// the instruction text of inner ones becomes part of the outer instruction.
struct Field {
  FieldKind kind = FieldKind::Other;
  // The instruction as written, e.g. " FORMTEXT " or
  // "MACROBUTTON MarkSingleField Haus ".
  QString instruction;
  TextRange result;
  FormFieldData form;  // FormText only
  // The instruction's first word upper-cased ("FORMTEXT", "MACROBUTTON").
  QString type() const;
  // MACROBUTTON: the macro name (second word of the instruction).
  QString macroName() const;
};

struct Bookmark {
  QString name;
  TextRange range;
};

// Page set-up in twips.
struct PageSetup {
  int paperWidth = 11906;
  int paperHeight = 16838;
  int marginLeft = 1417;
  int marginRight = 1417;
  int marginTop = 1417;
  int marginBottom = 1134;
  // Distance of header and footer from the paper's edge (\headery, \footery).
  int headerDistance = 720;
  int footerDistance = 720;
};

enum class HeaderKind { Header = 0, FirstHeader = 1, Footer = 2, FirstFooter = 3 };

class RichDocument {
 public:
  RichDocument();
  ~RichDocument();
  RichDocument(const RichDocument&) = delete;
  RichDocument& operator=(const RichDocument&) = delete;

  QTextDocument* body() const { return body_.get(); }

  // Replaces everything with what can be read from the RTF bytes; damaged
  // input gives what could be read. False when the bytes hold no RTF at all
  // (the document is then empty).
  bool readRtf(const QByteArray& bytes);
  // The whole document as RTF. The body's part is kept for the next call and
  // used again while body, fields and bookmarks stay as they are (so that
  // copies that differ only in side data are written quickly); the bytes
  // are always those the writer gives for the document as it stands.
  QByteArray toRtf() const;
  // The same bytes written into out piece by piece, without the whole
  // document in memory at once; false when a write failed.
  bool writeRtf(QIODevice& out) const;
  // Edits of the body between beginEdit() and endEdit() make one change of
  // the text: the cursors of fields and bookmarks are told of their new
  // places once, at endEdit(), not after every single edit. Calls nest.
  void beginEdit();
  void endEdit();
  // The RTF read last ended its text with a paragraph mark, which the body
  // does not keep (a document's text ends without one). Pasting such text
  // gives it its own paragraph.
  bool endsWithParagraphMark() const { return endsWithParagraphMark_; }
  void setEndsWithParagraphMark(bool on) { endsWithParagraphMark_ = on; }
  // Empties body and side data.
  void clear();

  // Document variables.
  QList<DocVariable>& variables() { return variables_; }
  const QList<DocVariable>& variables() const { return variables_; }
  // Index of the variable with that name (any case), -1 when none.
  int variableIndex(const QString& name) const;
  std::optional<QString> variable(const QString& name) const;
  // Sets the value of an existing variable or appends a new one.
  void setVariable(const QString& name, const QString& value);
  bool removeVariable(const QString& name);

  DocInfo& info() { return info_; }
  const DocInfo& info() const { return info_; }

  Protection& protection() { return protection_; }
  const Protection& protection() const { return protection_; }
  void protect(ProtectionType type, const QString& password);
  // Lifts the protection when the password matches (or none was set).
  bool unprotect(const QString& password);
  // The hash stored for a password: SHA-256 over the password's UTF-8 bytes
  // after a fixed prefix; empty for an empty password.
  static QByteArray hashPassword(const QString& password);

  // Fields in body order. Add with addField (the result range must be in the
  // body); the list is kept in order of result start.
  QList<Field>& fields() {
    dropBodyRtf();
    return fields_;
  }
  const QList<Field>& fields() const { return fields_; }
  // Inserts text at position as the result of a new field and returns its
  // index in fields().
  int insertField(int position, const QString& instruction, const QString& resultText,
                  FieldKind kind = FieldKind::Other, const FormFieldData& form = {});
  // Makes the text start..end the result of a new field without editing
  // the text; returns its index in fields().
  int wrapField(int start, int end, const QString& instruction, FieldKind kind = FieldKind::Other,
                const FormFieldData& form = {});
  // The text form field with that name (case-sensitive), nullptr when none.
  Field* formField(const QString& name);
  void sortFields();

  QList<Bookmark>& bookmarks() {
    dropBodyRtf();
    return bookmarks_;
  }
  const QList<Bookmark>& bookmarks() const { return bookmarks_; }
  // Adds or moves the bookmark (names match case-insensitively).
  void setBookmark(const QString& name, int start, int end);
  Bookmark* bookmark(const QString& name);

  PageSetup& page() { return page_; }
  const PageSetup& page() const { return page_; }

  // The style sheet as read (the whole RTF group); written back as it
  // stands, so that a document made from a template keeps its styles.
  // Empty when the document brought none.
  const QByteArray& styleSheet() const { return styleSheet_; }
  void setStyleSheet(const QByteArray& rtfGroup) { styleSheet_ = rtfGroup; }
  // The font and colour tables as read (fonts by ascending number, colours
  // from index 1), so that the style sheet's \fN and \cfN keep meaning
  // what they meant; the writer adds what else the text uses.
  const QStringList& fontTable() const { return fontTable_; }
  void setFontTable(const QStringList& fonts) { fontTable_ = fonts; }
  const QList<QColor>& colorTable() const { return colorTable_; }
  void setColorTable(const QList<QColor>& colors) { colorTable_ = colors; }
  // The language of text that names none (\deflangN, a Windows language
  // number); 0 when the document gave none.
  int defaultLanguage() const { return defaultLanguage_; }
  void setDefaultLanguage(int language) { defaultLanguage_ = language; }
  // Form fields are shown shaded (\formshade).
  bool formShading() const { return formShading_; }
  void setFormShading(bool on) { formShading_ = on; }

  bool titlePage() const { return titlePage_; }
  void setTitlePage(bool on) { titlePage_ = on; }
  // The header document of that kind; created empty on first use.
  QTextDocument* header(HeaderKind kind);
  // nullptr when that header does not exist.
  QTextDocument* existingHeader(HeaderKind kind) const;
  void removeHeader(HeaderKind kind);
  // Text of cell (row, column), 1-based, of the header's first table;
  // nullopt when the header or table or cell is missing.
  std::optional<QString> headerCellText(HeaderKind kind, int row, int column) const;
  // Sets that cell's text (keeping the format of its first character);
  // false when the header, its table or the cell is missing.
  bool setHeaderCellText(HeaderKind kind, int row, int column, const QString& text);

 private:
  // Forgets the kept RTF of the body (see toRtf()).
  void dropBodyRtf();

  std::unique_ptr<QTextDocument> body_;
  QList<DocVariable> variables_;
  DocInfo info_;
  Protection protection_;
  QList<Field> fields_;
  QList<Bookmark> bookmarks_;
  PageSetup page_;
  bool titlePage_ = false;
  bool formShading_ = false;
  int defaultLanguage_ = 0;
  bool endsWithParagraphMark_ = false;
  QByteArray styleSheet_;
  QStringList fontTable_;
  QList<QColor> colorTable_;
  std::array<std::unique_ptr<QTextDocument>, 4> headers_;
  std::unique_ptr<rtf::codec::WriteCache> bodyRtf_;
  QMetaObject::Connection bodyChanged_;
  int editDepth_ = 0;
};

}  // namespace qv

// Ranges, fields and bookmarks hold only implicitly shared members (cursors,
// strings), so lists may move them as plain memory: a field put in front of
// thousands of others then costs one move of memory, not one per field.
Q_DECLARE_TYPEINFO(qv::TextRange, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(qv::Field, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(qv::Bookmark, Q_RELOCATABLE_TYPE);
