// The RTF codec and the document model: the sample workbook's stored rich
// texts, a round trip of everything the codec knows, foreign RTF as word
// processors write it, and damaged and hostile RTF (mutated RTF is the
// fuzz target's work).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

#include "common/testutil.h"
#include "platform/docmodel.h"
#include "platform/richeditor.h"
#include "platform/rtf.h"

using namespace qv;

// Readable test failures.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QTextCharFormat formatAt(const QTextDocument& d, int pos) {
  QTextCursor c(const_cast<QTextDocument*>(&d));
  c.setPosition(pos + 1);
  return c.charFormat();
}

int find(const QTextDocument& d, const QString& s) { return static_cast<int>(d.toPlainText().indexOf(s)); }
QTextCharFormat formatOf(const QTextDocument& d, const QString& s) { return formatAt(d, find(d, s)); }

// The formats of every paragraph and text run the codec keeps, one line each.
QString describe(const QTextDocument& d) {
  QString out;
  for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
    const QTextBlockFormat p = b.blockFormat();
    QStringList tabs;
    for (const auto& t : p.tabPositions()) tabs << QString::number(t.position);
    out += QStringLiteral("paragraph align=%1 margins=%2,%3,%4,%5,%6 line=%7/%8 tabs=%9 break=%10 rule=%11\n")
               .arg(int(p.alignment() & Qt::AlignHorizontal_Mask))
               .arg(p.leftMargin()).arg(p.textIndent()).arg(p.rightMargin()).arg(p.topMargin()).arg(p.bottomMargin())
               .arg(p.lineHeightType()).arg(p.lineHeight()).arg(tabs.join(',')).arg(int(p.pageBreakPolicy()))
               .arg(QStringLiteral("%1/%2/%3").arg(p.property(kBottomBorderStyleProperty).toString(),
                                                    p.property(kBottomBorderWidthProperty).toString(),
                                                    p.property(kBottomBorderDistanceProperty).toString()));
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      out += QStringLiteral("  [%1] weight=%2 italic=%3 under=%4 strike=%5 pt=%6 font=%7 fg=%8 bg=%9 raised=%10 head=%11 "
                            "noproof=%12\n")
                 .arg(it.fragment().text()).arg(f.fontWeight()).arg(f.fontItalic()).arg(f.fontUnderline())
                 .arg(f.fontStrikeOut()).arg(f.fontPointSize()).arg(f.fontFamilies().toStringList().value(0))
                 .arg(f.foreground().color().name(), f.background().color().name())
                 .arg(int(f.verticalAlignment())).arg(f.intProperty(kHeadMarkerProperty))
                 .arg(f.property(kNoProofingProperty).toString());
    }
  }
  return out;
}

QString readText(const QByteArray& bytes) {
  RichDocument d;
  d.readRtf(bytes);
  return d.body()->toPlainText();
}

struct StoredRichText {
  QString label;
  QByteArray rtf;  // the bytes after the 30-byte header
};

// Every stored rich text of klassenfahrt.json.
QList<StoredRichText> sampleRichTexts() {
  QList<StoredRichText> out;
  const QJsonObject root = qvtest::sample();
  auto add = [&](const QString& label, const QJsonObject& o) {
    if (!o.isEmpty()) out.append({label, o["rtf"].toString().toLatin1()});
  };
  for (const QJsonValue& v : root["Arbeitsblatt"].toArray()) {
    const QJsonObject a = v.toObject();
    const QString id = QString::number(a["ID"].toInt());
    add("Arbeitsblatt " + id, a["ArbeitsblattRTF"].toObject());
    add("Kontrollblatt " + id, a["KontrollblattRTF"].toObject());
  }
  for (const QJsonValue& v : root["Text"].toArray())
    add("Text " + QString::number(v["ID"].toInt()), v["TextRTF"].toObject());
  return out;
}

// Formatted text, a table, fields, bookmarks, variables, headers and page
// set-up: everything the codec knows.
void buildFullDocument(RichDocument& doc) {
  doc.clear();
  QTextCursor c(doc.body());
  QTextCharFormat plain;
  plain.setFontFamilies({"Arial"});
  plain.setFontPointSize(12);
  using CharChange = std::function<void(QTextCharFormat&)>;
  auto put = [&](const QString& text, const CharChange& change = {}) {
    QTextCharFormat f = plain;
    if (change) change(f);
    c.insertText(text, f);
  };
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  centred.setProperty(kBottomBorderStyleProperty, 1);  // the rule under a heading
  centred.setProperty(kBottomBorderWidthProperty, 4);
  centred.setProperty(kBottomBorderColorProperty, 0);
  centred.setProperty(kBottomBorderDistanceProperty, 1.0);
  c.setBlockFormat(centred);
  put("Überschrift „Mühlsee“ €", [](QTextCharFormat& f) {
    f.setFontWeight(QFont::Bold);
    f.setFontPointSize(16);
    f.setFontFamilies({"Times New Roman"});
    f.setProperty(kHeadMarkerProperty, 207);
  });
  QTextBlockFormat para;
  para.setLeftMargin(36);
  para.setTextIndent(-18);
  para.setRightMargin(9);
  para.setTopMargin(6);
  para.setBottomMargin(3);
  para.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
  para.setTabPositions({QTextOption::Tab(72, QTextOption::LeftTab), QTextOption::Tab(144, QTextOption::LeftTab)});
  c.insertBlock(para);
  put("Am Montag\t");
  put("trafen", [](QTextCharFormat& f) {
    f.setFontItalic(true);
    f.setFontUnderline(true);
    f.setForeground(QColor(200, 10, 20));
  });
  put("1)", [](QTextCharFormat& f) {
    f.setFontWeight(QFont::Bold);
    f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  });
  put(" sich{}\\ \u00A0alle", [](QTextCharFormat& f) { f.setProperty(kNoProofingProperty, true); });
  put(" Kinder", [](QTextCharFormat& f) {
    f.setFontStrikeOut(true);
    f.setBackground(QColor(255, 255, 0));
  });
  put("2", [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
  put(QString(QChar::LineSeparator) + "Zeile \u03A9\u4E2D");
  QTextBlockFormat broken;
  broken.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  broken.setLineHeight(14, QTextBlockFormat::FixedHeight);
  c.insertBlock(broken);
  put("Neue Seite: Haus und ");
  const int formPos = c.position();
  c.insertBlock(QTextBlockFormat());
  put("Ende");

  doc.insertField(formPos, " FORMTEXT ", QString(3, kEmptyFieldChar), FieldKind::FormText,
                  FormFieldData{"Gap_1", "Got_Focus", "Lost_Focus", "\u2002\u2002", 0});
  doc.insertField(0, "MACROBUTTON MarkSingleField Haus ", "Haus", FieldKind::MacroButton);
  doc.setBookmark("Kopf", 0, 4);
  doc.setVariable("APP", "Quillbee-Vodedarivo1.0.8");
  QString scrambled;
  for (int i = 0; i < 256; ++i) scrambled += QChar(char16_t(i));
  doc.setVariable("LSTIH", scrambled + "\u20AC\u0152\u03A9");
  doc.setVariable("OUSER", QString());
  doc.setVariable("Klammern {x} \\", "CR\r\nLF");
  doc.info().author = "Frau Köhler";
  doc.info().title = "Klassenfahrt";
  doc.protect(ProtectionType::FormFields, "7991rednefnreL");
  doc.page() = PageSetup{11906, 16838, 400, 600, 250, 350};
  doc.setTitlePage(true);
  QTextTable* t = QTextCursor(doc.header(HeaderKind::FirstHeader)).insertTable(2, 3, QTextTableFormat());
  t->cellAt(0, 0).firstCursorPosition().insertText("Name:");
  t->cellAt(0, 1).firstCursorPosition().insertText("?");
  t->cellAt(1, 2).firstCursorPosition().insertText("Datum");
  QTextCursor(doc.header(HeaderKind::Header)).insertText("Seitenkopf");
}

// The side data: variables, information, protection, page, fields,
// bookmarks and headers, one line each.
QString describeSideData(RichDocument& d) {
  QStringList out;
  for (const auto& v : d.variables()) out << "variable " + v.name + "=" + v.value;
  const PageSetup& p = d.page();
  out << QStringLiteral("info %1/%2 protection %3 %4 page %5 %6 %7 %8 %9 %10 title page %11")
             .arg(d.info().author, d.info().title).arg(int(d.protection().type))
             .arg(QString::fromLatin1(d.protection().passwordHash)).arg(p.paperWidth).arg(p.paperHeight)
             .arg(p.marginLeft).arg(p.marginRight).arg(p.marginTop).arg(p.marginBottom).arg(d.titlePage());
  for (const Field& f : d.fields())
    out << QStringLiteral("field %1 [%2] at %3 [%4] %5 %6 %7 [%8] %9")
               .arg(int(f.kind)).arg(f.instruction).arg(f.result.start()).arg(f.result.text(), f.form.name,
                                                                                f.form.entryMacro, f.form.exitMacro,
                                                                                f.form.defaultText)
               .arg(f.form.maxLength);
  for (const Bookmark& b : d.bookmarks())
    out << QStringLiteral("bookmark %1 %2-%3").arg(b.name).arg(b.range.start()).arg(b.range.end());
  for (int r = 1; r <= 3; ++r)
    for (int col = 1; col <= 3; ++col)
      out << QStringLiteral("first header %1,%2 ").arg(r).arg(col) +
                 d.headerCellText(HeaderKind::FirstHeader, r, col).value_or("<none>");
  for (HeaderKind k : {HeaderKind::Header, HeaderKind::Footer, HeaderKind::FirstFooter})
    out << "header " + (d.existingHeader(k) ? d.existingHeader(k)->toPlainText() : "<none>");
  return out.join('\n');
}

}  // namespace

// ---- The sample workbook's stored rich texts

TEST(RtfSample, EveryStoredRichTextReadsWithItsTextAndSurvivesOurWriter) {
  const auto samples = sampleRichTexts();
  ASSERT_GE(samples.size(), 10);
  for (const auto& s : samples) {
    SCOPED_TRACE(s.label.toStdString());
    QTextDocument a, b;
    ASSERT_TRUE(rtf::read(s.rtf, a));
    EXPECT_FALSE(a.toPlainText().contains(QLatin1Char('\\')) || a.toPlainText().contains("Times New Roman"));
    rtf::read(rtf::write(a), b);
    EXPECT_EQ(a.toPlainText(), b.toPlainText());
    EXPECT_EQ(rtf::write(a).toStdString(), rtf::write(b).toStdString());
  }
  // The first worksheet keeps its bold title, umlauts and quotes.
  QTextDocument d;
  ASSERT_TRUE(rtf::read(samples[0].rtf, d));
  EXPECT_TRUE(d.toPlainText().startsWith("Verben in der Vergangenheit\n"));
  EXPECT_TRUE(d.toPlainText().contains("„Da vorne glitzert er!“"));
  const QTextCharFormat t = formatAt(d, 0), i = formatOf(d, "Setze");
  EXPECT_EQ(std::tuple(t.fontWeight(), t.fontPointSize(), t.fontFamilies().toStringList().value(0)),
            std::tuple(int(QFont::Bold), 16.0, QString("Arial")));
  EXPECT_EQ(std::tuple(i.fontItalic(), i.fontWeight(), i.fontPointSize()), std::tuple(true, int(QFont::Normal), 12.0));
}

// ---- Round trip of everything the codec knows

TEST(RtfRoundTrip, FullDocumentKeepsTextFormatsAndSideData) {
  RichDocument src;
  buildFullDocument(src);
  ASSERT_TRUE(src.setHeaderCellText(HeaderKind::FirstHeader, 1, 2, "Jonas Müller"));
  EXPECT_FALSE(src.setHeaderCellText(HeaderKind::FirstFooter, 1, 2, "x"));
  const QByteArray first = src.toRtf();
  RichDocument doc;
  ASSERT_TRUE(doc.readRtf(first));
  // Writing what was read gives the same bytes; every paragraph and character
  // format of the body and every side datum (the header cell set before
  // writing included) is read back.
  EXPECT_EQ(doc.toRtf().toStdString(), first.toStdString());
  EXPECT_EQ(describe(*doc.body()), describe(*src.body()));
  EXPECT_EQ(describeSideData(doc), describeSideData(src));
  EXPECT_TRUE(first.contains("\\brdrb\\brdrs\\brdrw10\\brsp20"));
  // Control characters of values are written as \uN?: word processors take
  // \'hh ones for paragraph marks of the text.
  EXPECT_TRUE(first.contains("CR\\u13?\\u10?LF"));
  EXPECT_FALSE(first.contains("\\'0d"));
  // The password is never written in clear.
  EXPECT_FALSE(first.contains("7991rednefnreL"));
  EXPECT_FALSE(doc.unprotect("falsch"));
  EXPECT_TRUE(doc.unprotect("7991rednefnreL"));
}

TEST(RtfRoundTrip, ATemplateKeepsItsStylesHeaderTablesAndFields) {
  RichDocument t;
  ASSERT_TRUE(t.readRtf(qvtest::readFile(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"))));
  const QByteArray out = t.toRtf();
  // The header table's cell rules and widths and the page number field are
  // checked as LibreOffice shows the built exercises.
  for (const char* part :
       {"\\deflang1031", "{\\stylesheet{\\s0\\ql\\sl360\\slmult1\\f0\\fs24\\lang1031 Normal;}",
        "{\\f1\\fnil Times New Roman;}", "\\red170\\green85\\blue0;", "{\\subject L\\'fcckentext}", "\\formshade",
        "\\titlepg\\headery567\\footery567", "\\pard\\intbl\\s2 \\plain\\f0\\fs20 \\cell"})
    EXPECT_TRUE(out.contains(part)) << part << "\n" << out.toStdString();
  RichDocument again;
  ASSERT_TRUE(again.readRtf(out));
  EXPECT_EQ(again.toRtf().toStdString(), out.toStdString());
}

TEST(RtfRoundTrip, RaisedTextSitsInItsOwnGroupsAroundFields) {
  // Word processors hold back text after \super until its group closes, so
  // raised text is written grouped, and a field inside it splits the group.
  RichDocument d;
  QTextCursor c(d.body());
  c.insertText("Fu");
  QTextCharFormat sup;
  sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  c.insertText("note12", sup);
  c.insertText(" Ende", QTextCharFormat());
  d.insertField(6, " FORMTEXT ", "__", FieldKind::FormText, FormFieldData{"Gap_1", {}, {}, {}, 0});
  const QByteArray bytes = d.toRtf();
  EXPECT_TRUE(bytes.contains("{\\plain\\f0\\fs24\\super note}")) << bytes.constData();
  RichDocument back;
  ASSERT_TRUE(back.readRtf(bytes));
  const QTextDocument& b = *back.body();
  EXPECT_EQ(b.toPlainText(), "Funote__12 Ende");
  ASSERT_NE(back.formField("Gap_1"), nullptr);
  EXPECT_EQ(back.formField("Gap_1")->result.text(), "__");
  EXPECT_EQ(formatOf(b, "12").verticalAlignment(), QTextCharFormat::AlignSuperScript);
  EXPECT_NE(formatOf(b, "Ende").verticalAlignment(), QTextCharFormat::AlignSuperScript);
}

TEST(RtfRoundTrip, PlainTextsTablesAndRanges) {
  // Characters outside the code page as signed Unicode; empty paragraphs and
  // the document's end.
  QTextDocument d, back;
  QTextCursor(&d).insertText("a\uFB01\u4E2D\u20AC\u00E4{\\}\uFFFD\u0081b");
  const QByteArray bytes = rtf::write(d);
  EXPECT_TRUE(bytes.contains("a\\u-1279?\\u20013?\\'80\\'e4\\{\\\\\\}\\u-3?")) << bytes.constData();
  for (const QString& text : QStringList{d.toPlainText(), "", "\n", "A\n", "\n\nA\n\n"}) {
    QTextDocument t;
    t.setPlainText(text);
    ASSERT_TRUE(rtf::read(rtf::write(t), back));
    EXPECT_EQ(back.toPlainText(), text) << text.toStdString();
  }
  // A table in the body.
  d.clear();
  QTextCursor c(&d);
  c.insertText("vor");
  c.insertBlock();
  QTextTable* t = c.insertTable(2, 2);
  t->cellAt(0, 0).firstCursorPosition().insertText("a");
  t->cellAt(1, 1).firstCursorPosition().insertText("d");
  c.movePosition(QTextCursor::End);
  c.insertText("nach");
  rtf::read(rtf::write(d), back);
  QTextCursor f(&back);
  f.setPosition(find(back, "d"));
  ASSERT_NE(f.currentTable(), nullptr);
  EXPECT_EQ(rtf::write(back), rtf::write(d));  // rows, columns and the text around the table
  // A range of a document is a document of its own, with the styles it uses.
  d.clear();
  QTextCharFormat head;
  head.setProperty(kHeadMarkerProperty, 175);
  head.setFontWeight(QFont::Bold);
  c = QTextCursor(&d);
  c.insertText("Kopf", head);
  c.insertBlock();
  c.insertText("Text", QTextCharFormat());
  const QByteArray part = rtf::writeRange(d, 0, 5);
  EXPECT_TRUE(part.contains("{\\*\\cs175 "));  // declared in the style sheet
  EXPECT_TRUE(part.contains("Kopf\\par"));      // the paragraph end ends the last paragraph
  rtf::read(part, back);
  EXPECT_EQ(back.toPlainText(), "Kopf");
  EXPECT_EQ(formatAt(back, 0).intProperty(kHeadMarkerProperty), 175);
  rtf::read(rtf::writeRange(d, 1, 3), back);
  EXPECT_EQ(back.toPlainText(), "op");
}

// ---- Foreign RTF as word processors write it

TEST(RtfForeign, WordStyleFormFieldsBookmarksAndVariables) {
  const QByteArray in =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times;}}{\\*\\generator Other 1.0;}"
      "{\\info{\\title Probe}{\\author Herr Br\\'fcckner}{\\operator x}{\\creatim\\yr2024}}"
      "{\\*\\docvar {SUSER}{?}}{\\*\\docvar {TXT}{zwei\\par Zeilen}}{\\*\\docvar {ALT}{a\\'0d\\'0a\\'07b}}\\formprot\\paperw12240\\margl1000"
      "\\sectd\\titlepg{\\headerf \\pard\\plain{\\*\\bkmkstart inHeader}Kopf{\\*\\bkmkend inHeader}\\par}"
      "\\pard\\plain Das {\\*\\bkmkstart Kopf}Haus{\\*\\bkmkend Kopf} "
      "{\\field{\\*\\fldinst {\\lang1024  FORMTEXT }{{\\*\\datafield 80010000}{\\*\\formfield{\\fftype0\\ffownhelp"
      "\\ffmaxlen20{\\*\\ffname Gap_7}{\\*\\ffdeftext \\u8194\\'20}{\\*\\ffentrymcr Got_Focus}{\\*\\ffexitmcr Lost_Focus}}}}}"
      "{\\fldrslt {\\lang1024 \\u8194\\'20\\u8194\\'20}}}"
      " ist {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} alt{\\pict\\wmetafile8 0102ff}.\\par}";
  RichDocument d;
  ASSERT_TRUE(d.readRtf(in));
  EXPECT_EQ(d.body()->toPlainText(), "Das Haus \u2007\u2007 ist 1 alt.");
  EXPECT_EQ(d.info().title + "/" + d.info().author, "Probe/Herr Brückner");
  EXPECT_EQ(d.variable("txt").value_or(QString()), "zwei\rZeilen");
  EXPECT_EQ(d.variable("ALT").value_or(QString()), "a\r\n\ab");
  EXPECT_EQ(std::tuple(d.protection().type, d.protection().passwordHash), std::tuple(ProtectionType::FormFields, ""));
  EXPECT_EQ(std::tuple(d.page().paperWidth, d.page().marginLeft, d.titlePage()), std::tuple(12240, 1000, true));
  ASSERT_NE(d.existingHeader(HeaderKind::FirstHeader), nullptr);
  EXPECT_EQ(d.existingHeader(HeaderKind::FirstHeader)->toPlainText(), "Kopf");
  ASSERT_EQ(d.bookmarks().size(), 1);
  EXPECT_EQ(d.bookmarks()[0].range.text(), "Haus");
  ASSERT_EQ(d.fields().size(), 2);
  const Field* gap = d.formField("Gap_7");
  ASSERT_NE(gap, nullptr);
  EXPECT_EQ(std::tuple(gap->form.maxLength, gap->form.defaultText), std::tuple(20, QString("\u2002")));
  // The en spaces of an empty field are read as the blanks the layout
  // keeps whole.
  EXPECT_EQ(gap->result.text(), QString(2, kEmptyFieldChar));
  EXPECT_EQ(d.fields()[1].type() + d.fields()[1].result.text(), "PAGE1");
  // Unicode skip counts and symbols.
  QTextDocument u;
  rtf::read("{\\rtf1\\uc2 a\\u8364\\'80\\'80b\\uc0\\u-4064 c\\uc1\\u252?\\~\\_\\emdash\\{x\\}\\'e4\\'zz}", u);
  EXPECT_EQ(u.toRawText(), "a\u20ACb\uF020c\u00FC\u00A0\u2011\u2014{x}\u00E4zz");
  // A rule on another side is not taken for the bottom one (the bottom rule
  // and no-proofing round-trip with the full document).
  ASSERT_TRUE(d.readRtf("{\\rtf1\\pard\\brdrt\\brdrs\\brdrw10 Oben\\par}"));
  EXPECT_FALSE(d.body()->firstBlock().blockFormat().hasProperty(kBottomBorderStyleProperty));
}

// ---- The document model

TEST(DocModel, RangesFollowEditsAroundThem) {
  RichDocument d;
  QTextCursor c(d.body());
  c.insertText("Am Montag trafen sich alle.");
  const int f = d.insertField(10, " FORMTEXT ", "____", FieldKind::FormText);
  d.setBookmark("Kopf", 0, 2);
  Field& field = d.fields()[f];
  c.setPosition(0);
  c.insertText("Heute: ");  // before both
  EXPECT_EQ(std::tuple(field.result.start(), field.result.text()), std::tuple(17, "____"));
  EXPECT_EQ(d.bookmark("kopf")->range.text(), "Am");
  c.setPosition(field.result.start());
  c.insertText("X");  // at the start: lands before the field
  c.setPosition(field.result.end() + 1);
  c.insertText("Y");
  c.setPosition(3);
  c.setPosition(9, QTextCursor::KeepAnchor);
  c.removeSelectedText();  // deletion before the field; no edit reached into the field
  EXPECT_EQ(field.result.text(), "____");
  field.result.setText("trafen");
  EXPECT_TRUE(d.body()->toPlainText().contains("Xtrafen"));
  RichDocument back;
  back.readRtf(d.toRtf());
  ASSERT_EQ(back.fields().size(), 1);
  EXPECT_EQ(back.fields()[0].result.text(), "trafen");
}

TEST(DocModel, FieldsStayInBodyOrderAndVariablesAreOnePerName) {
  RichDocument d;
  QTextCursor(d.body()).insertText("eins zwei drei");
  d.insertField(14, " FORMTEXT ", "3", FieldKind::FormText, FormFieldData{"Gap_3", {}, {}, {}, 0});
  d.insertField(0, " FORMTEXT ", "1", FieldKind::FormText, FormFieldData{"Gap_1", {}, {}, {}, 0});
  EXPECT_EQ(d.fields()[0].form.name + d.fields()[1].form.name, "Gap_1Gap_3");
  // Two neighbouring fields and an empty one keep their own text.
  d.insertField(1, "QUOTE", QString());
  RichDocument back;
  back.readRtf(d.toRtf());
  QStringList results;
  for (const Field& f : back.fields()) results << f.result.text();
  EXPECT_EQ(results, QStringList({"1", "", "3"}));
  EXPECT_EQ(back.body()->toPlainText(), d.body()->toPlainText());
  d.setVariable("SUSER", "?");
  d.setVariable("suser", "jonas");
  ASSERT_EQ(d.variables().size(), 1);
  EXPECT_EQ(d.variables()[0].name, "SUSER");
  EXPECT_EQ(d.variable("SuSeR").value_or(QString()), "jonas");
}

// ---- Damaged and hostile RTF: the reader must neither crash nor hang and
// must keep what it can read.

TEST(RtfHostile, DamagedInputKeepsWhatCanBeRead) {
  RichDocument d;
  EXPECT_FALSE(d.readRtf(QByteArray()) || d.readRtf("Hallo"));
  EXPECT_TRUE(d.body()->isEmpty());
  QTextDocument doc;
  doc.setPlainText("alt");
  EXPECT_FALSE(rtf::read("{\\rt", doc));
  EXPECT_TRUE(doc.isEmpty());
  const QByteArray deep = "{\\rtf1 vor" + QByteArray(100000, '{') + "tief" + QByteArray(100000, '}') + "nach}";
  const struct {
    QByteArray rtf;
    QString text;
  } cases[] = {
      // Unbalanced and truncated.
      {"{\\rtf1 Hallo {\\b Welt", "Hallo Welt"}, {"{\\rtf1 Hallo}} Rest}}}", "Hallo"}, {"{\\rtf1 A\\", "A"},
      {"{\\rtf1 A\\'", "A"}, {"{\\rtf1 A\\'4", "A"}, {"{\\rtf1 A\\u", QString("A") + QChar(0)},
      {"{\\rtf1 {\\*\\docvar {x}{y", ""}, {"{\\rtf1 x{\\field{\\*\\fldinst FORMTEXT}{\\fldrslt abc", "xabc"},
      // Deep nesting is cut.
      {deep, "vornach"},
      // Binary runs, NUL bytes and pictures are skipped.
      {"{\\rtf1 a{\\*\\blip\\bin6 }}{{\\}}b}", "ab"}, {"{\\rtf1 a\\bin2 xyb}", "ab"},
      {"{\\rtf1 a\\bin999999999 xyb}", "a"}, {"{\\rtf1 a\\bin-5 b}", "ab"}, {QByteArray("{\\rtf1 a\0b}", 11), "ab"},
      {"{\\rtf1 vor{\\pict\\pngblip 89504e47{\\*\\x}0d0a}nach {\\*\\shppict{\\pict 00}}{\\nonshppict{\\pict 0}}Ende}",
       "vornach Ende"}};
  for (const auto& c : cases) EXPECT_EQ(readText(c.rtf), c.text) << c.rtf.left(80).constData();
  d.readRtf("{\\rtf1 x{\\field{\\*\\fldinst FORMTEXT}{\\fldrslt abc");
  ASSERT_EQ(d.fields().size(), 1);
  EXPECT_EQ(d.fields()[0].result.text(), "abc");
  // A table cell inside a field result: the field's text stays readable.
  for (const char* rtf : {"{\\rtf\\field\\fldrslt\\cell", "{\\rtf1 x{\\field{\\fldrslt a\\cell b\\row}}y}"}) {
    d.readRtf(rtf);
    for (const Field& f : d.fields()) EXPECT_FALSE(f.result.text().contains(QLatin1Char('x'))) << rtf;
  }
  // LibreOffice's text field: no \ffname, its name from the bookmarks beside it.
  d.readRtf("{\\rtf1 a{\\*\\bkmkstart Gap_1}{\\*\\bkmkend Gap_1}{\\field{\\*\\fldinst { FORMTEXT }}{\\fldrslt xy}}"
            "{\\*\\bkmkstart Gap_1}{\\*\\bkmkend Gap_1}b{\\*\\bkmkstart Kopf}{\\*\\bkmkend Kopf}}");
  ASSERT_EQ(d.fields().size(), 1);
  EXPECT_EQ(std::tuple(d.fields()[0].form.name, d.bookmarks().size()), std::tuple(QString("Gap_1"), 1));
  EXPECT_TRUE(d.toRtf().contains("{\\*\\ffname Gap_1}"));
  // A field at the start of a table paragraph is read into its cell.
  d.readRtf("{\\rtf1\\trowd\\cellx2000\\pard\\intbl {\\field{\\*\\fldinst FORMTEXT}{\\fldrslt abc}}\\cell\\row}");
  ASSERT_EQ(d.fields().size(), 1);
  EXPECT_NE(d.fields()[0].result.cursor().currentTable(), nullptr);
  d.readRtf("{\\rtf1 a{\\*\\bkmkstart open}b");  // never closed: no bookmark
  EXPECT_TRUE(d.bookmarks().isEmpty());
  EXPECT_TRUE(readText("{\\rtf1 a" + QByteArray(500000, '{') + "b").startsWith(QLatin1Char('a')));
  // Enormous numbers.
  const QString t = readText(
      "{\\rtf1\\fs99999999999999999999\\uc99999999 a{\\u99999999999999 b}\\li-999999999999\\sl-2147483648 "
      "\\cellx999999999999\\f-5\\cf999999999 c\\u-99999999 d}");
  EXPECT_TRUE(t.startsWith(QLatin1Char('a')) && t.contains(QLatin1Char('c'))) << t.toStdString();
  d.readRtf("{\\rtf1\\paperw99999999999\\margl-5 x}");
  EXPECT_TRUE(d.page().paperWidth <= 1'000'000 && d.page().marginLeft >= 0);
  // Megabytes of text.
  QByteArray big = "{\\rtf1\\ansi ";
  for (int i = 0; i < 40000; ++i) big += "Zeile mit \\'fc und {\\b fett} \\par\n";
  ASSERT_GT(big.size(), 1'000'000);
  EXPECT_EQ(readText(big + "}").count(QLatin1Char('\n')), 39999);
}
