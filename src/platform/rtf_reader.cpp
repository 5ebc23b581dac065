// RTF reader: a group-state machine over the tokenizer's tokens
// (rtf_tokenizer.h) that builds a QTextDocument and, for a RichDocument, its
// side data. What each control word does stands in one table (rules()).
//
// Damaged input is normal input: the reader never recurses (groups live on an
// explicit stack with a depth limit), clamps numbers, stops at the end of the
// bytes whatever is still open, and keeps the text it has read.
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>
#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/cp1252.h"
#include "platform/docmodel.h"
#include "platform/richeditor.h"
#include "platform/rtf_codec.h"
#include "platform/rtf_tokenizer.h"

namespace qv::rtf::codec {
namespace {

constexpr int kMaxDepth = 200;
constexpr int kMaxColors = 4096;

enum class Dest {
  Body,  // text goes to the current output
  Skip,
  FontTable,
  ColorTable,
  Info,
  InfoTitle,
  InfoAuthor,
  InfoSubject,
  DocVar,
  DocVarPart,
  FieldGroup,
  FieldInst,
  FormField,
  FfName,
  FfDefText,
  FfEntry,
  FfExit,
  BookmarkStart,
  BookmarkEnd,
  ProtPassword,
};

struct CharProps {
  bool bold = false, italic = false, underline = false, strike = false;
  int vert = 0;  // 1 super, -1 sub
  int fontSize = 24;  // half-points
  int font = -1;
  int color = 0;
  int highlight = 0;
  int style = 0;  // \csN, the head marker
  bool noProof = false;
};

bool operator==(const CharProps& a, const CharProps& b) {
  return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.strike == b.strike &&
         a.vert == b.vert && a.fontSize == b.fontSize && a.font == b.font && a.color == b.color &&
         a.highlight == b.highlight && a.style == b.style && a.noProof == b.noProof;
}

struct ParaProps {
  int align = 0;  // 0 left, 1 centre, 2 right, 3 justify
  int left = 0, right = 0, first = 0, before = 0, after = 0;  // twips
  int sl = 0;
  bool slmult = false;
  bool inTable = false;
  int style = -1;  // \sN, -1 when none was given
  std::vector<int> tabs;
  // The bottom rule; border words after \brdrb describe it, those after
  // another side's word are passed over.
  bool borderIsBottom = false;
  int bottomStyle = 0, bottomWidth = 0, bottomSpace = 0, bottomColor = 0;  // width, space in twips
};

struct State {
  Dest dest = Dest::Body;
  int output = 0;  // 0 body, 1.. headers (HeaderKind + 1)
  int uc = 1;
  CharProps chr;
  ParaProps para;
  int docVarParts = 0;  // subgroups seen inside \docvar
  int fieldIndex = -1;  // field whose \fldrslt this group is
  bool fieldGroup = false;  // the group \field opened (not its subgroups)
  bool inResult = false;  // inside some field's \fldrslt (subgroups included)
};

struct Output {
  QTextDocument* doc = nullptr;
  QTextCursor cur;
  QString pending;
  QTextCharFormat pendingFmt;
  CharProps pendingProps;
  bool hasPending = false;
  bool blockUsed = false;  // something has gone into the current block
  bool pageBreakNext = false;
  QTextTable* table = nullptr;
  int tableRow = 0, tableCol = 0;
  int rowCells = 1;  // \cellx count of the current row definition
  bool rowEnded = false;
  // The current row definition as written: its row words, and per cell its
  // words and right edge. Collected from \trowd until the row's content.
  bool inRowDef = false;
  bool cellBorder = false;  // border words belong to the cell being defined
  QByteArray rowWords, cellWords;
  std::vector<std::pair<QByteArray, int>> cellDefs;
};

// Ranges are kept as numbers while reading (the text grows at their end,
// which would drag cursors along) and become TextRanges at the end.
struct RawBookmark {
  QString name;
  int start, end;
};

struct RawField {
  Field field;
  int start, end;
};

struct PendingField {
  QString inst;
  FormFieldData form;
  int resultStart = -1, resultEnd = -1;
  bool recorded = true;
  int output = 0;  // where the result text goes; fields of headers live in their text
};

class Reader {
 public:
  Reader(const QByteArray& bytes, QTextDocument& body, RichDocument* side)
      : begin_(bytes.constData()), end_(bytes.constData() + bytes.size()), side_(side) {
    outs_[0].doc = &body;
    outs_[0].cur = QTextCursor(&body);
    // A document with a layout (an editor's) lays out the paragraph again
    // after every insertion; inside one edit block that waits for the end.
    // A table ends the block: Qt's cells built inside an edit block are not
    // sound when read back.
    editBlock_ = QTextCursor(&body);
    editBlock_.beginEditBlock();
  }
  ~Reader() { endEditBlock(); }

  void run();

 private:
  // ---- tokens
  void token(const Token& t);
  void symbol(char c);
  void word(const Token& t);
  void text(QChar c);
  // What a control word does. Destination words open a destination and are
  // looked at even in a group marked \* (which is skipped otherwise).
  struct Word {
    std::string_view name;
    bool hasNum;
    int num;
    int on() const { return hasNum ? num : 1; }
    int twips() const { return std::clamp(num, -100'000, 100'000); }
  };
  using Handler = std::function<void(Reader& r, State& s, const Word& w)>;
  struct Rule {
    Handler handle;
    bool destination;
  };
  static const std::unordered_map<std::string_view, Rule>& rules();
  void enter(Dest d);
  void startField();
  void startHeader(std::string_view kind);

  // ---- groups
  void openGroup();
  void closeGroup();
  State& st() { return stack_.back(); }

  // ---- output
  Output& out() { return outs_[st().output]; }
  QTextCharFormat charFormat(const CharProps& c) const;
  QTextBlockFormat blockFormat(const ParaProps& p, bool pageBreak) const;
  void flush(Output& o);
  void emitChar(QChar c);
  void paragraph();
  void enterTableIfNeeded(Output& o);
  void leaveTable(Output& o);
  void cell();
  void row();
  int bodyPosition();
  int outputPosition(int output);
  bool rowDefinitionWord(const Word& w);
  void applyRowDefinition(Output& o);
  void markHeaderField(const PendingField& f);
  void convertEmptyFields();
  void nameFieldsByBookmarks();
  void finish();

  void endEditBlock() {
    if (editBlock_.isNull()) return;
    editBlock_.endEditBlock();
    editBlock_ = QTextCursor();
  }

  const char* begin_;
  const char* end_;
  RichDocument* side_;
  QTextCursor editBlock_;    // null once ended
  int unicodeSkip_ = 0;  // characters still to pass over after \uN
  const char* closedAt_ = nullptr;  // the brace of the group being closed
  std::vector<State> stack_;
  int overflow_ = 0;  // groups beyond the depth limit, skipped whole
  bool pendingStar_ = false;
  Output outs_[5];
  std::map<int, QString> fonts_;
  int fontNum_ = 0;
  QString fontName_;
  std::vector<QColor> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorSet_ = false;
  QString collect_;  // text of small destinations
  std::vector<PendingField> fieldStack_;
  std::map<QString, int> openBookmarks_;
  std::vector<RawBookmark> bookmarks_;
  std::vector<RawField> fields_;
  void removedBodyChar(int pos);
  void appendColumns(Output& o, int count);
  void moveBodyPositions(const std::function<int(int)>& to);
  void addField(const PendingField& f, int end);
  QString docVarName_, docVarValue_;
  // The style sheet group being passed over: where it began, and the group
  // depth it lives at.
  const char* styleSheetStart_ = nullptr;
  size_t styleSheetDepth_ = 0;
};

// ---- formats

QTextCharFormat Reader::charFormat(const CharProps& c) const {
  QTextCharFormat f;
  if (c.bold) f.setFontWeight(QFont::Bold);
  if (c.italic) f.setFontItalic(true);
  if (c.underline) f.setFontUnderline(true);
  if (c.strike) f.setFontStrikeOut(true);
  if (c.vert > 0) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  else if (c.vert < 0) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  if (c.fontSize > 0) f.setFontPointSize(c.fontSize / 2.0);
  if (auto it = fonts_.find(c.font); it != fonts_.end() && !it->second.isEmpty())
    f.setFontFamilies(QStringList{it->second});
  if (c.color > 0 && c.color < static_cast<int>(colors_.size()) && colors_[c.color].isValid())
    f.setForeground(colors_[c.color]);
  if (c.highlight > 0 && c.highlight < static_cast<int>(colors_.size()) && colors_[c.highlight].isValid())
    f.setBackground(colors_[c.highlight]);
  if (c.style > 0) f.setProperty(kHeadMarkerProperty, c.style);
  if (c.noProof) f.setProperty(kNoProofingProperty, true);
  return f;
}

QTextBlockFormat Reader::blockFormat(const ParaProps& p, bool pageBreak) const {
  QTextBlockFormat b;
  static const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
  if (p.align) b.setAlignment(aligns[p.align]);
  if (p.left) b.setLeftMargin(p.left / 20.0);
  if (p.right) b.setRightMargin(p.right / 20.0);
  if (p.first) b.setTextIndent(p.first / 20.0);
  if (p.before) b.setTopMargin(p.before / 20.0);
  if (p.after) b.setBottomMargin(p.after / 20.0);
  if (p.sl != 0) {
    if (p.slmult && p.sl > 0) b.setLineHeight(p.sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (p.sl > 0) b.setLineHeight(p.sl / 20.0, QTextBlockFormat::MinimumHeight);
    else b.setLineHeight(-p.sl / 20.0, QTextBlockFormat::FixedHeight);
  }
  if (!p.tabs.empty()) {
    QList<QTextOption::Tab> tabs;
    for (int t : p.tabs) tabs.append(QTextOption::Tab(t / 20.0, QTextOption::LeftTab));
    b.setTabPositions(tabs);
  }
  if (pageBreak) b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  if (p.style >= 0) b.setProperty(kParagraphStyleProperty, p.style);
  if (p.bottomStyle)
    setBottomRule(b, p.bottomStyle, qRound(p.bottomWidth * 8 / 20.0), p.bottomColor, p.bottomSpace / 20.0);
  return b;
}

// ---- output

void Reader::flush(Output& o) {
  if (!o.hasPending) return;
  o.cur.insertText(o.pending, o.pendingFmt);
  o.pending.clear();
  o.hasPending = false;
}

void Reader::enterTableIfNeeded(Output& o) {
  // A field result is one run of text: a table starting or ending inside it
  // would cut the field's range across cell frames, which the text cursor
  // cannot select. Its paragraphs stay where the field began.
  if (st().inResult) return;
  if (!st().para.inTable) {
    if (o.table && o.rowEnded) leaveTable(o);
    return;
  }
  if (o.table && !o.rowEnded) {
    // Text behind the last defined cell of a row gets a column of its own.
    if (o.tableCol >= o.table->columns() && o.table->columns() < 64) {
      flush(o);
      appendColumns(o, std::min(64, o.tableCol + 1) - o.table->columns());
      o.cur = o.table->cellAt(o.tableRow, std::min(o.tableCol, o.table->columns() - 1)).firstCursorPosition();
      o.blockUsed = false;
    }
    return;
  }
  flush(o);
  if (!o.table) {
    // The empty paragraph the previous \par opened is the one Qt keeps in
    // front of a table: drop it so that the table follows the paragraph.
    if (!o.blockUsed && o.cur.block().length() <= 1 &&
        o.cur.block().previous().isValid() &&
        !QTextCursor(o.cur.block().previous()).currentTable()) {
      o.cur.deletePreviousChar();
      if (&o == &outs_[0]) removedBodyChar(o.cur.position());
    }
    QTextTableFormat tf;
    tf.setBorder(1);
    tf.setCellPadding(2);
    tf.setCellSpacing(0);
    endEditBlock();
    o.table = o.cur.insertTable(1, std::clamp(o.rowCells, 1, 64), tf);
    o.tableRow = 0;
  } else {
    o.table->appendRows(1);
    ++o.tableRow;
    if (o.rowCells > o.table->columns()) appendColumns(o, std::min(64, o.rowCells) - o.table->columns());
  }
  applyRowDefinition(o);
  o.tableCol = 0;
  o.rowEnded = false;
  o.cur = o.table->cellAt(o.tableRow, 0).firstCursorPosition();
  o.blockUsed = false;
}

void Reader::leaveTable(Output& o) {
  flush(o);
  o.cur.setPosition(o.table->lastPosition() + 1);
  o.table = nullptr;
  o.rowEnded = false;
  o.blockUsed = false;
}

void Reader::emitChar(QChar c) {
  Output& o = out();
  o.inRowDef = false;
  enterTableIfNeeded(o);
  const CharProps& cp = st().chr;
  if (!(cp == o.pendingProps)) {
    flush(o);
    o.pendingProps = cp;
  }
  if (!o.hasPending) {
    o.pendingFmt = charFormat(cp);
    o.hasPending = true;
    if (!o.blockUsed) o.cur.setBlockFormat(blockFormat(st().para, o.pageBreakNext));
  }
  o.pending += c;
  o.blockUsed = true;
}

void Reader::paragraph() {
  Output& o = out();
  enterTableIfNeeded(o);
  flush(o);
  o.cur.setBlockFormat(blockFormat(st().para, o.pageBreakNext));
  // An empty paragraph keeps the character format in force at its end.
  if (!o.blockUsed) o.cur.setBlockCharFormat(charFormat(st().chr));
  o.pageBreakNext = false;
  o.cur.insertBlock(QTextBlockFormat(), charFormat(st().chr));
  o.blockUsed = false;
}

void Reader::cell() {
  if (st().inResult) return;
  Output& o = out();
  if (!o.table || o.rowEnded) {
    st().para.inTable = true;
    enterTableIfNeeded(o);
  }
  flush(o);
  // An empty cell keeps the formats in force, for the text put there later.
  if (!o.blockUsed) {
    // Merged: the first block's character format carries the cell's own.
    o.cur.setBlockFormat(blockFormat(st().para, false));
    o.cur.mergeBlockCharFormat(charFormat(st().chr));
  }
  ++o.tableCol;
  if (o.tableCol < o.table->columns()) o.cur = o.table->cellAt(o.tableRow, o.tableCol).firstCursorPosition();
  o.blockUsed = false;
}

void Reader::row() {
  if (st().inResult) return;
  Output& o = out();
  if (!o.table) return;
  flush(o);
  o.rowEnded = true;
}

int Reader::bodyPosition() { return outputPosition(0); }

int Reader::outputPosition(int output) {
  Output& o = outs_[output];
  flush(o);
  return o.cur.position();
}

namespace {
// The width of a border given by its words (\brdrwN in twips), 0 when the
// words name no line.
int borderTwips(const QByteArray& words, const QByteArray& side) {
  const qsizetype at = words.indexOf(side);
  if (at < 0) return 0;
  qsizetype next = words.indexOf("\\clbrdr", at + 1);
  if (next < 0) next = words.size();
  const QByteArray own = words.mid(at, next - at);
  if (own.contains("\\brdrnone") || !own.contains("\\brdr")) return 0;
  const qsizetype w = own.indexOf("\\brdrw");
  return w < 0 ? 10 : std::max(1, own.mid(w + 6).toInt());
}
}  // namespace

bool Reader::rowDefinitionWord(const Word& rw) {
  const std::string_view word = rw.name;
  const bool hasNum = rw.hasNum;
  const int num = rw.num;
  Output& o = out();
  if (!o.inRowDef || word == "trowd") return false;
  auto starts = [&](std::string_view prefix) { return word.substr(0, prefix.size()) == prefix; };
  const bool border = starts("brdr") || word == "brsp";
  if (!(starts("tr") || starts("cl") || starts("tbl") || starts("irow") || word == "lastrow" || word == "ts" ||
        word == "taprtl" || word == "cellx" || border))
    return false;
  QByteArray w = "\\" + QByteArray(word.data(), static_cast<qsizetype>(word.size()));
  if (hasNum) w += QByteArray::number(num);
  if (word == "cellx") {
    if (o.cellDefs.size() < 64) o.cellDefs.emplace_back(o.cellWords, std::clamp(num, -100'000, 100'000));
    o.cellWords.clear();
    o.cellBorder = false;
    ++o.rowCells;
    return true;
  }
  if (starts("clbrdr")) o.cellBorder = true;
  else if (starts("trbrdr")) o.cellBorder = false;
  QByteArray& into = starts("cl") || (border && o.cellBorder) ? o.cellWords : o.rowWords;
  if (into.size() < 4096) into += w;
  return true;
}

void Reader::applyRowDefinition(Output& o) {
  if (o.cellDefs.empty()) return;
  QTextTableFormat tf = o.table->format();
  if (o.tableRow == 0) {
    // The table is drawn as its definition says: the lines of the cells
    // only, the columns as wide as their edges (twips / 15 = pixels).
    tf.setProperty(kTableRowDefinitionProperty, o.rowWords);
    tf.setBorder(0);
    tf.setBorderCollapse(true);
    QList<QTextLength> widths;
    int left = 0;
    for (const auto& [words, edge] : o.cellDefs) {
      widths << QTextLength(QTextLength::FixedLength, std::max(1, edge - left) / 15.0);
      left = edge;
    }
    while (widths.size() < o.table->columns()) widths << QTextLength();
    tf.setColumnWidthConstraints(widths.mid(0, o.table->columns()));
    o.table->setFormat(tf);
  }
  for (int c = 0; c < o.table->columns() && c < static_cast<int>(o.cellDefs.size()); ++c) {
    QTextTableCell cell = o.table->cellAt(o.tableRow, c);
    QTextTableCellFormat cf = cell.format().toTableCellFormat();
    const QByteArray& words = o.cellDefs[c].first;
    cf.setProperty(kCellDefinitionProperty, words);
    cf.setProperty(kCellRightEdgeProperty, o.cellDefs[c].second);
    const std::pair<const char*, void (QTextTableCellFormat::*)(qreal)> sides[] = {
        {"\\clbrdrt", &QTextTableCellFormat::setTopBorder},
        {"\\clbrdrl", &QTextTableCellFormat::setLeftBorder},
        {"\\clbrdrb", &QTextTableCellFormat::setBottomBorder},
        {"\\clbrdrr", &QTextTableCellFormat::setRightBorder}};
    for (const auto& [side, set] : sides) (cf.*set)(borderTwips(words, side) / 15.0);
    cf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    cf.setBorderBrush(Qt::black);
    cell.setFormat(cf);
  }
}

void Reader::text(QChar c) {
  State& s = st();
  switch (s.dest) {
    case Dest::Body:
      emitChar(c);
      break;
    case Dest::FontTable:
      if (c == QLatin1Char(';')) {
        fonts_[fontNum_] = fontName_.trimmed();
        fontName_.clear();
      } else {
        fontName_ += c;
      }
      break;
    case Dest::ColorTable:
      if (c == QLatin1Char(';')) {
        if (static_cast<int>(colors_.size()) < kMaxColors)
          colors_.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
      }
      break;
    case Dest::FieldInst:
      if (!fieldStack_.empty()) fieldStack_.back().inst += c;
      break;
    case Dest::InfoTitle:
    case Dest::InfoAuthor:
    case Dest::InfoSubject:
    case Dest::DocVarPart:
    case Dest::FfName:
    case Dest::FfDefText:
    case Dest::FfEntry:
    case Dest::FfExit:
    case Dest::BookmarkStart:
    case Dest::BookmarkEnd:
    case Dest::ProtPassword:
      collect_ += c;
      break;
    default:
      break;
  }
}

// ---- groups

void Reader::openGroup() {
  if (overflow_ > 0 || static_cast<int>(stack_.size()) >= kMaxDepth) {
    ++overflow_;
    return;
  }
  State s = stack_.empty() ? State{} : stack_.back();
  s.docVarParts = 0;
  s.fieldIndex = -1;
  s.fieldGroup = false;
  State& parent = stack_.back();
  if (!stack_.empty() && parent.dest == Dest::DocVar) {
    ++parent.docVarParts;
    s.dest = Dest::DocVarPart;
    collect_.clear();
  }
  stack_.push_back(s);
  pendingStar_ = false;
}

void Reader::closeGroup() {
  if (overflow_ > 0) {
    --overflow_;
    return;
  }
  if (stack_.size() <= 1) {
    // The closing brace of the document (or a stray one): the rest is
    // outside the document.
    stack_.clear();
    return;
  }
  const State s = stack_.back();
  stack_.pop_back();
  State& parent = stack_.back();
  switch (s.dest) {
    case Dest::FontTable:
      if (parent.dest != Dest::FontTable && !fontName_.trimmed().isEmpty()) fonts_[fontNum_] = fontName_.trimmed();
      if (parent.dest != Dest::FontTable) fontName_.clear();
      break;
    case Dest::InfoTitle:
      if (side_) side_->info().title = collect_;
      collect_.clear();
      break;
    case Dest::InfoAuthor:
      if (side_) side_->info().author = collect_;
      collect_.clear();
      break;
    case Dest::InfoSubject:
      if (side_) side_->info().subject = collect_;
      collect_.clear();
      break;
    case Dest::DocVarPart:
      if (parent.dest == Dest::DocVar) {
        if (parent.docVarParts == 1) docVarName_ = collect_;
        else if (parent.docVarParts == 2) {
          // Values can be as long as the whole text: kept without the room
          // collecting them one character at a time left over.
          docVarValue_ = std::exchange(collect_, QString());
          docVarValue_.squeeze();
        }
      }
      collect_.clear();
      break;
    case Dest::DocVar:
      if (side_ && s.docVarParts >= 1 && parent.dest != Dest::DocVar) side_->variables().append({docVarName_, docVarValue_});
      docVarName_.clear();
      docVarValue_.clear();
      break;
    case Dest::FfName:
    case Dest::FfDefText:
    case Dest::FfEntry:
    case Dest::FfExit:
      if (!fieldStack_.empty()) {
        FormFieldData& f = fieldStack_.back().form;
        (s.dest == Dest::FfName ? f.name : s.dest == Dest::FfDefText ? f.defaultText
                                      : s.dest == Dest::FfEntry      ? f.entryMacro
                                                                     : f.exitMacro) = collect_;
      }
      collect_.clear();
      break;
    case Dest::BookmarkStart:
      if (!collect_.isEmpty()) openBookmarks_[collect_.trimmed()] = bodyPosition();
      collect_.clear();
      break;
    case Dest::BookmarkEnd: {
      const QString name = collect_.trimmed();
      collect_.clear();
      auto it = openBookmarks_.find(name);
      if (it != openBookmarks_.end()) {
        if (side_) bookmarks_.push_back({name, it->second, bodyPosition()});
        openBookmarks_.erase(it);
      }
      break;
    }
    case Dest::ProtPassword:
      if (side_) side_->protection().passwordHash = QByteArray::fromHex(collect_.trimmed().toLatin1());
      collect_.clear();
      break;
    default:
      break;
  }
  if (s.fieldIndex >= 0 && s.fieldIndex < static_cast<int>(fieldStack_.size()) &&
      s.output == fieldStack_[s.fieldIndex].output)
    fieldStack_[s.fieldIndex].resultEnd = outputPosition(s.output);
  if (s.fieldGroup && !fieldStack_.empty()) {
    PendingField f = fieldStack_.back();
    fieldStack_.pop_back();
    if (side_ && f.recorded && s.output == 0) addField(f, -1);
    else if (side_ && f.recorded) markHeaderField(f);
  }
  if (styleSheetStart_ && stack_.size() + 1 == styleSheetDepth_) {
    if (side_ && styleSheetDepth_ == 2) side_->setStyleSheet(QByteArray(styleSheetStart_, closedAt_ + 1 - styleSheetStart_));
    styleSheetStart_ = nullptr;
  }
  if (s.output != parent.output) flush(outs_[s.output]);
}

// ---- control words

void Reader::enter(Dest d) {
  st().dest = d;
  collect_.clear();
}

void Reader::startField() {
  State& s = st();
  if (s.dest != Dest::Body) return enter(Dest::Skip);
  PendingField f;
  f.recorded = fieldStack_.empty();
  f.output = s.output;
  fieldStack_.push_back(f);
  s.dest = Dest::FieldGroup;
  s.fieldGroup = true;
}

void Reader::startHeader(std::string_view word) {
  State& s = st();
  if (!side_ || s.output != 0 || s.dest != Dest::Body || word == "headerl" || word == "footerl")
    return enter(Dest::Skip);
  const HeaderKind k = word == "headerf" ? HeaderKind::FirstHeader
                       : word == "footerf" ? HeaderKind::FirstFooter
                       : word[0] == 'f'    ? HeaderKind::Footer
                                           : HeaderKind::Header;
  Output& o = outs_[static_cast<int>(k) + 1];
  flush(outs_[0]);
  QTextDocument* doc = side_->header(k);
  doc->clear();
  o = Output{};
  o.doc = doc;
  o.cur = QTextCursor(doc);
  s.output = static_cast<int>(k) + 1;
  s.para = ParaProps{};
}

const std::unordered_map<std::string_view, Reader::Rule>& Reader::rules() {
  static const std::unordered_map<std::string_view, Rule> table = [] {
    std::unordered_map<std::string_view, Rule> t;
    auto dest = [&t](std::initializer_list<std::string_view> names, const Handler& h) {
      for (std::string_view n : names) t[n] = {h, true};
    };
    auto add = [&t](std::initializer_list<std::string_view> names, const Handler& h) {
      for (std::string_view n : names) t[n] = {h, false};
    };

    // Destinations.
    dest({"fonttbl"}, [](Reader& r, State&, const Word&) { r.enter(Dest::FontTable); });
    dest({"colortbl"}, [](Reader& r, State&, const Word&) { r.enter(Dest::ColorTable); });
    dest({"stylesheet", "pict", "object", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator",
          "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore", "footnote", "annotation",
          "shppict", "nonshppict", "filetbl", "pgdsctbl", "mmathPr", "fldtype"},
         [](Reader& r, State&, const Word&) { r.enter(Dest::Skip); });
    dest({"info"}, [](Reader& r, State&, const Word&) { r.enter(Dest::Info); });
    dest({"docvar"}, [](Reader& r, State&, const Word&) { r.enter(Dest::DocVar); });
    dest({"field"}, [](Reader& r, State&, const Word&) { r.startField(); });
    // Instruction and result are groups of their own inside the field's
    // group: the words standing bare in the field's group are passed over,
    // so that the text after the field never becomes its result.
    dest({"fldinst"}, [](Reader& r, State& s, const Word&) {
      if (s.fieldGroup) return;
      r.enter(s.dest == Dest::FieldGroup && !r.fieldStack_.empty() ? Dest::FieldInst : Dest::Skip);
    });
    dest({"fldrslt"}, [](Reader& r, State& s, const Word&) {
      if (s.fieldGroup) return;
      if (s.dest != Dest::FieldGroup || r.fieldStack_.empty()) return r.enter(Dest::Skip);
      s.dest = Dest::Body;
      // A result in a table paragraph begins in its cell: the table is
      // entered before the result starts, as none may start inside it.
      r.enterTableIfNeeded(r.out());
      s.inResult = true;
      s.fieldIndex = static_cast<int>(r.fieldStack_.size()) - 1;
      if (s.output == r.fieldStack_.back().output) r.fieldStack_.back().resultStart = r.outputPosition(s.output);
    });
    dest({"formfield"}, [](Reader& r, State& s, const Word&) {
      r.enter(s.dest == Dest::FieldInst ? Dest::FormField : Dest::Skip);
    });
    dest({"bkmkstart"}, [](Reader& r, State& s, const Word&) {
      r.enter(s.output == 0 && s.dest == Dest::Body ? Dest::BookmarkStart : Dest::Skip);
    });
    dest({"bkmkend"}, [](Reader& r, State& s, const Word&) {
      r.enter(s.output == 0 && s.dest == Dest::Body ? Dest::BookmarkEnd : Dest::Skip);
    });
    dest({"qvprotpw"}, [](Reader& r, State&, const Word&) { r.enter(Dest::ProtPassword); });
    dest({"header", "headerr", "headerf", "footer", "footerr", "footerf", "headerl", "footerl"},
         [](Reader& r, State&, const Word& w) { r.startHeader(w.name); });

    // Special characters, in any text destination.
    add({"par", "sect"}, [](Reader& r, State& s, const Word&) {
      if (s.dest == Dest::Body) r.paragraph();
      else if (s.dest == Dest::DocVarPart) r.text(QChar(u'\r'));
    });
    add({"line"}, [](Reader& r, State& s, const Word&) {
      s.dest == Dest::Body ? r.emitChar(QChar::LineSeparator) : r.text(QChar(u'\v'));
    });
    const std::pair<std::string_view, char16_t> zeichen[] = {
        {"tab", u'\t'},         {"emdash", 0x2014},    {"endash", 0x2013},  {"lquote", 0x2018},
        {"rquote", 0x2019},     {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022},
        {"emspace", 0x2003},    {"enspace", 0x2002}};
    for (const auto& [name, c] : zeichen) add({name}, [c = c](Reader& r, State&, const Word&) { r.text(QChar(c)); });
    add({"page"}, [](Reader& r, State& s, const Word&) {
      if (s.dest != Dest::Body) return;
      if (r.out().blockUsed) r.paragraph();
      r.out().pageBreakNext = true;
    });
    add({"u"}, [](Reader& r, State& s, const Word& w) {
      const int code = w.num < 0 ? w.num + 65536 : w.num;
      r.text(QChar(static_cast<char16_t>(std::clamp(code, 0, 0xFFFF))));
      r.unicodeSkip_ = s.uc;
    });
    add({"uc"}, [](Reader&, State& s, const Word& w) { s.uc = std::clamp(w.num, 0, 10); });

    // Document properties.
    add({"formprot", "revprot", "annotprot", "readprot"}, [](Reader& r, State&, const Word& w) {
      if (r.side_)
        r.side_->protection().type = w.name == "formprot"    ? ProtectionType::FormFields
                                     : w.name == "revprot"   ? ProtectionType::Revisions
                                     : w.name == "annotprot" ? ProtectionType::Comments
                                                             : ProtectionType::ReadOnly;
    });
    const std::pair<std::string_view, int PageSetup::*> seite[] = {
        {"paperw", &PageSetup::paperWidth}, {"paperh", &PageSetup::paperHeight},
        {"margl", &PageSetup::marginLeft},  {"margr", &PageSetup::marginRight},
        {"margt", &PageSetup::marginTop},   {"margb", &PageSetup::marginBottom},
        {"headery", &PageSetup::headerDistance}, {"footery", &PageSetup::footerDistance}};
    for (const auto& [name, member] : seite)
      add({name}, [m = member](Reader& r, State&, const Word& w) {
        if (r.side_) r.side_->page().*m = std::clamp(w.num, 0, 1'000'000);
      });
    add({"titlepg"}, [](Reader& r, State&, const Word&) {
      if (r.side_) r.side_->setTitlePage(true);
    });
    add({"formshade"}, [](Reader& r, State&, const Word&) {
      if (r.side_) r.side_->setFormShading(true);
    });
    add({"deflang"}, [](Reader& r, State&, const Word& w) {
      if (r.side_) r.side_->setDefaultLanguage(std::clamp(w.num, 0, 0xFFFF));
    });

    // Character formatting.
    add({"plain"}, [](Reader&, State& s, const Word&) { s.chr = CharProps{}; });
    add({"b"}, [](Reader&, State& s, const Word& w) { s.chr.bold = w.on() != 0; });
    add({"i"}, [](Reader&, State& s, const Word& w) { s.chr.italic = w.on() != 0; });
    add({"ul", "uld", "uldb", "ulw", "uldash", "ulth"},
        [](Reader&, State& s, const Word& w) { s.chr.underline = w.on() != 0; });
    add({"ulnone"}, [](Reader&, State& s, const Word&) { s.chr.underline = false; });
    add({"strike"}, [](Reader&, State& s, const Word& w) { s.chr.strike = w.on() != 0; });
    add({"super"}, [](Reader&, State& s, const Word&) { s.chr.vert = 1; });
    add({"sub"}, [](Reader&, State& s, const Word&) { s.chr.vert = -1; });
    add({"nosupersub"}, [](Reader&, State& s, const Word&) { s.chr.vert = 0; });
    add({"fs"}, [](Reader&, State& s, const Word& w) { s.chr.fontSize = std::clamp(w.hasNum ? w.num : 24, 1, 3276); });
    add({"f"}, [](Reader& r, State& s, const Word& w) {
      if (s.dest == Dest::FontTable) r.fontNum_ = w.num;
      else s.chr.font = w.num;
    });
    add({"cf"}, [](Reader&, State& s, const Word& w) { s.chr.color = w.num; });
    add({"highlight", "cb", "chcbpat"}, [](Reader&, State& s, const Word& w) { s.chr.highlight = w.num; });
    add({"cs"}, [](Reader&, State& s, const Word& w) { s.chr.style = std::max(0, w.num); });
    add({"noproof"}, [](Reader&, State& s, const Word& w) { s.chr.noProof = w.on() != 0; });
    add({"lang"}, [](Reader&, State& s, const Word& w) {
      if (w.num == 1024) s.chr.noProof = true;
    });

    // Paragraph formatting.
    add({"pard"}, [](Reader& r, State& s, const Word&) {
      r.out().inRowDef = false;
      s.para = ParaProps{};
    });
    add({"s"}, [](Reader&, State& s, const Word& w) { s.para.style = std::max(0, w.num); });
    add({"ql", "qc", "qr", "qj"}, [](Reader&, State& s, const Word& w) {
      s.para.align = w.name == "ql" ? 0 : w.name == "qc" ? 1 : w.name == "qr" ? 2 : 3;
    });
    const std::pair<std::string_view, int ParaProps::*> abstand[] = {
        {"li", &ParaProps::left},   {"ri", &ParaProps::right}, {"fi", &ParaProps::first},
        {"sb", &ParaProps::before}, {"sa", &ParaProps::after}, {"sl", &ParaProps::sl}};
    for (const auto& [name, member] : abstand)
      add({name}, [m = member](Reader&, State& s, const Word& w) { s.para.*m = w.twips(); });
    add({"slmult"}, [](Reader&, State& s, const Word& w) { s.para.slmult = w.on() != 0; });
    add({"tx"}, [](Reader&, State& s, const Word& w) {
      if (s.para.tabs.size() < 64) s.para.tabs.push_back(w.twips());
    });
    add({"intbl"}, [](Reader& r, State& s, const Word&) {
      r.out().inRowDef = false;
      s.para.inTable = true;
    });
    // The bottom rule: border words after \brdrb describe it, those after
    // another side's word are passed over.
    add({"brdrb"}, [](Reader&, State& s, const Word&) { s.para.borderIsBottom = true; });
    add({"brdrt", "brdrl", "brdrr", "box", "brdrbtw"}, [](Reader&, State& s, const Word&) { s.para.borderIsBottom = false; });
    add({"brdrs", "brdrth", "brdrdb", "brdrdot", "brdrdash"}, [](Reader&, State& s, const Word&) {
      if (s.para.borderIsBottom) s.para.bottomStyle = 1;
    });
    add({"brdrnone"}, [](Reader&, State& s, const Word&) {
      if (s.para.borderIsBottom) s.para.bottomStyle = 0;
    });
    add({"brdrw"}, [](Reader&, State& s, const Word& w) {
      if (s.para.borderIsBottom) s.para.bottomWidth = std::clamp(w.num, 0, 255);
    });
    add({"brsp"}, [](Reader&, State& s, const Word& w) {
      if (s.para.borderIsBottom) s.para.bottomSpace = std::clamp(w.num, 0, 2000);
    });
    add({"brdrcf"}, [](Reader&, State& s, const Word& w) {
      if (s.para.borderIsBottom) s.para.bottomColor = std::clamp(w.num, 0, 255);
    });

    // Tables.
    add({"trowd"}, [](Reader& r, State&, const Word&) {
      Output& o = r.out();
      o.rowCells = 0;
      o.inRowDef = true;
      o.cellBorder = false;
      o.rowWords.clear();
      o.cellWords.clear();
      o.cellDefs.clear();
    });
    add({"cellx"}, [](Reader& r, State&, const Word&) { ++r.out().rowCells; });
    add({"cell", "nestcell"}, [](Reader& r, State& s, const Word&) {
      if (s.dest == Dest::Body) r.cell();
    });
    add({"row", "nestrow"}, [](Reader& r, State& s, const Word&) {
      if (s.dest == Dest::Body) r.row();
    });
    return t;
  }();
  return table;
}

void Reader::word(const Token& t) {
  State& s = st();
  const bool star = pendingStar_;
  pendingStar_ = false;
  if (s.dest == Dest::Skip) return;
  const Word w{t.word, t.hasNum, t.num};
  const auto& table = rules();
  const auto rule = table.find(w.name);

  if (w.name == "stylesheet" && !styleSheetStart_ && t.start > begin_ && t.start[-1] == '{') {
    // Passed over while reading, kept whole for writing back.
    styleSheetStart_ = t.start - 1;
    styleSheetDepth_ = stack_.size();
  }
  if (s.dest == Dest::Info) {
    // Inside the summary only these are kept; other groups are passed over.
    if (w.name == "title") return enter(Dest::InfoTitle);
    if (w.name == "author") return enter(Dest::InfoAuthor);
    if (w.name == "subject") return enter(Dest::InfoSubject);
    return enter(Dest::Skip);
  }
  if (s.dest == Dest::FormField) {
    if (w.name == "ffname") return enter(Dest::FfName);
    if (w.name == "ffdeftext") return enter(Dest::FfDefText);
    if (w.name == "ffentrymcr") return enter(Dest::FfEntry);
    if (w.name == "ffexitmcr") return enter(Dest::FfExit);
    if (w.name == "ffmaxlen" && !fieldStack_.empty()) fieldStack_.back().form.maxLength = std::max(0, w.num);
    return;
  }
  if (rule != table.end() && rule->second.destination) return rule->second.handle(*this, s, w);
  if (star) return enter(Dest::Skip);

  if (s.dest == Dest::ColorTable) {
    const int v = std::clamp(w.num, 0, 255);
    if (w.name == "red") red_ = v, colorSet_ = true;
    else if (w.name == "green") green_ = v, colorSet_ = true;
    else if (w.name == "blue") blue_ = v, colorSet_ = true;
    return;
  }
  if (s.dest == Dest::FontTable && w.name != "f") return;
  if (rowDefinitionWord(w)) return;
  if (rule != table.end()) rule->second.handle(*this, s, w);
}

void Reader::symbol(char c) {
  switch (c) {
    case '*':
      pendingStar_ = true;
      return;
    case '~':
      return text(QChar(0x00A0));
    case '_':
      return text(QChar(0x2011));
    case '\r':
    case '\n':
      if (st().dest == Dest::Body) paragraph();
      return;
    case '\\':
    case '{':
    case '}':
      return text(QLatin1Char(c));
    default:
      return;
  }
}

void Reader::token(const Token& t) {
  using K = Token::Kind;
  if (t.kind == K::Open || t.kind == K::Close) {
    // A group brace ends the characters a \uN stands in for.
    unicodeSkip_ = 0;
    closedAt_ = t.start;
    return t.kind == K::Open ? openGroup() : closeGroup();
  }
  // Inside groups nested too deep only the braces count.
  if (overflow_ > 0) return;
  if (unicodeSkip_ > 0 && t.kind != K::Text) {
    --unicodeSkip_;
    return;
  }
  const bool skip = st().dest == Dest::Skip;
  switch (t.kind) {
    case K::Word:
      return word(t);
    case K::Symbol:
      if (!skip) symbol(t.symbol);
      return;
    case K::Hex:
      pendingStar_ = false;
      if (!skip) text(cp1252::toUnicode(t.byte));
      return;
    case K::Text: {
      std::string_view run = t.text;
      const size_t passed = std::min<size_t>(run.size(), static_cast<size_t>(unicodeSkip_));
      run.remove_prefix(passed);
      unicodeSkip_ -= static_cast<int>(passed);
      pendingStar_ = false;
      if (skip || run.empty()) return;
      const bool body = st().dest == Dest::Body;
      for (char c : run) {
        const QChar ch = cp1252::toUnicode(static_cast<unsigned char>(c));
        body ? emitChar(ch) : text(ch);
      }
      return;
    }
    default:
      return;
  }
}

void Reader::run() {
  Tokenizer tokens(begin_, end_);
  bool started = false;
  for (Token t = tokens.next(); t.kind != Token::Kind::End; t = tokens.next()) {
    if (stack_.empty()) {
      // Up to the document's opening brace nothing counts; after its
      // closing brace the rest is outside the document.
      if (started) break;
      if (t.kind != Token::Kind::Open) continue;
      started = true;
      stack_.push_back(State{});
      continue;
    }
    token(t);
    if (stack_.empty()) break;
  }
  finish();
}

void Reader::finish() {
  if (stack_.empty()) stack_.push_back(State{});
  // Fields left open by a truncated file end where the text ends.
  while (!fieldStack_.empty()) {
    PendingField f = fieldStack_.back();
    fieldStack_.pop_back();
    // A header's field stays in its header's text.
    if (side_ && f.recorded && f.resultStart >= 0) f.output == 0 ? addField(f, bodyPosition()) : markHeaderField(f);
  }
  for (Output& o : outs_) {
    if (!o.doc) continue;
    flush(o);
  }
  // The text of a document ends without a paragraph mark: drop the empty
  // block a final \par leaves behind.
  for (Output& o : outs_) {
    if (!o.doc) continue;
    QTextBlock last = o.doc->lastBlock();
    if (last.length() <= 1 && last.previous().isValid() && !QTextCursor(last).currentTable() &&
        !QTextCursor(last.previous()).currentTable()) {
      const int at = last.position() - 1;
      QTextCursor c(o.doc);
      c.setPosition(at + 1);
      c.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
      c.removeSelectedText();
      if (&o == &outs_[0]) {
        removedBodyChar(at);
        if (side_) side_->setEndsWithParagraphMark(true);
      }
    }
  }
  convertEmptyFields();
  nameFieldsByBookmarks();
  if (side_) {
    QStringList fonts;
    for (const auto& [number, name] : fonts_) fonts << name;
    side_->setFontTable(fonts);
    side_->setColorTable(colors_.size() > 1 ? QList<QColor>(colors_.begin() + 1, colors_.end()) : QList<QColor>());
    for (RawBookmark& b : bookmarks_) side_->bookmarks().append({b.name, TextRange(side_->body(), b.start, b.end)});
    for (RawField& f : fields_) {
      f.field.result = TextRange(side_->body(), f.start, f.end);
      side_->fields().append(std::move(f.field));
    }
    side_->sortFields();
  }
}

// LibreOffice writes a text form field without \formfield: its name is
// that of the bookmark it puts in front of the field (and again behind it).
// Such a field takes the name of the bookmark that encloses it or touches
// it in front, else of one that touches it behind, the tightest first; the
// bookmarks of its name that enclose or touch it are dropped, as the field
// carries the name from now on.
void Reader::nameFieldsByBookmarks() {
  std::vector<bool> drop(bookmarks_.size(), false);
  for (RawField& f : fields_) {
    if (f.field.kind != FieldKind::FormText || !f.field.form.name.isEmpty()) continue;
    auto rank = [&f](const RawBookmark& b) {
      if (b.start <= f.start && (b.end >= f.end || b.end == f.start)) return 0;
      return b.start == f.end ? 1 : 2;
    };
    int best = -1;
    for (int i = 0; i < static_cast<int>(bookmarks_.size()); ++i) {
      const RawBookmark& b = bookmarks_[i];
      if (drop[i] || rank(b) == 2) continue;
      if (best < 0 || rank(b) < rank(bookmarks_[best]) ||
          (rank(b) == rank(bookmarks_[best]) && b.end - b.start < bookmarks_[best].end - bookmarks_[best].start))
        best = i;
    }
    if (best < 0) continue;
    f.field.form.name = bookmarks_[best].name;
    for (size_t i = 0; i < bookmarks_.size(); ++i)
      if (bookmarks_[i].name == f.field.form.name && rank(bookmarks_[i]) < 2) drop[i] = true;
  }
  std::vector<RawBookmark> kept;
  for (size_t i = 0; i < bookmarks_.size(); ++i)
    if (!drop[i]) kept.push_back(std::move(bookmarks_[i]));
  bookmarks_ = std::move(kept);
}

void Reader::addField(const PendingField& f, int end) {
  RawField raw;
  raw.field.instruction = f.inst;
  raw.field.form = f.form;
  const QString type = raw.field.type();
  raw.field.kind = type == QLatin1String("FORMTEXT")      ? FieldKind::FormText
                   : type == QLatin1String("MACROBUTTON") ? FieldKind::MacroButton
                                                          : FieldKind::Other;
  raw.start = f.resultStart < 0 ? bodyPosition() : f.resultStart;
  raw.end = end >= 0 ? end : f.resultEnd;
  if (raw.end < raw.start) raw.end = raw.start;
  fields_.push_back(std::move(raw));
}

void Reader::markHeaderField(const PendingField& f) {
  const int end = outputPosition(f.output);
  const int stop = f.resultEnd >= 0 ? f.resultEnd : end;
  if (f.resultStart < 0 || stop <= f.resultStart) return;
  QTextCursor c(outs_[f.output].doc);
  c.setPosition(f.resultStart);
  c.setPosition(stop, QTextCursor::KeepAnchor);
  QTextCharFormat mark;
  mark.setProperty(kFieldInstructionProperty, f.inst.trimmed());
  c.mergeCharFormat(mark);
}

void Reader::convertEmptyFields() {
  // One character for one: the recorded positions stay right.
  QTextDocument* body = outs_[0].doc;
  for (const RawField& f : fields_) {
    if (f.field.kind != FieldKind::FormText || f.end <= f.start) continue;
    QTextCursor c(body);
    c.setPosition(f.start);
    c.setPosition(f.end, QTextCursor::KeepAnchor);
    const QString t = c.selectedText();
    if (!isEmptyFieldText(t) || !t.contains(kFileEmptyFieldChar)) continue;
    // Run by run of one format (mostly the whole field at once), each run
    // keeping its format.
    QTextCursor at(body);
    auto formatOf = [&at](int pos) {
      at.setPosition(pos + 1);
      return at.charFormat();
    };
    int from = f.start;
    QTextCharFormat format = formatOf(from);
    for (int i = f.start + 1; i <= f.end; ++i) {
      const QTextCharFormat next = i < f.end ? formatOf(i) : QTextCharFormat();
      if (i < f.end && next == format) continue;
      c.setPosition(from);
      c.setPosition(i, QTextCursor::KeepAnchor);
      c.insertText(QString(i - from, kEmptyFieldChar), format);
      from = i;
      format = next;
    }
  }
}

void Reader::removedBodyChar(int pos) {
  moveBodyPositions([pos](int v) { return v > pos ? v - 1 : v; });
}

// New columns put a cell at the end of every row, so the text of the rows
// below moves on: the positions recorded there move with it.
void Reader::appendColumns(Output& o, int count) {
  std::vector<int> rowEnds;
  if (&o == &outs_[0])
    for (int r = 0; r < o.table->rows(); ++r) rowEnds.push_back(o.table->cellAt(r, o.table->columns() - 1).lastPosition());
  o.table->appendColumns(count);
  if (rowEnds.empty()) return;
  moveBodyPositions([&rowEnds, count](int v) {
    return v + count * static_cast<int>(std::count_if(rowEnds.begin(), rowEnds.end(), [v](int e) { return v > e; }));
  });
}

void Reader::moveBodyPositions(const std::function<int(int)>& to) {
  auto move = [&to](int& v) {
    if (v >= 0) v = to(v);
  };
  for (auto& b : bookmarks_) move(b.start), move(b.end);
  for (auto& f : fields_) move(f.start), move(f.end);
  for (auto& [name, start] : openBookmarks_) move(start);
  for (auto& f : fieldStack_)
    if (f.output == 0) move(f.resultStart), move(f.resultEnd);
}

}  // namespace

bool read(const QByteArray& bytes, QTextDocument& body, RichDocument* side) {
  body.clear();
  const qsizetype start = bytes.indexOf("{\\rtf");
  if (start < 0) return false;
  body.setUndoRedoEnabled(false);
  const QByteArray rest = bytes.mid(start);  // the reader points into it
  {
    Reader r(rest, body, side);
    r.run();
  }
  body.setUndoRedoEnabled(true);
  return true;
}

}  // namespace qv::rtf::codec
