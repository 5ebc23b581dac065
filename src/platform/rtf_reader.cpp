// RTF reader: a byte tokenizer and a group-state machine that builds a
// QTextDocument and, for a RichDocument, its side data.
//
// Damaged input is normal input: the reader never recurses (groups live on an
// explicit stack with a depth limit), clamps numbers, stops at the end of the
// bytes whatever is still open, and keeps the text it has read.
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>
#include <algorithm>
#include <map>
#include <vector>

#include "platform/cp1252.h"
#include "platform/docmodel.h"
#include "platform/richeditor.h"
#include "platform/rtf_codec.h"

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
      : begin_(bytes.constData()), p_(bytes.constData()), end_(bytes.constData() + bytes.size()), side_(side) {
    outs_[0].doc = &body;
    outs_[0].cur = QTextCursor(&body);
  }

  void run();

 private:
  // ---- tokenizer helpers
  void controlWord();
  void controlSymbol(char c);
  void hexChar();
  void skipAfterUnicode(int count);
  void handleWord(const char* w, int len, bool hasNum, int num);
  void text(QChar c);

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
  bool rowDefinitionWord(std::string_view word, bool hasNum, int num);
  void applyRowDefinition(Output& o);
  void markHeaderField(const PendingField& f);
  void convertEmptyFields();
  void finish();

  const char* begin_;
  const char* p_;
  const char* end_;
  RichDocument* side_;
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
  if (!st().para.inTable) {
    if (o.table && o.rowEnded) leaveTable(o);
    return;
  }
  if (o.table && !o.rowEnded) {
    // Text behind the last defined cell of a row gets a column of its own.
    if (o.tableCol >= o.table->columns() && o.table->columns() < 64) {
      flush(o);
      o.table->appendColumns(std::min(64, o.tableCol + 1) - o.table->columns());
      o.cur = o.table->cellAt(o.tableRow, std::min(o.tableCol, o.table->columns() - 1)).firstCursorPosition();
      o.blockUsed = false;
    }
    return;
  }
  flush(o);
  if (!o.table) {
    // The empty paragraph the previous \par opened is the one Qt keeps in
    // front of a table: drop it so that the table follows the paragraph.
    if (!o.blockUsed && o.cur.block().length() <= 1 && o.cur.block().previous().isValid() &&
        !QTextCursor(o.cur.block().previous()).currentTable()) {
      o.cur.deletePreviousChar();
      if (&o == &outs_[0]) removedBodyChar(o.cur.position());
    }
    QTextTableFormat tf;
    tf.setBorder(1);
    tf.setCellPadding(2);
    tf.setCellSpacing(0);
    o.table = o.cur.insertTable(1, std::clamp(o.rowCells, 1, 64), tf);
    o.tableRow = 0;
  } else {
    o.table->appendRows(1);
    ++o.tableRow;
    if (o.rowCells > o.table->columns()) o.table->appendColumns(std::min(64, o.rowCells) - o.table->columns());
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

bool Reader::rowDefinitionWord(std::string_view word, bool hasNum, int num) {
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
        else if (parent.docVarParts == 2) docVarValue_ = collect_;
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
  if (s.dest == Dest::FieldGroup && parent.dest != Dest::FieldGroup && !fieldStack_.empty()) {
    PendingField f = fieldStack_.back();
    fieldStack_.pop_back();
    if (side_ && f.recorded && s.output == 0) addField(f, -1);
    else if (side_ && f.recorded) markHeaderField(f);
  }
  if (styleSheetStart_ && stack_.size() + 1 == styleSheetDepth_) {
    if (side_ && styleSheetDepth_ == 2) side_->setStyleSheet(QByteArray(styleSheetStart_, p_ - styleSheetStart_));
    styleSheetStart_ = nullptr;
  }
  if (s.output != parent.output) flush(outs_[s.output]);
}

// ---- control words

void Reader::handleWord(const char* w, int len, bool hasNum, int num) {
  const std::string_view word(w, static_cast<size_t>(len));
  State& s = st();
  const bool star = pendingStar_;
  pendingStar_ = false;
  const int on = hasNum ? num : 1;

  // Destinations.
  auto enter = [&](Dest d) {
    s.dest = d;
    collect_.clear();
  };
  if (word == "bin") {
    const qsizetype n = std::clamp<qsizetype>(hasNum ? num : 0, 0, end_ - p_);
    p_ += n;
    return;
  }
  if (s.dest == Dest::Skip) return;
  if (word == "fonttbl") return enter(Dest::FontTable);
  if (word == "colortbl") return enter(Dest::ColorTable);
  if (word == "stylesheet" && !styleSheetStart_ && w - begin_ >= 2 && w[-1] == '\\' && w[-2] == '{') {
    // Passed over while reading, kept whole for writing back.
    styleSheetStart_ = w - 2;
    styleSheetDepth_ = stack_.size();
    return enter(Dest::Skip);
  }
  if (word == "stylesheet" || word == "pict" || word == "object" || word == "listtable" ||
      word == "listoverridetable" || word == "revtbl" || word == "rsidtbl" || word == "generator" ||
      word == "xmlnstbl" || word == "themedata" || word == "colorschememapping" || word == "latentstyles" ||
      word == "datastore" || word == "footnote" || word == "annotation" || word == "shppict" ||
      word == "nonshppict" || word == "filetbl" || word == "pgdsctbl" || word == "mmathPr" || word == "fldtype")
    return enter(Dest::Skip);
  if (word == "info") return enter(Dest::Info);
  if (s.dest == Dest::Info) {
    if (word == "title") return enter(Dest::InfoTitle);
    if (word == "author") return enter(Dest::InfoAuthor);
    if (word == "subject") return enter(Dest::InfoSubject);
    return enter(Dest::Skip);
  }
  if (word == "docvar") return enter(Dest::DocVar);
  if (word == "field") {
    if (s.dest != Dest::Body) return enter(Dest::Skip);
    PendingField f;
    f.recorded = fieldStack_.empty();
    f.output = s.output;
    fieldStack_.push_back(f);
    s.dest = Dest::FieldGroup;
    return;
  }
  if (word == "fldinst") {
    if (s.dest != Dest::FieldGroup || fieldStack_.empty()) return enter(Dest::Skip);
    return enter(Dest::FieldInst);
  }
  if (word == "fldrslt") {
    if (s.dest != Dest::FieldGroup || fieldStack_.empty()) return enter(Dest::Skip);
    s.dest = Dest::Body;
    s.fieldIndex = static_cast<int>(fieldStack_.size()) - 1;
    if (s.output == fieldStack_.back().output) fieldStack_.back().resultStart = outputPosition(s.output);
    return;
  }
  if (word == "formfield") {
    if (s.dest != Dest::FieldInst) return enter(Dest::Skip);
    return enter(Dest::FormField);
  }
  if (s.dest == Dest::FormField) {
    if (word == "ffname") return enter(Dest::FfName);
    if (word == "ffdeftext") return enter(Dest::FfDefText);
    if (word == "ffentrymcr") return enter(Dest::FfEntry);
    if (word == "ffexitmcr") return enter(Dest::FfExit);
    if (word == "ffmaxlen" && !fieldStack_.empty()) fieldStack_.back().form.maxLength = std::max(0, num);
    return;
  }
  if (word == "bkmkstart") return enter(s.output == 0 && s.dest == Dest::Body ? Dest::BookmarkStart : Dest::Skip);
  if (word == "bkmkend") return enter(s.output == 0 && s.dest == Dest::Body ? Dest::BookmarkEnd : Dest::Skip);
  if (word == "qvprotpw") return enter(Dest::ProtPassword);
  if (word == "header" || word == "headerr" || word == "headerf" || word == "footer" || word == "footerr" ||
      word == "footerf" || word == "headerl" || word == "footerl") {
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
    return;
  }
  if (star) return enter(Dest::Skip);

  // Font and colour tables.
  if (s.dest == Dest::FontTable) {
    if (word == "f") fontNum_ = num;
    return;
  }
  if (s.dest == Dest::ColorTable) {
    if (word == "red") red_ = std::clamp(num, 0, 255), colorSet_ = true;
    else if (word == "green") green_ = std::clamp(num, 0, 255), colorSet_ = true;
    else if (word == "blue") blue_ = std::clamp(num, 0, 255), colorSet_ = true;
    return;
  }

  // Special characters (in any text destination).
  if (word == "par" || word == "sect") {
    if (s.dest == Dest::Body) paragraph();
    else if (s.dest == Dest::DocVarPart) text(QChar(u'\r'));
    return;
  }
  if (word == "line") return s.dest == Dest::Body ? emitChar(QChar::LineSeparator) : text(QChar(u'\v'));
  if (word == "tab") return text(QChar(u'\t'));
  if (word == "emdash") return text(QChar(0x2014));
  if (word == "endash") return text(QChar(0x2013));
  if (word == "lquote") return text(QChar(0x2018));
  if (word == "rquote") return text(QChar(0x2019));
  if (word == "ldblquote") return text(QChar(0x201C));
  if (word == "rdblquote") return text(QChar(0x201D));
  if (word == "bullet") return text(QChar(0x2022));
  if (word == "emspace") return text(QChar(0x2003));
  if (word == "enspace") return text(QChar(0x2002));
  if (word == "page") {
    if (s.dest != Dest::Body) return;
    if (out().blockUsed) paragraph();
    out().pageBreakNext = true;
    return;
  }
  if (word == "u") {
    const int code = num < 0 ? num + 65536 : num;
    text(QChar(static_cast<char16_t>(std::clamp(code, 0, 0xFFFF))));
    return skipAfterUnicode(s.uc);
  }
  if (word == "uc") {
    s.uc = std::clamp(num, 0, 10);
    return;
  }
  // Document properties.
  if (word == "formprot") {
    if (side_) side_->protection().type = ProtectionType::FormFields;
    return;
  }
  if (word == "revprot" || word == "annotprot" || word == "readprot") {
    if (side_)
      side_->protection().type = word == "revprot"     ? ProtectionType::Revisions
                                 : word == "annotprot" ? ProtectionType::Comments
                                                       : ProtectionType::ReadOnly;
    return;
  }
  if (side_) {
    PageSetup& pg = side_->page();
    const int v = std::clamp(num, 0, 1'000'000);
    if (word == "paperw") return void(pg.paperWidth = v);
    if (word == "paperh") return void(pg.paperHeight = v);
    if (word == "margl") return void(pg.marginLeft = v);
    if (word == "margr") return void(pg.marginRight = v);
    if (word == "margt") return void(pg.marginTop = v);
    if (word == "margb") return void(pg.marginBottom = v);
    if (word == "titlepg") return side_->setTitlePage(true);
    if (word == "headery") return void(pg.headerDistance = v);
    if (word == "footery") return void(pg.footerDistance = v);
    if (word == "formshade") return side_->setFormShading(true);
    if (word == "deflang") return side_->setDefaultLanguage(std::clamp(num, 0, 0xFFFF));
  }

  if (rowDefinitionWord(word, hasNum, num)) return;

  // Character formatting.
  CharProps& c = s.chr;
  if (word == "plain") return void(c = CharProps{});
  if (word == "b") return void(c.bold = on != 0);
  if (word == "i") return void(c.italic = on != 0);
  if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" || word == "ulth")
    return void(c.underline = on != 0);
  if (word == "ulnone") return void(c.underline = false);
  if (word == "strike") return void(c.strike = on != 0);
  if (word == "super") return void(c.vert = 1);
  if (word == "sub") return void(c.vert = -1);
  if (word == "nosupersub") return void(c.vert = 0);
  if (word == "fs") return void(c.fontSize = std::clamp(hasNum ? num : 24, 1, 3276));
  if (word == "f") return void(c.font = num);
  if (word == "cf") return void(c.color = num);
  if (word == "highlight" || word == "cb" || word == "chcbpat") return void(c.highlight = num);
  if (word == "cs") return void(c.style = std::max(0, num));
  if (word == "noproof") return void(c.noProof = on != 0);
  if (word == "lang" && num == 1024) return void(c.noProof = true);

  // Paragraph formatting.
  ParaProps& pp = s.para;
  const int tw = std::clamp(num, -100'000, 100'000);
  if (word == "pard") {
    out().inRowDef = false;
    return void(pp = ParaProps{});
  }
  if (word == "s") return void(pp.style = std::max(0, num));
  if (word == "ql") return void(pp.align = 0);
  if (word == "qc") return void(pp.align = 1);
  if (word == "qr") return void(pp.align = 2);
  if (word == "qj") return void(pp.align = 3);
  if (word == "li") return void(pp.left = tw);
  if (word == "ri") return void(pp.right = tw);
  if (word == "fi") return void(pp.first = tw);
  if (word == "sb") return void(pp.before = tw);
  if (word == "sa") return void(pp.after = tw);
  if (word == "sl") return void(pp.sl = tw);
  if (word == "slmult") return void(pp.slmult = on != 0);
  if (word == "tx") {
    if (pp.tabs.size() < 64) pp.tabs.push_back(tw);
    return;
  }
  if (word == "intbl") {
    out().inRowDef = false;
    return void(pp.inTable = true);
  }
  if (word == "brdrb") return void(pp.borderIsBottom = true);
  if (word == "brdrt" || word == "brdrl" || word == "brdrr" || word == "box" || word == "brdrbtw")
    return void(pp.borderIsBottom = false);
  if (pp.borderIsBottom) {
    if (word == "brdrs" || word == "brdrth" || word == "brdrdb" || word == "brdrdot" || word == "brdrdash")
      return void(pp.bottomStyle = 1);
    if (word == "brdrnone") return void(pp.bottomStyle = 0);
    if (word == "brdrw") return void(pp.bottomWidth = std::clamp(num, 0, 255));
    if (word == "brsp") return void(pp.bottomSpace = std::clamp(num, 0, 2000));
    if (word == "brdrcf") return void(pp.bottomColor = std::clamp(num, 0, 255));
  }

  // Tables.
  if (word == "trowd") {
    Output& o = out();
    o.rowCells = 0;
    o.inRowDef = true;
    o.cellBorder = false;
    o.rowWords.clear();
    o.cellWords.clear();
    o.cellDefs.clear();
    return;
  }
  if (word == "cellx") {
    ++outs_[s.output].rowCells;
    return;
  }
  if (word == "cell" || word == "nestcell") {
    if (s.dest == Dest::Body) cell();
    return;
  }
  if (word == "row" || word == "nestrow") {
    if (s.dest == Dest::Body) row();
    return;
  }
}

void Reader::skipAfterUnicode(int count) {
  while (count > 0 && p_ < end_) {
    const char c = *p_;
    if (c == '{' || c == '}') return;
    if (c == '\r' || c == '\n') {
      ++p_;
      continue;
    }
    if (c == '\\') {
      if (p_ + 1 >= end_) {
        p_ = end_;
        return;
      }
      const char n = p_[1];
      if (n == '\'') {
        p_ = std::min(end_, p_ + 4);
      } else if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
        const char* q = p_ + 1;
        while (q < end_ && ((*q >= 'a' && *q <= 'z') || (*q >= 'A' && *q <= 'Z'))) ++q;
        if (q < end_ && (*q == '-' || (*q >= '0' && *q <= '9'))) ++q;
        while (q < end_ && *q >= '0' && *q <= '9') ++q;
        if (q < end_ && *q == ' ') ++q;
        p_ = q;
      } else {
        p_ += 2;
      }
    } else {
      ++p_;
    }
    --count;
  }
}

void Reader::controlWord() {
  // p_ is on the first letter.
  const char* w = p_;
  while (p_ < end_ && ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= 'A' && *p_ <= 'Z')) && p_ - w < 32) ++p_;
  const int len = static_cast<int>(p_ - w);
  while (p_ < end_ && ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= 'A' && *p_ <= 'Z'))) ++p_;  // overlong word
  bool neg = false, hasNum = false;
  long long num = 0;
  if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && p_[1] >= '0' && p_[1] <= '9') {
    neg = true;
    ++p_;
  }
  while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
    hasNum = true;
    if (num < 10'000'000'000LL) num = num * 10 + (*p_ - '0');
    ++p_;
  }
  if (p_ < end_ && *p_ == ' ') ++p_;
  if (neg) num = -num;
  num = std::clamp<long long>(num, INT32_MIN, INT32_MAX);
  handleWord(w, len, hasNum, static_cast<int>(num));
}

void Reader::hexChar() {
  // p_ is behind "\'".
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (p_ + 1 >= end_) {
    p_ = end_;
    return;
  }
  const int h = hex(p_[0]), l = hex(p_[1]);
  if (h < 0 || l < 0) {
    // An invalid escape is dropped; what follows is read normally.
    return;
  }
  p_ += 2;
  pendingStar_ = false;
  if (st().dest == Dest::Skip) return;
  text(cp1252::toUnicode(static_cast<unsigned char>(h * 16 + l)));
}

void Reader::controlSymbol(char c) {
  switch (c) {
    case '*':
      pendingStar_ = true;
      return;
    case '\'':
      return hexChar();
    case '~':
      return text(QChar(0x00A0));
    case '_':
      return text(QChar(0x2011));
    case '-':
      return;
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

void Reader::run() {
  // Find the opening "{\rtf".
  while (p_ < end_ && *p_ != '{') ++p_;
  while (p_ < end_) {
    const char c = *p_;
    if (c == '{') {
      ++p_;
      if (stack_.empty()) {
        stack_.push_back(State{});
        continue;
      }
      openGroup();
      continue;
    }
    if (stack_.empty()) break;  // the document's group is closed
    if (c == '}') {
      ++p_;
      closeGroup();
      if (stack_.empty()) break;
      continue;
    }
    if (overflow_ > 0) {
      // Inside groups nested too deep: only braces and \bin matter.
      if (c == '\\' && p_ + 1 < end_) {
        if (p_[1] == 'b' && end_ - p_ > 4 && std::string_view(p_ + 1, 3) == "bin") {
          ++p_;
          controlWord();
          continue;
        }
        p_ += 2;
        continue;
      }
      ++p_;
      continue;
    }
    if (c == '\\') {
      ++p_;
      if (p_ >= end_) break;
      const char n = *p_;
      if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
        controlWord();
      } else {
        ++p_;
        if (st().dest == Dest::Skip && n != '\'') continue;
        controlSymbol(n);
      }
      continue;
    }
    if (c == '\r' || c == '\n' || c == '\0') {
      ++p_;
      continue;
    }
    pendingStar_ = false;
    if (st().dest == Dest::Skip) {
      ++p_;
      continue;
    }
    // A run of plain characters.
    const char* s = p_;
    while (p_ < end_ && *p_ != '\\' && *p_ != '{' && *p_ != '}' && *p_ != '\r' && *p_ != '\n' && *p_ != '\0') ++p_;
    if (st().dest == Dest::Body) {
      QString run;
      run.reserve(p_ - s);
      for (const char* q = s; q < p_; ++q) run += cp1252::toUnicode(static_cast<unsigned char>(*q));
      for (QChar ch : std::as_const(run)) emitChar(ch);
    } else {
      for (const char* q = s; q < p_; ++q) text(cp1252::toUnicode(static_cast<unsigned char>(*q)));
    }
  }
  finish();
}

void Reader::finish() {
  if (stack_.empty()) stack_.push_back(State{});
  // Fields left open by a truncated file end where the text ends.
  while (!fieldStack_.empty()) {
    PendingField f = fieldStack_.back();
    fieldStack_.pop_back();
    if (side_ && f.recorded && f.resultStart >= 0) addField(f, bodyPosition());
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
    for (int i = f.start; i < f.end; ++i) {
      QTextCursor one(body);
      one.setPosition(i + 1);
      const QTextCharFormat fmt = one.charFormat();
      one.setPosition(i, QTextCursor::KeepAnchor);
      one.insertText(QString(kEmptyFieldChar), fmt);
    }
  }
}

void Reader::removedBodyChar(int pos) {
  auto shift = [pos](int& v) {
    if (v > pos) --v;
  };
  for (auto& b : bookmarks_) shift(b.start), shift(b.end);
  for (auto& f : fields_) shift(f.start), shift(f.end);
  for (auto& [name, start] : openBookmarks_) shift(start);
  for (auto& f : fieldStack_) shift(f.resultStart), shift(f.resultEnd);
}

}  // namespace

bool read(const QByteArray& bytes, QTextDocument& body, RichDocument* side) {
  body.clear();
  const qsizetype start = bytes.indexOf("{\\rtf");
  if (start < 0) return false;
  body.setUndoRedoEnabled(false);
  const QByteArray rest = bytes.mid(start);  // the reader points into it
  Reader r(rest, body, side);
  r.run();
  body.setUndoRedoEnabled(true);
  return true;
}

}  // namespace qv::rtf::codec
