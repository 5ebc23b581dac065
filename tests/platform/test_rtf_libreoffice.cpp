// What a real word processor makes of our RTF: LibreOffice opens files our
// writer made and saves them again (as RTF, and as plain text for the
// characters); our reader reads what it wrote, and the text, the formatting
// and the side data that LibreOffice keeps are compared with what we wrote.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

#include "common/testutil.h"
#include "platform/docmodel.h"

using namespace qv;
using qvtest::u8;

namespace {

QTextCharFormat formatOf(const QTextDocument& d, const QString& word) {
  const QTextCursor found = d.find(word);
  if (found.isNull()) return {};
  QTextCursor at(const_cast<QTextDocument*>(&d));
  at.setPosition(found.selectionStart() + 1);
  return at.charFormat();
}

Qt::Alignment alignmentOf(const QTextDocument& d, const QString& word) {
  const QTextCursor found = d.find(word);
  return found.isNull() ? Qt::Alignment() : found.block().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}

QString cellText(QTextTable* t, int row, int column) {
  const QTextTableCell cell = t->cellAt(row, column);
  QTextCursor c = cell.firstCursorPosition();
  c.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
  return c.selectedText();
}

const QString kNonLatin = u8("Ζεύς Ωμέγα – Привет ★");

// A document with every kind of formatting the program writes, a table, a
// bookmark and the summary information.
void fillFormatted(RichDocument& doc) {
  QTextCursor c(doc.body());
  QTextCharFormat plain;
  plain.setFontFamilies({"Times New Roman"});
  plain.setFontPointSize(12);
  auto paragraph = [&](Qt::Alignment a, bool first = false) {
    QTextBlockFormat b;
    b.setAlignment(a);
    first ? c.setBlockFormat(b) : c.insertBlock(b, plain);
  };
  auto put = [&](const char* text, const std::function<void(QTextCharFormat&)>& change = {}) {
    QTextCharFormat f = plain;
    if (change) change(f);
    c.insertText(u8(text), f);
  };
  paragraph(Qt::AlignHCenter, true);
  put("Fettkopf", [](QTextCharFormat& f) {
    f.setFontFamilies({"Arial"});
    f.setFontWeight(QFont::Bold);
    f.setFontPointSize(16);
  });
  paragraph(Qt::AlignLeft);
  put("Schräg", [](QTextCharFormat& f) { f.setFontItalic(true); });
  put(" und Größe ");
  put("Unterstrichen„€“", [](QTextCharFormat& f) {
    f.setFontUnderline(true);
    f.setForeground(QColor(200, 0, 0));
  });
  put(" Wort");
  put("1)", [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
  paragraph(Qt::AlignRight);
  put("Rechtsklein", [](QTextCharFormat& f) {
    f.setFontPointSize(9);
    f.setForeground(QColor(0, 0, 180));
  });
  paragraph(Qt::AlignJustify);
  c.insertText("Blocksatz " + kNonLatin, plain);
  paragraph(Qt::AlignLeft);
  put("Vor der Tabelle");
  QTextTable* t = c.insertTable(2, 3);
  const char* cells[2][3] = {{"Nr.", "Wort", "Grundform"}, {"1", "ging", "gehen"}};
  for (int r = 0; r < 2; ++r)
    for (int col = 0; col < 3; ++col) t->cellAt(r, col).firstCursorPosition().insertText(u8(cells[r][col]), plain);
  c.movePosition(QTextCursor::End);
  paragraph(Qt::AlignLeft);
  put("Ende mit Marke");

  const int end = doc.body()->characterCount() - 1;
  doc.setBookmark("Schluss", end - 5, end);
  doc.info().author = u8("Frau Köhler");
  doc.info().title = u8("Übung Verben");
}

class RtfLibreOffice : public ::testing::Test {
 protected:
  // LibreOffice's files are made once, in the first test: a failure there
  // fails that test and every later one (a failing SetUpTestSuite would skip
  // them).
  void SetUp() override {
    if (qvtest::soffice().isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    if (!dir_) {
      convert();
      ready_ = !HasFatalFailure();
    }
    ASSERT_TRUE(ready_) << "LibreOffice's files could not be made";
  }
  static void convert() {
    dir_ = new QTemporaryDir;
    ASSERT_TRUE(dir_->isValid());
    const QString in = dir_->filePath("in");
    QDir().mkpath(in);
    RichDocument formatted;
    fillFormatted(formatted);
    qvtest::writeFile(in + "/formatted.rtf", formatted.toRtf());
    for (const QString target : {"rtf", "txt:Text (encoded):UTF8"})
      log_ += qvtest::officeConvert(target, {in + "/formatted.rtf"}, dir_->filePath(target.left(3)), dir_->path());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  // Reads LibreOffice's RTF of that file with our reader.
  static void readBack(const QString& name, RichDocument& doc) {
    const QByteArray theirs = qvtest::readFile(dir_->filePath("rtf/" + name + ".rtf"));
    ASSERT_FALSE(theirs.isEmpty()) << log_.toStdString();
    ASSERT_TRUE(doc.readRtf(theirs));
  }
  // LibreOffice's plain text of that file.
  static QString plainText(const QString& name) {
    QString t = QString::fromUtf8(qvtest::readFile(dir_->filePath("txt/" + name + ".txt")));
    if (t.startsWith(QChar(0xFEFF))) t.remove(0, 1);
    return t.replace("\r\n", "\n");
  }

  static inline bool ready_ = false;
  static inline QTemporaryDir* dir_ = nullptr;
  static inline QString log_;
};

}  // namespace

TEST_F(RtfLibreOffice, TextAndFormattingSurviveBothWays) {
  RichDocument back;
  readBack("formatted", back);
  const QTextDocument& d = *back.body();
  for (const QString& s : {QString("Fettkopf"), u8("Schräg und Größe Unterstrichen„€“ Wort1)"), QString("Rechtsklein"),
                           "Blocksatz " + kNonLatin, QString("Ende mit Marke")})
    EXPECT_TRUE(d.toPlainText().contains(s)) << s.toStdString() << "\n" << d.toPlainText().toStdString();
  // LibreOffice's own plain text of our file has the same characters: our
  // \u escapes and code page bytes mean to it what they mean to us.
  const QString txt = plainText("formatted");
  EXPECT_TRUE(txt.contains(u8("Schräg und Größe Unterstrichen„€“ Wort1)"))) << txt.toStdString();
  EXPECT_TRUE(txt.contains(kNonLatin)) << txt.toStdString();

  const struct {
    const char* word;
    int weight;
    bool italic, underline;
    double pt;
    const char* font;
    QColor colour;
    Qt::Alignment align;
  } runs[] = {{"Fettkopf", QFont::Bold, false, false, 16, "Arial", QColor(Qt::black), Qt::AlignHCenter},
              {"Schräg", QFont::Normal, true, false, 12, "Times New Roman", QColor(Qt::black), {}},
              {"Größe", QFont::Normal, false, false, 12, "Times New Roman", QColor(Qt::black), {}},
              {"Unterstrichen", QFont::Normal, false, true, 12, "Times New Roman", QColor(200, 0, 0), {}},
              {"Rechtsklein", QFont::Normal, false, false, 9, "Times New Roman", QColor(0, 0, 180), Qt::AlignRight},
              {"Blocksatz", QFont::Normal, false, false, 12, "Times New Roman", QColor(Qt::black), Qt::AlignJustify}};
  for (const auto& r : runs) {
    SCOPED_TRACE(r.word);
    const QTextCharFormat f = formatOf(d, u8(r.word));
    EXPECT_EQ(f.fontWeight() == QFont::Bold, r.weight == QFont::Bold);
    EXPECT_EQ(f.fontItalic(), r.italic);
    EXPECT_EQ(f.fontUnderline(), r.underline);
    EXPECT_EQ(f.fontPointSize(), r.pt);
    EXPECT_EQ(f.fontFamilies().toStringList().value(0), r.font);
    if (r.colour != QColor(Qt::black)) { EXPECT_EQ(f.foreground().color(), r.colour); }
    if (r.align) { EXPECT_EQ(alignmentOf(d, u8(r.word)), r.align); }
  }
  EXPECT_EQ(formatOf(d, "1)").verticalAlignment(), QTextCharFormat::AlignSuperScript);
  EXPECT_NE(formatOf(d, "Wort").verticalAlignment(), QTextCharFormat::AlignSuperScript);
  const Qt::Alignment l = alignmentOf(d, u8("Schräg"));
  EXPECT_TRUE(l == Qt::AlignLeft || l == Qt::Alignment()) << int(l);
}

// Tables, the header table, fields and variables of built exercises are
// checked as LibreOffice shows them with the exercise documents; here what
// only this document has: a table in the body, a bookmark over a word and
// the summary information.
TEST_F(RtfLibreOffice, BodyTableBookmarkAndInformationComeBack) {
  RichDocument back;
  readBack("formatted", back);
  QTextTable* t = nullptr;
  for (QTextFrame* f : back.body()->rootFrame()->childFrames())
    if (!t) t = qobject_cast<QTextTable*>(f);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rows(), 2);
  EXPECT_EQ(t->columns(), 3);
  EXPECT_EQ(cellText(t, 0, 2), "Grundform");
  EXPECT_EQ(cellText(t, 1, 1), "ging");
  // The text after the table stays outside it.
  const QTextCursor after = back.body()->find("Ende mit Marke");
  ASSERT_FALSE(after.isNull());
  EXPECT_EQ(after.currentTable(), nullptr);
  Bookmark* mark = back.bookmark("Schluss");
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(mark->range.text(), "Marke");
  EXPECT_EQ(back.info().author, u8("Frau Köhler"));
  EXPECT_EQ(back.info().title, u8("Übung Verben"));
}
