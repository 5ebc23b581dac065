#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

#include "common/testutil.h"
#include "platform/docmodel.h"
#include "platform/richeditor.h"
#include "platform/rtf.h"
#include "rtf_testdata.h"

using namespace qv;

namespace {

QTextCharFormat formatAt(const QTextDocument& d, int pos) {
  QTextCursor c(const_cast<QTextDocument*>(&d));
  c.setPosition(pos + 1);
  return c.charFormat();
}

int find(const QTextDocument& d, const QString& s) { return static_cast<int>(d.toPlainText().indexOf(s)); }

}  // namespace

// ---- The sample workbook's stored rich texts

TEST(RtfSample, EveryStoredRichTextReadsWithItsText) {
  const auto samples = qvtest::sampleRichTexts();
  ASSERT_GE(samples.size(), 10);
  for (const auto& s : samples) {
    QTextDocument d;
    ASSERT_TRUE(rtf::read(s.rtf, d)) << s.label.toStdString();
    EXPECT_FALSE(d.toPlainText().contains(QLatin1Char('\\'))) << s.label.toStdString();
    EXPECT_FALSE(d.toPlainText().contains(QLatin1String("Times New Roman"))) << s.label.toStdString();
    if (!s.plainText.isEmpty()) {
      RichEditor e;
      e.loadBytes(s.rtf);
      if (s.label == QLatin1String("Text 1")) {
        EXPECT_EQ(e.text(), s.plainText);
      }
    }
  }
}

TEST(RtfSample, WorksheetKeepsBoldTitleAndUmlauts) {
  const auto samples = qvtest::sampleRichTexts();
  QTextDocument d;
  ASSERT_TRUE(rtf::read(samples[0].rtf, d));
  EXPECT_TRUE(d.toPlainText().startsWith(QStringLiteral("Verben in der Vergangenheit\n")));
  EXPECT_TRUE(d.toPlainText().contains(QStringLiteral("Mühlsee")));
  EXPECT_TRUE(d.toPlainText().contains(QStringLiteral("„Da vorne glitzert er!“")));
  const QTextCharFormat t = formatAt(d, 0);
  EXPECT_EQ(t.fontWeight(), QFont::Bold);
  EXPECT_EQ(t.fontPointSize(), 16);
  EXPECT_EQ(t.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
  const QTextCharFormat i = formatAt(d, find(d, QStringLiteral("Setze")));
  EXPECT_TRUE(i.fontItalic());
  EXPECT_NE(i.fontWeight(), QFont::Bold);
  EXPECT_EQ(i.fontPointSize(), 12);
}

TEST(RtfSample, SampleSurvivesOurWriter) {
  for (const auto& s : qvtest::sampleRichTexts()) {
    QTextDocument a, b;
    rtf::read(s.rtf, a);
    rtf::read(rtf::write(a), b);
    EXPECT_EQ(a.toPlainText(), b.toPlainText()) << s.label.toStdString();
    EXPECT_EQ(rtf::write(a).toStdString(), rtf::write(b).toStdString()) << s.label.toStdString();
  }
}

// ---- Round trip of everything the codec knows

TEST(RtfRoundTrip, WritingWhatWasReadGivesTheSameBytes) {
  RichDocument doc;
  qvtest::buildFullDocument(doc);
  const QByteArray first = doc.toRtf();
  RichDocument again;
  ASSERT_TRUE(again.readRtf(first));
  EXPECT_EQ(again.body()->toPlainText().toStdString(), doc.body()->toPlainText().toStdString());
  EXPECT_EQ(again.toRtf().toStdString(), first.toStdString());
}

TEST(RtfRoundTrip, ATemplateKeepsItsStylesHeaderTablesAndFields) {
  RichDocument t;
  ASSERT_TRUE(t.readRtf(qvtest::readFile(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"))));
  const QByteArray out = t.toRtf();
  for (const char* part :
       {"\\deflang1031", "{\\stylesheet{\\s0\\ql\\sl360\\slmult1\\f0\\fs24\\lang1031 Normal;}",
        "{\\f1\\fnil Times New Roman;}", "\\red170\\green85\\blue0;", "{\\subject L\\'fcckentext}", "\\formshade",
        "\\titlepg\\headery567\\footery567",
        "{\\headerf \\trowd\\trgaph70\\trleft0\\clbrdrb\\brdrs\\brdrw10\\cellx2268\\clbrdrb\\brdrs\\brdrw10\\cellx7371"
        "\\clbrdrb\\brdrs\\brdrw10\\cellx9638",
        "\\pard\\intbl\\s2 \\plain\\f0\\fs20 \\cell", "Seite {\\field{\\*\\fldinst PAGE}{\\fldrslt {\\plain\\f0\\fs18 1}}}"})
    EXPECT_TRUE(out.contains(part)) << part << "\n" << out.toStdString();
  RichDocument again;
  ASSERT_TRUE(again.readRtf(out));
  EXPECT_EQ(again.toRtf().toStdString(), out.toStdString());
}

TEST(RtfRoundTrip, CharacterAndParagraphFormats) {
  RichDocument src;
  qvtest::buildFullDocument(src);
  RichDocument doc;
  ASSERT_TRUE(doc.readRtf(src.toRtf()));
  const QTextDocument& d = *doc.body();
  const QTextCharFormat title = formatAt(d, find(d, QStringLiteral("Überschrift")));
  EXPECT_EQ(title.fontWeight(), QFont::Bold);
  EXPECT_EQ(title.fontPointSize(), 16);
  EXPECT_EQ(title.fontFamilies().toStringList().value(0), QStringLiteral("Times New Roman"));
  EXPECT_EQ(title.intProperty(kHeadMarkerProperty), 207);
  EXPECT_EQ(d.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  const QTextCharFormat it = formatAt(d, find(d, QStringLiteral("trafen")));
  EXPECT_TRUE(it.fontItalic());
  EXPECT_TRUE(it.fontUnderline());
  EXPECT_EQ(it.foreground().color(), QColor(200, 10, 20));
  EXPECT_EQ(it.intProperty(kHeadMarkerProperty), 0);
  EXPECT_EQ(formatAt(d, find(d, QStringLiteral("1)"))).verticalAlignment(), QTextCharFormat::AlignSuperScript);
  const QTextCharFormat strike = formatAt(d, find(d, QStringLiteral("Kinder")));
  EXPECT_TRUE(strike.fontStrikeOut());
  EXPECT_EQ(strike.background().color(), QColor(255, 255, 0));
  EXPECT_EQ(formatAt(d, find(d, QStringLiteral("Kinder")) + 6).verticalAlignment(), QTextCharFormat::AlignSubScript);
  EXPECT_TRUE(d.toRawText().contains(QStringLiteral("sich{}\\ \u00A0alle")));
  EXPECT_TRUE(d.toRawText().contains(QStringLiteral("\u2028Zeile \u03A9\u4E2D")));
  const QTextBlockFormat p = d.findBlock(find(d, QStringLiteral("Am Montag"))).blockFormat();
  EXPECT_EQ(p.leftMargin(), 36);
  EXPECT_EQ(p.textIndent(), -18);
  EXPECT_EQ(p.rightMargin(), 9);
  EXPECT_EQ(p.topMargin(), 6);
  EXPECT_EQ(p.bottomMargin(), 3);
  EXPECT_EQ(p.lineHeightType(), QTextBlockFormat::ProportionalHeight);
  EXPECT_EQ(p.lineHeight(), 150);
  ASSERT_EQ(p.tabPositions().size(), 2);
  EXPECT_EQ(p.tabPositions()[1].position, 144);
  const QTextBlockFormat br = d.findBlock(find(d, QStringLiteral("Neue Seite"))).blockFormat();
  EXPECT_TRUE(br.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
  EXPECT_EQ(br.lineHeightType(), QTextBlockFormat::FixedHeight);
  EXPECT_TRUE(d.toPlainText().endsWith(QStringLiteral("\nEnde")));
}

TEST(RtfRoundTrip, SideData) {
  RichDocument src;
  qvtest::buildFullDocument(src);
  RichDocument doc;
  ASSERT_TRUE(doc.readRtf(src.toRtf()));
  ASSERT_EQ(doc.variables().size(), src.variables().size());
  for (qsizetype i = 0; i < src.variables().size(); ++i) {
    EXPECT_EQ(doc.variables()[i].name, src.variables()[i].name);
    EXPECT_EQ(doc.variables()[i].value, src.variables()[i].value) << i;
  }
  // Control characters of values are written as \uN?: word processors take
  // \'hh ones for paragraph marks of the text.
  EXPECT_TRUE(src.toRtf().contains("CR\\u13?\\u10?LF"));
  EXPECT_FALSE(src.toRtf().contains("\\'0d"));
  EXPECT_EQ(doc.variable(QStringLiteral("app")).value_or(QString()), QStringLiteral("Quillbee-Vodedarivo1.0.8"));
  EXPECT_TRUE(doc.variable(QStringLiteral("OUSER")).has_value());
  EXPECT_EQ(doc.info().author, QStringLiteral("Frau Köhler"));
  EXPECT_EQ(doc.info().title, QStringLiteral("Klassenfahrt"));
  EXPECT_EQ(doc.protection().type, ProtectionType::FormFields);
  EXPECT_FALSE(doc.unprotect(QStringLiteral("falsch")));
  EXPECT_TRUE(doc.unprotect(QStringLiteral("7991rednefnreL")));
  EXPECT_EQ(src.page().marginLeft, doc.page().marginLeft);
  EXPECT_EQ(doc.page().marginBottom, 350);
  EXPECT_EQ(doc.page().paperHeight, 16838);
  EXPECT_TRUE(doc.titlePage());

  ASSERT_EQ(doc.fields().size(), 2);
  const Field& mb = doc.fields()[0];
  EXPECT_EQ(mb.kind, FieldKind::MacroButton);
  EXPECT_EQ(mb.macroName(), QStringLiteral("MarkSingleField"));
  EXPECT_EQ(mb.result.text(), QStringLiteral("Haus"));
  EXPECT_EQ(mb.result.start(), 0);
  Field* gap = doc.formField(QStringLiteral("Gap_1"));
  ASSERT_NE(gap, nullptr);
  EXPECT_EQ(gap->type(), QStringLiteral("FORMTEXT"));
  EXPECT_EQ(gap->form.entryMacro, QStringLiteral("Got_Focus"));
  EXPECT_EQ(gap->form.exitMacro, QStringLiteral("Lost_Focus"));
  EXPECT_EQ(gap->form.defaultText, QStringLiteral("\u2002\u2002"));
  EXPECT_EQ(gap->result.text(), QString(3, kEmptyFieldChar));
  EXPECT_EQ(gap->result.start(), src.formField(QStringLiteral("Gap_1"))->result.start());

  Bookmark* kopf = doc.bookmark(QStringLiteral("KOPF"));
  ASSERT_NE(kopf, nullptr);
  EXPECT_EQ(kopf->range.start(), 0);
  EXPECT_EQ(kopf->range.end(), 4);

  EXPECT_EQ(doc.headerCellText(HeaderKind::FirstHeader, 1, 1).value_or(QString()), QStringLiteral("Name:"));
  EXPECT_EQ(doc.headerCellText(HeaderKind::FirstHeader, 1, 2).value_or(QString()), QStringLiteral("?"));
  EXPECT_EQ(doc.headerCellText(HeaderKind::FirstHeader, 2, 3).value_or(QString()), QStringLiteral("Datum"));
  EXPECT_FALSE(doc.headerCellText(HeaderKind::FirstHeader, 3, 1).has_value());
  EXPECT_FALSE(doc.headerCellText(HeaderKind::Footer, 1, 1).has_value());
  ASSERT_NE(doc.existingHeader(HeaderKind::Header), nullptr);
  EXPECT_EQ(doc.existingHeader(HeaderKind::Header)->toPlainText(), QStringLiteral("Seitenkopf"));
  // The body holds no header text.
  EXPECT_FALSE(doc.body()->toPlainText().contains(QStringLiteral("Seitenkopf")));
}

TEST(RtfRoundTrip, RaisedTextSitsInItsOwnGroupsAroundFields) {
  // Word processors hold back text after \super until its group closes, so
  // raised text is written grouped, and a field inside it splits the group.
  RichDocument d;
  QTextCursor c(d.body());
  c.insertText(QStringLiteral("Fu"));
  QTextCharFormat sup;
  sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  c.insertText(QStringLiteral("note12"), sup);
  c.insertText(QStringLiteral(" Ende"), QTextCharFormat());
  d.insertField(6, QStringLiteral(" FORMTEXT "), QStringLiteral("__"), FieldKind::FormText,
                FormFieldData{QStringLiteral("Gap_1"), {}, {}, {}, 0});
  const QByteArray bytes = d.toRtf();
  EXPECT_TRUE(bytes.contains("{\\plain\\f0\\fs24\\super note}")) << bytes.constData();
  RichDocument back;
  ASSERT_TRUE(back.readRtf(bytes));
  EXPECT_EQ(back.body()->toPlainText(), QStringLiteral("Funote__12 Ende"));
  ASSERT_NE(back.formField(QStringLiteral("Gap_1")), nullptr);
  EXPECT_EQ(back.formField(QStringLiteral("Gap_1"))->result.text(), QStringLiteral("__"));
  EXPECT_EQ(formatAt(*back.body(), find(*back.body(), QStringLiteral("12"))).verticalAlignment(),
            QTextCharFormat::AlignSuperScript);
  EXPECT_NE(formatAt(*back.body(), find(*back.body(), QStringLiteral("Ende"))).verticalAlignment(),
            QTextCharFormat::AlignSuperScript);
}

TEST(RtfRoundTrip, CharactersOutsideTheCodePageAsSignedUnicode) {
  QTextDocument d;
  QTextCursor(&d).insertText(QStringLiteral("a\uFB01\u4E2D\u20AC\u00E4{\\}\uFFFD\u0081b"));
  const QByteArray bytes = rtf::write(d);
  EXPECT_TRUE(bytes.contains("a\\u-1279?\\u20013?\\'80\\'e4\\{\\\\\\}\\u-3?")) << bytes.constData();
  QTextDocument back;
  ASSERT_TRUE(rtf::read(bytes, back));
  EXPECT_EQ(back.toPlainText(), d.toPlainText());
}

TEST(RtfRoundTrip, PupilNameInTheHeaderCellSurvives) {
  RichDocument src;
  qvtest::buildFullDocument(src);
  ASSERT_TRUE(src.setHeaderCellText(HeaderKind::FirstHeader, 1, 2, QStringLiteral("Jonas Müller")));
  EXPECT_FALSE(src.setHeaderCellText(HeaderKind::FirstFooter, 1, 2, QStringLiteral("x")));
  RichDocument doc;
  doc.readRtf(src.toRtf());
  EXPECT_EQ(doc.headerCellText(HeaderKind::FirstHeader, 1, 2).value_or(QString()), QStringLiteral("Jonas Müller"));
}

TEST(RtfRoundTrip, TableInTheBody) {
  QTextDocument d;
  QTextCursor c(&d);
  c.insertText(QStringLiteral("vor"));
  c.insertBlock();
  QTextTable* t = c.insertTable(2, 2);
  t->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("a"));
  t->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("d"));
  c.movePosition(QTextCursor::End);
  c.insertText(QStringLiteral("nach"));
  QTextDocument back;
  rtf::read(rtf::write(d), back);
  QTextCursor f(&back);
  f.setPosition(find(back, QStringLiteral("d")));
  QTextTable* bt = f.currentTable();
  ASSERT_NE(bt, nullptr);
  EXPECT_EQ(bt->rows(), 2);
  EXPECT_EQ(bt->columns(), 2);
  EXPECT_TRUE(back.toPlainText().startsWith(QStringLiteral("vor")));
  EXPECT_TRUE(back.toPlainText().endsWith(QStringLiteral("nach")));
  EXPECT_EQ(rtf::write(back), rtf::write(d));
}

TEST(RtfRoundTrip, EmptyParagraphsAndDocumentEnd) {
  for (const QString& text : {QString(), QStringLiteral("\n"), QStringLiteral("A\n"), QStringLiteral("\n\nA\n\n")}) {
    QTextDocument d, back;
    d.setPlainText(text);
    rtf::read(rtf::write(d), back);
    EXPECT_EQ(back.toPlainText(), text) << text.toStdString();
  }
}

TEST(RtfRoundTrip, RangeOfADocumentIsADocumentOfItsOwn) {
  QTextDocument d;
  QTextCursor c(&d);
  QTextCharFormat head;
  head.setProperty(kHeadMarkerProperty, 175);
  head.setFontWeight(QFont::Bold);
  c.insertText(QStringLiteral("Kopf"), head);
  c.insertBlock();
  c.insertText(QStringLiteral("Text"), QTextCharFormat());
  const QByteArray part = rtf::writeRange(d, 0, 5);
  EXPECT_TRUE(part.contains("\\cs175"));
  EXPECT_TRUE(part.contains("{\\*\\cs175 "));  // declared in the style sheet
  QTextDocument back;
  rtf::read(part, back);
  // The paragraph end is written as \par, which ends the last paragraph.
  EXPECT_TRUE(part.contains("Kopf\\par"));
  EXPECT_EQ(back.toPlainText(), QStringLiteral("Kopf"));
  EXPECT_EQ(formatAt(back, 0).intProperty(kHeadMarkerProperty), 175);
  rtf::read(rtf::writeRange(d, 1, 3), back);
  EXPECT_EQ(back.toPlainText(), QStringLiteral("op"));
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
  EXPECT_EQ(d.body()->toPlainText(), QStringLiteral("Das Haus \u2007\u2007 ist 1 alt."));
  EXPECT_EQ(d.info().title, QStringLiteral("Probe"));
  EXPECT_EQ(d.info().author, QStringLiteral("Herr Brückner"));
  EXPECT_EQ(d.variable(QStringLiteral("txt")).value_or(QString()), QStringLiteral("zwei\rZeilen"));
  EXPECT_EQ(d.variable(QStringLiteral("ALT")).value_or(QString()), QStringLiteral("a\r\n\ab"));
  EXPECT_EQ(d.protection().type, ProtectionType::FormFields);
  EXPECT_TRUE(d.protection().passwordHash.isEmpty());
  EXPECT_EQ(d.page().paperWidth, 12240);
  EXPECT_EQ(d.page().marginLeft, 1000);
  EXPECT_TRUE(d.titlePage());
  ASSERT_NE(d.existingHeader(HeaderKind::FirstHeader), nullptr);
  EXPECT_EQ(d.existingHeader(HeaderKind::FirstHeader)->toPlainText(), QStringLiteral("Kopf"));
  ASSERT_EQ(d.bookmarks().size(), 1);
  EXPECT_EQ(d.bookmarks()[0].range.text(), QStringLiteral("Haus"));
  ASSERT_EQ(d.fields().size(), 2);
  const Field* gap = d.formField(QStringLiteral("Gap_7"));
  ASSERT_NE(gap, nullptr);
  EXPECT_EQ(gap->form.maxLength, 20);
  EXPECT_EQ(gap->form.defaultText, QStringLiteral("\u2002"));
  // The en spaces of an empty field are read as the blanks the layout
  // keeps whole.
  EXPECT_EQ(gap->result.text(), QString(2, kEmptyFieldChar));
  EXPECT_EQ(d.fields()[1].type(), QStringLiteral("PAGE"));
  EXPECT_EQ(d.fields()[1].result.text(), QStringLiteral("1"));
}

TEST(RtfForeign, UnicodeSkipCountsAndSymbols) {
  QTextDocument d;
  rtf::read("{\\rtf1\\uc2 a\\u8364\\'80\\'80b\\uc0\\u-4064 c\\uc1\\u252?\\~\\_\\emdash\\{x\\}\\'e4\\'zz}", d);
  EXPECT_EQ(d.toRawText(), QStringLiteral("a\u20ACb\uF020c\u00FC\u00A0\u2011\u2014{x}\u00E4zz"));
}

// ---- The document model

TEST(DocModel, RangesFollowEditsAroundThem) {
  RichDocument d;
  QTextCursor c(d.body());
  c.insertText(QStringLiteral("Am Montag trafen sich alle."));
  const int f = d.insertField(10, QStringLiteral(" FORMTEXT "), QStringLiteral("____"), FieldKind::FormText);
  d.setBookmark(QStringLiteral("Kopf"), 0, 2);
  Field& field = d.fields()[f];
  EXPECT_EQ(field.result.text(), QStringLiteral("____"));
  c.setPosition(0);
  c.insertText(QStringLiteral("Heute: "));  // before both
  EXPECT_EQ(field.result.start(), 17);
  EXPECT_EQ(field.result.text(), QStringLiteral("____"));
  EXPECT_EQ(d.bookmark(QStringLiteral("kopf"))->range.text(), QStringLiteral("Am"));
  c.setPosition(field.result.start());
  c.insertText(QStringLiteral("X"));  // at the start: lands before the field
  EXPECT_EQ(field.result.text(), QStringLiteral("____"));
  c.setPosition(field.result.end() + 1);
  c.insertText(QStringLiteral("Y"));
  EXPECT_EQ(field.result.text(), QStringLiteral("____"));
  c.setPosition(3);
  c.setPosition(9, QTextCursor::KeepAnchor);
  c.removeSelectedText();  // deletion before the field
  EXPECT_EQ(field.result.text(), QStringLiteral("____"));
  field.result.setText(QStringLiteral("trafen"));
  EXPECT_EQ(field.result.text(), QStringLiteral("trafen"));
  EXPECT_TRUE(d.body()->toPlainText().contains(QStringLiteral("Xtrafen")));
  RichDocument back;
  back.readRtf(d.toRtf());
  ASSERT_EQ(back.fields().size(), 1);
  EXPECT_EQ(back.fields()[0].result.text(), QStringLiteral("trafen"));
}

TEST(DocModel, FieldsStayInBodyOrder) {
  RichDocument d;
  QTextCursor(d.body()).insertText(QStringLiteral("eins zwei drei"));
  d.insertField(14, QStringLiteral(" FORMTEXT "), QStringLiteral("3"), FieldKind::FormText, FormFieldData{QStringLiteral("Gap_3"), {}, {}, {}, 0});
  d.insertField(0, QStringLiteral(" FORMTEXT "), QStringLiteral("1"), FieldKind::FormText, FormFieldData{QStringLiteral("Gap_1"), {}, {}, {}, 0});
  EXPECT_EQ(d.fields()[0].form.name, QStringLiteral("Gap_1"));
  EXPECT_EQ(d.fields()[1].form.name, QStringLiteral("Gap_3"));
  // Two neighbouring fields and an empty one keep their own text.
  d.insertField(1, QStringLiteral("QUOTE"), QString());
  RichDocument back;
  back.readRtf(d.toRtf());
  ASSERT_EQ(back.fields().size(), 3);
  EXPECT_EQ(back.fields()[0].result.text(), QStringLiteral("1"));
  EXPECT_EQ(back.fields()[1].result.text(), QString());
  EXPECT_EQ(back.fields()[2].result.text(), QStringLiteral("3"));
  EXPECT_EQ(back.body()->toPlainText(), d.body()->toPlainText());
}

TEST(DocModel, VariablesAreMatchedWithoutCase) {
  RichDocument d;
  d.setVariable(QStringLiteral("SUSER"), QStringLiteral("?"));
  d.setVariable(QStringLiteral("suser"), QStringLiteral("jonas"));
  ASSERT_EQ(d.variables().size(), 1);
  EXPECT_EQ(d.variables()[0].name, QStringLiteral("SUSER"));
  EXPECT_EQ(d.variable(QStringLiteral("SuSeR")).value_or(QString()), QStringLiteral("jonas"));
  EXPECT_FALSE(d.variable(QStringLiteral("APP")).has_value());
  EXPECT_TRUE(d.removeVariable(QStringLiteral("Suser")));
  EXPECT_TRUE(d.variables().isEmpty());
}

TEST(DocModel, PasswordIsNeverWrittenInClear) {
  RichDocument d;
  d.protect(ProtectionType::FormFields, QStringLiteral("7991rednefnreL"));
  const QByteArray out = d.toRtf();
  EXPECT_FALSE(out.contains("7991rednefnreL"));
  EXPECT_TRUE(out.contains("\\formprot"));
  EXPECT_TRUE(out.contains("{\\*\\qvprotpw "));
  EXPECT_EQ(RichDocument::hashPassword(QStringLiteral("a")), RichDocument::hashPassword(QStringLiteral("a")));
  EXPECT_NE(RichDocument::hashPassword(QStringLiteral("a")), RichDocument::hashPassword(QStringLiteral("b")));
}

TEST(RtfRoundTrip, BottomRuleAndNoProofing) {
  RichDocument src;
  QTextCursor c(src.body());
  c.insertText(QStringLiteral("Hund, Katze"));
  QTextBlockFormat rule;
  rule.setProperty(kBottomBorderStyleProperty, 1);
  rule.setProperty(kBottomBorderWidthProperty, 4);
  rule.setProperty(kBottomBorderColorProperty, 0);
  rule.setProperty(kBottomBorderDistanceProperty, 1.0);
  c.mergeBlockFormat(rule);
  c.insertBlock(QTextBlockFormat());
  QTextCharFormat noProof;
  noProof.setProperty(kNoProofingProperty, true);
  c.insertText(QStringLiteral("Lücke"), noProof);
  c.insertText(QStringLiteral(" geprüft"), QTextCharFormat());
  const QByteArray rtf = src.toRtf();
  EXPECT_TRUE(rtf.contains("\\brdrb\\brdrs\\brdrw10\\brsp20")) << rtf.constData();

  RichDocument doc;
  ASSERT_TRUE(doc.readRtf(rtf));
  const QTextBlock first = doc.body()->firstBlock();
  EXPECT_EQ(first.blockFormat().intProperty(kBottomBorderStyleProperty), 1);
  EXPECT_EQ(first.blockFormat().intProperty(kBottomBorderWidthProperty), 4);
  EXPECT_EQ(first.blockFormat().doubleProperty(kBottomBorderDistanceProperty), 1.0);
  EXPECT_FALSE(first.next().blockFormat().hasProperty(kBottomBorderStyleProperty));
  EXPECT_TRUE(formatAt(*doc.body(), find(*doc.body(), QStringLiteral("Lücke"))).boolProperty(kNoProofingProperty));
  EXPECT_FALSE(formatAt(*doc.body(), find(*doc.body(), QStringLiteral("geprüft"))).hasProperty(kNoProofingProperty));
  // Rules of the other sides are not taken for the bottom one.
  RichDocument other;
  ASSERT_TRUE(other.readRtf("{\\rtf1\\pard\\brdrt\\brdrs\\brdrw10 Oben\\par}"));
  EXPECT_FALSE(other.body()->firstBlock().blockFormat().hasProperty(kBottomBorderStyleProperty));
}
