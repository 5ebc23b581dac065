// The form content of an RTF document, straight from the tokenizer's tokens:
// a group stack that keeps only the variables (\docvar), the form fields'
// results, the bookmarks (for naming fields), the first page header's table
// and the author. Body text is counted, not kept.
//
// Field names: our writer and Word give a form field its name in
// \*\formfield{\*\ffname NAME}; LibreOffice writes no \formfield and puts an
// empty bookmark of the field's name in front of the field instead. So a
// field without \ffname is named by the bookmark that encloses it or that
// touches it (ends where the field begins, or begins where it ends).
#include <QString>
#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/cp1252.h"
#include "platform/formcontent.h"
#include "platform/rtf_tokenizer.h"

namespace qv::form {
namespace {

using rtf::codec::Token;
using rtf::codec::Tokenizer;

constexpr int kMaxDepth = 200;

enum class Dest { Body, Skip, Info, Author, DocVar, DocVarName, DocVarValue, FieldGroup, FieldInst, FormField, FfName, BkmkStart, BkmkEnd };
// Where body text goes: the main text, the first page's header, the plain
// header, or nowhere (footers and other headers).
enum class Part { Main, FirstHeader, Header, Other };

struct Group {
  Dest dest = Dest::Body;
  Part part = Part::Main;
  int uc = 1;
  int docVarParts = 0;
  bool fieldGroup = false;  // the group \field opened
  bool inResult = false;    // inside a \fldrslt
  bool inTable = false;     // \intbl since the last \pard
};

struct OpenField {
  QString inst, name, result;
  long long start = 0;
  bool recorded = false;  // outermost field of the main text
};

struct Placed {
  TextField field;
  QString type;
  long long start, end;
};

struct Bookmark {
  QString name;
  long long start, end;
};

// The cell (1, 2) of a header's first table.
struct HeaderTable {
  int row = 0, cell = 0;
  bool seen = false;
  QString text;
};

class Reader {
 public:
  explicit Reader(const QByteArray& bytes) : tokens_(bytes.constData(), bytes.constData() + bytes.size()) {}
  ReadResult run();

 private:
  Group& g() { return stack_.back(); }
  void open();
  void close();
  void word(const Token& t);
  bool destination(std::string_view w);
  void text(QChar c);
  void bodyChar(QChar c);

  Tokenizer tokens_;
  std::vector<Group> stack_;
  int overflow_ = 0;
  bool star_ = false;
  int unicodeSkip_ = 0;
  long long pos_ = 0;  // characters of the main text so far
  FormContent out_;
  QString collect_;
  QString varName_, varValue_;
  std::vector<OpenField> fields_;
  std::vector<Placed> placed_;
  std::map<QString, long long> openMarks_;
  std::vector<Bookmark> marks_;
  HeaderTable headers_[2];  // first page, plain
};

void Reader::open() {
  if (overflow_ > 0 || static_cast<int>(stack_.size()) >= kMaxDepth) {
    ++overflow_;
    return;
  }
  Group s = stack_.back();
  s.fieldGroup = false;
  s.docVarParts = 0;
  Group& parent = stack_.back();
  if (parent.dest == Dest::DocVar) {
    ++parent.docVarParts;
    s.dest = parent.docVarParts == 1 ? Dest::DocVarName : parent.docVarParts == 2 ? Dest::DocVarValue : Dest::Skip;
  }
  stack_.push_back(s);
  star_ = false;
}

void Reader::close() {
  if (overflow_ > 0) {
    --overflow_;
    return;
  }
  const Group s = stack_.back();
  stack_.pop_back();
  if (stack_.empty()) return;
  switch (s.dest) {
    case Dest::Author:
      out_.author = collect_;
      break;
    case Dest::DocVar:
      if (s.docVarParts >= 1 && g().dest != Dest::DocVar) out_.variables.append({varName_, varValue_});
      varName_.clear();
      varValue_.clear();
      break;
    case Dest::FfName:
      if (!fields_.empty()) fields_.back().name = collect_.trimmed();
      break;
    case Dest::BkmkStart:
      if (!collect_.trimmed().isEmpty()) openMarks_[collect_.trimmed()] = pos_;
      break;
    case Dest::BkmkEnd:
      if (auto it = openMarks_.find(collect_.trimmed()); it != openMarks_.end()) {
        marks_.push_back({it->first, it->second, pos_});
        openMarks_.erase(it);
      }
      break;
    default:
      break;
  }
  if (s.fieldGroup && !fields_.empty()) {
    OpenField f = std::move(fields_.back());
    fields_.pop_back();
    if (f.recorded) {
      const QString type = f.inst.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
      placed_.push_back({{f.name, f.result}, type, f.start, pos_});
    }
  }
}

bool Reader::destination(std::string_view w) {
  Group& s = g();
  static const std::unordered_set<std::string_view> skipped = {
      "fonttbl", "colortbl", "stylesheet", "pict", "object", "listtable", "listoverridetable", "revtbl",
      "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
      "footnote", "annotation", "shppict", "nonshppict", "filetbl", "pgdsctbl", "mmathPr", "fldtype",
      "footer", "footerr", "footerf", "footerl", "headerl", "shp", "shpinst", "sp", "pntext", "listtext"};
  auto enter = [&](Dest d) {
    s.dest = d;
    collect_.clear();
  };
  if (w == "info") return enter(Dest::Info), true;
  if (w == "docvar") return enter(Dest::DocVar), true;
  if (w == "field") {
    if (s.dest != Dest::Body) return enter(Dest::Skip), true;
    OpenField f;
    f.recorded = fields_.empty() && s.part == Part::Main;
    f.start = pos_;
    fields_.push_back(f);
    s.dest = Dest::FieldGroup;
    s.fieldGroup = true;
    return true;
  }
  if (w == "fldinst") {
    if (!s.fieldGroup) enter(s.dest == Dest::FieldGroup ? Dest::FieldInst : Dest::Skip);
    return true;
  }
  if (w == "fldrslt") {
    if (s.fieldGroup) return true;
    if (s.dest != Dest::FieldGroup) return enter(Dest::Skip), true;
    s.dest = Dest::Body;
    s.inResult = true;
    return true;
  }
  if (w == "formfield") return enter(s.dest == Dest::FieldInst ? Dest::FormField : Dest::Skip), true;
  if (w == "bkmkstart" || w == "bkmkend") {
    const bool main = s.dest == Dest::Body && s.part == Part::Main;
    return enter(!main ? Dest::Skip : w == "bkmkstart" ? Dest::BkmkStart : Dest::BkmkEnd), true;
  }
  if (w == "headerf" || w == "header" || w == "headerr") {
    if (s.dest != Dest::Body || s.part != Part::Main) return enter(Dest::Skip), true;
    s.part = w == "headerf" ? Part::FirstHeader : Part::Header;
    headers_[s.part == Part::FirstHeader ? 0 : 1] = HeaderTable{};
    s.inTable = false;
    return true;
  }
  if (skipped.count(w)) return enter(Dest::Skip), true;
  return false;
}

void Reader::bodyChar(QChar c) {
  const Group& s = g();
  if (s.part == Part::Main) {
    ++pos_;
    if (s.inResult && !fields_.empty() && fields_.front().recorded) fields_.front().result += c;
  } else if (s.part != Part::Other && s.inTable) {
    HeaderTable& h = headers_[s.part == Part::FirstHeader ? 0 : 1];
    h.seen = true;
    if (h.row == 0 && h.cell == 1) h.text += c;
  }
}

void Reader::text(QChar c) {
  switch (g().dest) {
    case Dest::Body: return bodyChar(c);
    case Dest::DocVarName: varName_ += c; return;
    case Dest::DocVarValue: varValue_ += c; return;
    case Dest::FieldInst:
      if (!fields_.empty()) fields_.back().inst += c;
      return;
    case Dest::Author:
    case Dest::FfName:
    case Dest::BkmkStart:
    case Dest::BkmkEnd: collect_ += c; return;
    default: return;
  }
}

void Reader::word(const Token& t) {
  Group& s = g();
  const bool star = std::exchange(star_, false);
  if (s.dest == Dest::Skip) return;
  const std::string_view w = t.word;
  if (s.dest == Dest::Info) {
    s.dest = w == "author" ? Dest::Author : Dest::Skip;
    collect_.clear();
    return;
  }
  if (s.dest == Dest::FormField) {
    if (w == "ffname") {
      s.dest = Dest::FfName;
      collect_.clear();
    }
    return;
  }
  if (destination(w)) return;
  if (star) {
    s.dest = Dest::Skip;
    return;
  }
  const bool body = s.dest == Dest::Body;
  const bool var = s.dest == Dest::DocVarName || s.dest == Dest::DocVarValue;
  if (w == "par" || w == "sect") {
    if (body) bodyChar(QChar::ParagraphSeparator);
    else if (var) text(QChar(u'\r'));
  } else if (w == "line") {
    text(body ? QChar::LineSeparator : QChar(u'\v'));
  } else if (w == "u") {
    const int code = t.num < 0 ? t.num + 65536 : t.num;
    text(QChar(static_cast<char16_t>(std::clamp(code, 0, 0xFFFF))));
    unicodeSkip_ = s.uc;
  } else if (w == "uc") {
    s.uc = std::clamp(t.num, 0, 10);
  } else if (w == "pard") {
    s.inTable = false;
  } else if (w == "intbl") {
    s.inTable = true;
  } else if ((w == "cell" || w == "row") && body && s.part != Part::Main && s.part != Part::Other) {
    HeaderTable& h = headers_[s.part == Part::FirstHeader ? 0 : 1];
    h.seen = true;
    if (w == "cell") ++h.cell;
    else ++h.row, h.cell = 0;
  } else {
    static const std::pair<std::string_view, char16_t> chars[] = {
        {"tab", u'\t'},      {"emdash", 0x2014},    {"endash", 0x2013},    {"lquote", 0x2018},
        {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022},
        {"emspace", 0x2003}, {"enspace", 0x2002}};
    for (const auto& [name, c] : chars)
      if (w == name) return text(QChar(c));
  }
}

ReadResult Reader::run() {
  bool started = false, closed = false;
  for (Token t = tokens_.next(); t.kind != Token::Kind::End; t = tokens_.next()) {
    using K = Token::Kind;
    if (stack_.empty()) {
      if (started) break;
      if (t.kind != K::Open) continue;
      started = true;
      stack_.push_back(Group{});
      continue;
    }
    if (t.kind == K::Open || t.kind == K::Close) {
      unicodeSkip_ = 0;
      if (t.kind == K::Open) {
        open();
      } else {
        close();
        if (stack_.empty()) {
          closed = true;
          break;
        }
      }
      continue;
    }
    if (overflow_ > 0) continue;
    if (unicodeSkip_ > 0 && t.kind != K::Text) {
      --unicodeSkip_;
      continue;
    }
    switch (t.kind) {
      case K::Word:
        word(t);
        break;
      case K::Symbol:
        if (t.symbol == '*') {
          star_ = true;
          break;
        }
        star_ = false;
        if (g().dest == Dest::Skip) break;
        if (t.symbol == '~') text(QChar(0x00A0));
        else if (t.symbol == '_') text(QChar(0x2011));
        else if (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}') text(QLatin1Char(t.symbol));
        else if ((t.symbol == '\r' || t.symbol == '\n') && g().dest == Dest::Body) bodyChar(QChar::ParagraphSeparator);
        break;
      case K::Hex:
        star_ = false;
        if (g().dest != Dest::Skip) text(cp1252::toUnicode(t.byte));
        break;
      case K::Text: {
        std::string_view run = t.text;
        const size_t passed = std::min<size_t>(run.size(), static_cast<size_t>(unicodeSkip_));
        run.remove_prefix(passed);
        unicodeSkip_ -= static_cast<int>(passed);
        star_ = false;
        const Group& s = g();
        if (s.dest == Dest::Skip || run.empty()) break;
        // Plain body text only moves the position on.
        if (s.dest == Dest::Body && s.part == Part::Main && !s.inResult) {
          pos_ += static_cast<long long>(run.size());
          break;
        }
        for (char c : run) text(cp1252::toUnicode(static_cast<unsigned char>(c)));
        break;
      }
      default:
        break;
    }
  }
  if (!started) return {std::nullopt, QStringLiteral("kein RTF-Dokument")};
  if (!closed || !fields_.empty()) return {std::nullopt, ReasonTruncated()};

  // Names for the fields that have none, from their bookmarks: one
  // enclosing or touching the field in front first, then one touching it
  // behind; the tightest of these; each bookmark names one field.
  std::vector<bool> used(marks_.size(), false);
  for (Placed& p : placed_) {
    if (p.type != QLatin1String("FORMTEXT")) continue;
    if (p.field.name.isEmpty()) {
      int best = -1;
      auto rank = [&](const Bookmark& b) {
        if (b.start <= p.start && (b.end >= p.end || b.end == p.start)) return 0;
        return b.start == p.end ? 1 : 2;
      };
      for (int i = 0; i < static_cast<int>(marks_.size()); ++i) {
        if (used[i] || rank(marks_[i]) == 2) continue;
        const Bookmark& b = marks_[i];
        if (best < 0 || rank(b) < rank(marks_[best]) ||
            (rank(b) == rank(marks_[best]) && b.end - b.start < marks_[best].end - marks_[best].start))
          best = i;
      }
      if (best >= 0) {
        used[best] = true;
        p.field.name = marks_[best].name;
      }
    }
    out_.fields.push_back(std::move(p.field));
  }
  for (const HeaderTable& h : headers_) {
    if (!h.seen) continue;
    if (h.row > 0 || h.cell > 1) out_.headerName = h.text;
    break;
  }
  return {std::move(out_), QString()};
}

}  // namespace

ReadResult ReadRtf(const QByteArray& bytes) { return Reader(bytes).run(); }

}  // namespace qv::form
