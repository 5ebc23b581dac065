// What a real word processor makes of our RTF: LibreOffice opens files our
// writer made and saves them again (as RTF, and as plain text for the
// characters); our reader reads what it wrote, and the text, the formatting
// and the side data that LibreOffice keeps are compared with what we wrote.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
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
  if (found.isNull()) return {};
  return found.block().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}

QTextTable* firstTable(const QTextDocument& d) {
  for (QTextFrame* f : d.rootFrame()->childFrames())
    if (auto* t = qobject_cast<QTextTable*>(f)) return t;
  return nullptr;
}

QString cellText(QTextTable* t, int row, int column) {
  const QTextTableCell cell = t->cellAt(row, column);
  QTextCursor c = cell.firstCursorPosition();
  c.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
  return c.selectedText();
}

const QString kNonLatin = u8("Ζεύς Ωμέγα – Привет ★");

// A document with every kind of formatting and side data the program writes.
void fillFormatted(RichDocument& doc) {
  QTextCursor c(doc.body());
  QTextCharFormat title;
  title.setFontFamilies({QStringLiteral("Arial")});
  title.setFontWeight(QFont::Bold);
  title.setFontPointSize(16);
  QTextBlockFormat centre;
  centre.setAlignment(Qt::AlignHCenter);
  c.setBlockFormat(centre);
  c.insertText(QStringLiteral("Fettkopf"), title);

  QTextCharFormat plain;
  plain.setFontFamilies({QStringLiteral("Times New Roman")});
  plain.setFontPointSize(12);
  QTextBlockFormat left;
  left.setAlignment(Qt::AlignLeft);
  c.insertBlock(left, plain);
  QTextCharFormat italic = plain;
  italic.setFontItalic(true);
  c.insertText(u8("Schräg"), italic);
  c.insertText(u8(" und Größe "), plain);
  QTextCharFormat underlined = plain;
  underlined.setFontUnderline(true);
  underlined.setForeground(QColor(200, 0, 0));
  c.insertText(u8("Unterstrichen„€“"), underlined);
  c.insertText(QStringLiteral(" Wort"), plain);
  QTextCharFormat sup = plain;
  sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  c.insertText(QStringLiteral("1)"), sup);

  QTextBlockFormat right;
  right.setAlignment(Qt::AlignRight);
  c.insertBlock(right, plain);
  QTextCharFormat small = plain;
  small.setFontPointSize(9);
  small.setForeground(QColor(0, 0, 180));
  c.insertText(QStringLiteral("Rechtsklein"), small);

  QTextBlockFormat justify;
  justify.setAlignment(Qt::AlignJustify);
  c.insertBlock(justify, plain);
  c.insertText(QStringLiteral("Blocksatz ") + kNonLatin, plain);

  c.insertBlock(left, plain);
  c.insertText(QStringLiteral("Vor der Tabelle"), plain);
  QTextTable* t = c.insertTable(2, 3);
  const char* cells[2][3] = {{"Nr.", "Wort", "Grundform"}, {"1", "ging", "gehen"}};
  for (int r = 0; r < 2; ++r)
    for (int col = 0; col < 3; ++col) t->cellAt(r, col).firstCursorPosition().insertText(u8(cells[r][col]), plain);
  c.movePosition(QTextCursor::End);
  c.insertBlock(left, plain);
  c.insertText(QStringLiteral("Lücke: "), plain);
  const int gapAt = c.position();
  c.insertBlock(left, plain);
  c.insertText(QStringLiteral("Knopf: "), plain);
  const int buttonAt = c.position();
  c.insertBlock(left, plain);
  c.insertText(QStringLiteral("Ende mit Marke"), plain);

  const int end = doc.body()->characterCount() - 1;
  doc.setBookmark(QStringLiteral("Schluss"), end - 5, end);
  doc.insertField(buttonAt, QStringLiteral("MACROBUTTON MarkSingleField Haus "), QStringLiteral("Haus"),
                  FieldKind::MacroButton);
  doc.insertField(gapAt, QStringLiteral(" FORMTEXT "), QStringLiteral("_____"), FieldKind::FormText,
                  FormFieldData{QStringLiteral("Gap_1"), {}, {}, {}, 0});

  doc.setVariable(QStringLiteral("APP"), QStringLiteral("Quillbee-Vodedarivo1.0.0"));
  doc.setVariable(QStringLiteral("Gap_1"), u8("ging|gehen|Präteritum"));
  doc.info().author = u8("Frau Köhler");
  doc.info().title = u8("Übung Verben");
  doc.protect(ProtectionType::FormFields, QStringLiteral("geheim"));

  doc.setTitlePage(true);
  QTextDocument* head = doc.header(HeaderKind::FirstHeader);
  QTextCursor hc(head);
  QTextTable* ht = hc.insertTable(1, 2);
  ht->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("Name:"), plain);
  ht->cellAt(0, 1).firstCursorPosition().insertText(u8("Jürgen Groß"), plain);
}

// A plain document: long text with umlauts, many paragraphs.
void fillLong(RichDocument& doc) {
  QTextCursor c(doc.body());
  QTextCharFormat f;
  f.setFontPointSize(11);
  for (int i = 0; i < 40; ++i) {
    if (i) c.insertBlock();
    c.insertText(u8("Absatz %1: Die Kinder übten fleißig, während Frau Köhler zählte.").arg(i), f);
  }
}

struct Converted {
  QString rtf;  // LibreOffice's RTF
  QString txt;  // LibreOffice's plain text
};

class RtfLibreOffice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    soffice_ = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice_.isEmpty()) return;
    dir_ = new QTemporaryDir;
    ASSERT_TRUE(dir_->isValid());
    const QString in = dir_->filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    RichDocument formatted, longer;
    fillFormatted(formatted);
    fillLong(longer);
    qvtest::writeFile(in + QStringLiteral("/formatted.rtf"), formatted.toRtf());
    qvtest::writeFile(in + QStringLiteral("/long.rtf"), longer.toRtf());
    // One LibreOffice start per target format, each converting both files.
    for (const char* target : {"rtf", "txt:Text (encoded):UTF8"}) {
      const QString out = dir_->filePath(QString::fromLatin1(target).left(3));
      QDir().mkpath(out);
      QProcess p;
      p.setProcessChannelMode(QProcess::MergedChannels);
      p.start(soffice_, {QStringLiteral("-env:UserInstallation=file://") + dir_->filePath(QStringLiteral("profile")),
                         QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                         QString::fromLatin1(target), QStringLiteral("--outdir"), out,
                         in + QStringLiteral("/formatted.rtf"), in + QStringLiteral("/long.rtf")});
      ASSERT_TRUE(p.waitForFinished(240000));
      log_ += QString::fromLocal8Bit(p.readAll());
    }
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (soffice_.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  static Converted converted(const QString& name) {
    return {dir_->filePath(QStringLiteral("rtf/") + name + QStringLiteral(".rtf")),
            dir_->filePath(QStringLiteral("txt/") + name + QStringLiteral(".txt"))};
  }
  // Reads LibreOffice's RTF of that file with our reader.
  static void readBack(const QString& name, RichDocument& doc) {
    const QByteArray theirs = qvtest::readFile(converted(name).rtf);
    ASSERT_FALSE(theirs.isEmpty()) << log_.toStdString();
    ASSERT_TRUE(doc.readRtf(theirs));
  }
  static QString plainText(const QString& name) {
    QString t = QString::fromUtf8(qvtest::readFile(converted(name).txt));
    if (t.startsWith(QChar(0xFEFF))) t.remove(0, 1);
    return t;
  }

  static inline QString soffice_;
  static inline QTemporaryDir* dir_ = nullptr;
  static inline QString log_;
};

}  // namespace

TEST_F(RtfLibreOffice, TextSurvivesBothWays) {
  RichDocument back;
  readBack(QStringLiteral("formatted"), back);
  const QString text = back.body()->toPlainText();
  for (const QString& s : {QStringLiteral("Fettkopf"), u8("Schräg und Größe Unterstrichen„€“ Wort1)"),
                           QStringLiteral("Rechtsklein"), QStringLiteral("Blocksatz ") + kNonLatin,
                           QStringLiteral("Ende mit Marke")})
    EXPECT_TRUE(text.contains(s)) << s.toStdString() << "\n" << text.toStdString();
  // LibreOffice's own plain text of our file has the same characters: our
  // \u escapes and code page bytes mean to it what they mean to us.
  const QString txt = plainText(QStringLiteral("formatted"));
  EXPECT_TRUE(txt.contains(u8("Schräg und Größe Unterstrichen„€“ Wort1)"))) << txt.toStdString();
  EXPECT_TRUE(txt.contains(kNonLatin)) << txt.toStdString();

  RichDocument longBack;
  readBack(QStringLiteral("long"), longBack);
  RichDocument original;
  fillLong(original);
  EXPECT_EQ(longBack.body()->toPlainText(), original.body()->toPlainText());
  QString lo = plainText(QStringLiteral("long"));
  lo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  EXPECT_EQ(lo.trimmed(), original.body()->toPlainText());
}

TEST_F(RtfLibreOffice, CharacterAndParagraphFormattingSurvive) {
  RichDocument back;
  readBack(QStringLiteral("formatted"), back);
  const QTextDocument& d = *back.body();
  const QTextCharFormat title = formatOf(d, QStringLiteral("Fettkopf"));
  EXPECT_EQ(title.fontWeight(), QFont::Bold);
  EXPECT_EQ(title.fontPointSize(), 16.0);
  EXPECT_EQ(title.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
  const QTextCharFormat italic = formatOf(d, u8("Schräg"));
  EXPECT_TRUE(italic.fontItalic());
  EXPECT_NE(italic.fontWeight(), QFont::Bold);
  EXPECT_EQ(italic.fontPointSize(), 12.0);
  EXPECT_EQ(italic.fontFamilies().toStringList().value(0), QStringLiteral("Times New Roman"));
  const QTextCharFormat plain = formatOf(d, u8("Größe"));
  EXPECT_FALSE(plain.fontItalic());
  EXPECT_FALSE(plain.fontUnderline());
  const QTextCharFormat ul = formatOf(d, QStringLiteral("Unterstrichen"));
  EXPECT_TRUE(ul.fontUnderline());
  EXPECT_EQ(ul.foreground().color(), QColor(200, 0, 0));
  EXPECT_EQ(formatOf(d, QStringLiteral("1)")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
  EXPECT_NE(formatOf(d, QStringLiteral("Wort")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
  const QTextCharFormat small = formatOf(d, QStringLiteral("Rechtsklein"));
  EXPECT_EQ(small.fontPointSize(), 9.0);
  EXPECT_EQ(small.foreground().color(), QColor(0, 0, 180));

  EXPECT_EQ(alignmentOf(d, QStringLiteral("Fettkopf")), Qt::AlignHCenter);
  EXPECT_EQ(alignmentOf(d, QStringLiteral("Rechtsklein")), Qt::AlignRight);
  EXPECT_EQ(alignmentOf(d, QStringLiteral("Blocksatz")), Qt::AlignJustify);
  const Qt::Alignment l = alignmentOf(d, u8("Schräg"));
  EXPECT_TRUE(l == Qt::AlignLeft || l == Qt::Alignment()) << int(l);
}

TEST_F(RtfLibreOffice, TablesOfBodyAndFirstPageHeaderSurvive) {
  RichDocument back;
  readBack(QStringLiteral("formatted"), back);
  QTextTable* t = firstTable(*back.body());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rows(), 2);
  EXPECT_EQ(t->columns(), 3);
  EXPECT_EQ(cellText(t, 0, 2), QStringLiteral("Grundform"));
  EXPECT_EQ(cellText(t, 1, 1), QStringLiteral("ging"));
  // The text after the table stays outside it.
  const QTextCursor after = back.body()->find(QStringLiteral("Ende mit Marke"));
  ASSERT_FALSE(after.isNull());
  EXPECT_EQ(after.currentTable(), nullptr);

  EXPECT_TRUE(back.titlePage());
  EXPECT_EQ(back.headerCellText(HeaderKind::FirstHeader, 1, 1), QStringLiteral("Name:"));
  EXPECT_EQ(back.headerCellText(HeaderKind::FirstHeader, 1, 2), u8("Jürgen Groß"));
}

TEST_F(RtfLibreOffice, WhatBecomesOfFieldsBookmarksVariablesAndProtection) {
  RichDocument back;
  readBack(QStringLiteral("formatted"), back);
  // The text form field stays a FORMTEXT field with its result, but
  // LibreOffice writes no form field data: the name only survives as a
  // bookmark of that name beside the field.
  const Field* gap = nullptr;
  for (const Field& f : back.fields())
    if (f.type() == QLatin1String("FORMTEXT")) gap = &f;
  ASSERT_NE(gap, nullptr);
  EXPECT_EQ(gap->result.text(), QStringLiteral("_____"));
  EXPECT_TRUE(back.body()->toPlainText().contains(QStringLiteral("Lücke: _____")));
  EXPECT_EQ(back.formField(QStringLiteral("Gap_1")), nullptr);
  Bookmark* nameMark = back.bookmark(QStringLiteral("Gap_1"));
  ASSERT_NE(nameMark, nullptr);
  EXPECT_TRUE(nameMark->range.start() == gap->result.start() || nameMark->range.start() == gap->result.end());
  // The macro button stays a MACROBUTTON field with its display text (the
  // macro name comes back clipped by LibreOffice 7.4, so only its end is
  // checked).
  const Field* button = nullptr;
  for (const Field& f : back.fields())
    if (f.kind == FieldKind::MacroButton) button = &f;
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->macroName().endsWith(QStringLiteral("SingleField"))) << button->instruction.toStdString();
  EXPECT_EQ(button->result.text().trimmed(), QStringLiteral("Haus"));
  // The bookmark still spans its word.
  Bookmark* mark = back.bookmark(QStringLiteral("Schluss"));
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(mark->range.text(), QStringLiteral("Marke"));
  // Document variables and summary information come back unchanged.
  EXPECT_EQ(back.variable(QStringLiteral("APP")), QStringLiteral("Quillbee-Vodedarivo1.0.0"));
  EXPECT_EQ(back.variable(QStringLiteral("Gap_1")), u8("ging|gehen|Präteritum"));
  EXPECT_EQ(back.info().author, u8("Frau Köhler"));
  EXPECT_EQ(back.info().title, u8("Übung Verben"));
  // Form protection is dropped, and with it our password hash.
  EXPECT_EQ(back.protection().type, ProtectionType::None);
  EXPECT_TRUE(back.protection().passwordHash.isEmpty());
}
