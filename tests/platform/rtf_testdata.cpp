#include "rtf_testdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCursor>
#include <QTextTable>

#include "common/testutil.h"
#include "platform/richeditor.h"

namespace qvtest {

QList<StoredRichText> sampleRichTexts() {
  QList<StoredRichText> out;
  const QJsonObject root = QJsonDocument::fromJson(readFile(fixture(QStringLiteral("klassenfahrt.json")))).object();
  auto add = [&](const QString& label, const QJsonObject& o, const QString& plain) {
    if (o.isEmpty()) return;
    StoredRichText s;
    s.label = label;
    s.header = QByteArray::fromHex(o[QStringLiteral("header_hex")].toString().toLatin1());
    s.rtf = o[QStringLiteral("rtf")].toString().toLatin1();
    s.plainText = plain;
    const QJsonArray m = o[QStringLiteral("margins")].toArray();
    for (int i = 0; i < 4; ++i) s.margins[i] = m.at(i).toInt();
    out.append(s);
  };
  for (const QJsonValue& v : root[QStringLiteral("Arbeitsblatt")].toArray()) {
    const QJsonObject a = v.toObject();
    const QString id = QString::number(a[QStringLiteral("ID")].toInt());
    add(QStringLiteral("Arbeitsblatt ") + id, a[QStringLiteral("ArbeitsblattRTF")].toObject(), QString());
    add(QStringLiteral("Kontrollblatt ") + id, a[QStringLiteral("KontrollblattRTF")].toObject(), QString());
  }
  for (const QJsonValue& v : root[QStringLiteral("Text")].toArray()) {
    const QJsonObject t = v.toObject();
    add(QStringLiteral("Text ") + QString::number(t[QStringLiteral("ID")].toInt()), t[QStringLiteral("TextRTF")].toObject(),
        t[QStringLiteral("TextTXT")].toString());
  }
  return out;
}

void buildFullDocument(qv::RichDocument& doc) {
  using namespace qv;
  doc.clear();
  QTextDocument* body = doc.body();
  QTextCursor c(body);
  QTextCharFormat title;
  title.setFontWeight(QFont::Bold);
  title.setFontPointSize(16);
  title.setFontFamilies({QStringLiteral("Times New Roman")});
  title.setProperty(kHeadMarkerProperty, 207);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  c.setBlockFormat(centred);
  c.insertText(QStringLiteral("Überschrift „Mühlsee“ €"), title);
  QTextBlockFormat para;
  para.setLeftMargin(36);
  para.setTextIndent(-18);
  para.setRightMargin(9);
  para.setTopMargin(6);
  para.setBottomMargin(3);
  para.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
  para.setTabPositions({QTextOption::Tab(72, QTextOption::LeftTab), QTextOption::Tab(144, QTextOption::LeftTab)});
  c.insertBlock(para);
  QTextCharFormat plain;
  plain.setFontFamilies({QStringLiteral("Arial")});
  plain.setFontPointSize(12);
  c.insertText(QStringLiteral("Am Montag\t"), plain);
  QTextCharFormat f = plain;
  f.setFontItalic(true);
  f.setFontUnderline(true);
  f.setForeground(QColor(200, 10, 20));
  c.insertText(QStringLiteral("trafen"), f);
  f = plain;
  f.setFontWeight(QFont::Bold);
  f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  c.insertText(QStringLiteral("1)"), f);
  c.insertText(QStringLiteral(" sich{}\\ \u00A0alle"), plain);
  f = plain;
  f.setFontStrikeOut(true);
  f.setBackground(QColor(255, 255, 0));
  c.insertText(QStringLiteral(" Kinder"), f);
  f = plain;
  f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  c.insertText(QStringLiteral("2"), f);
  c.insertText(QString(QChar::LineSeparator) + QStringLiteral("Zeile \u03A9\u4E2D"), plain);
  QTextBlockFormat broken;
  broken.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  broken.setLineHeight(14, QTextBlockFormat::FixedHeight);
  c.insertBlock(broken);
  c.insertText(QStringLiteral("Neue Seite: Haus und "), plain);
  const int formPos = c.position();
  c.insertBlock(QTextBlockFormat());
  c.insertText(QStringLiteral("Ende"), plain);

  FormFieldData ff;
  ff.name = QStringLiteral("Gap_1");
  ff.entryMacro = QStringLiteral("Got_Focus");
  ff.exitMacro = QStringLiteral("Lost_Focus");
  ff.defaultText = QStringLiteral("\u2002\u2002");
  doc.insertField(formPos, QStringLiteral(" FORMTEXT "), QString(3, kEmptyFieldChar), FieldKind::FormText, ff);
  doc.insertField(0, QStringLiteral("MACROBUTTON MarkSingleField Haus "), QStringLiteral("Haus"), FieldKind::MacroButton);
  doc.setBookmark(QStringLiteral("Kopf"), 0, 4);

  doc.setVariable(QStringLiteral("APP"), QStringLiteral("Quillbee-Vodedarivo1.0.8"));
  QString scrambled;
  for (int i = 0; i < 256; ++i) scrambled += QChar(char16_t(i));
  scrambled += QStringLiteral("\u20AC\u0152\u03A9");
  doc.setVariable(QStringLiteral("LSTIH"), scrambled);
  doc.setVariable(QStringLiteral("OUSER"), QString());
  doc.setVariable(QStringLiteral("Klammern {x} \\"), QStringLiteral("CR\r\nLF"));
  doc.info().author = QStringLiteral("Frau Köhler");
  doc.info().title = QStringLiteral("Klassenfahrt");
  doc.protect(ProtectionType::FormFields, QStringLiteral("7991rednefnreL"));
  doc.page() = PageSetup{11906, 16838, 400, 600, 250, 350};
  doc.setTitlePage(true);

  QTextCursor h(doc.header(HeaderKind::FirstHeader));
  QTextTableFormat tf;
  QTextTable* t = h.insertTable(2, 3, tf);
  t->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("Name:"));
  t->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("?"));
  t->cellAt(1, 2).firstCursorPosition().insertText(QStringLiteral("Datum"));
  QTextCursor h2(doc.header(HeaderKind::Header));
  h2.insertText(QStringLiteral("Seitenkopf"));
}

}  // namespace qvtest
