#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <quazip.h>
#include <quazipfile.h>

#include "cli/cli.h"
#include "common/testutil.h"
#include "export/h5ppaket.h"
#include "export/moodlexml.h"
#include "word/ausgabeoptionen.h"

using qvtest::u8;

namespace {

// What a platform reads out of an export: per paragraph the visible text
// with each gap filled by its first answer, and every gap's answers.
struct Gelesen { QStringList absaetze; QList<QStringList> luecken; };

QString entities(QString s) {
  static const QRegularExpression re(QStringLiteral("&(#[0-9]+|amp|lt|gt|quot);"));
  QString out;
  qsizetype von = 0;
  for (auto it = re.globalMatch(s); it.hasNext();) {
    const auto m = it.next();
    const QString n = m.captured(1);
    out += s.mid(von, m.capturedStart() - von);
    out += n == "amp" ? "&" : n == "lt" ? "<" : n == "gt" ? ">" : n == "quot" ? "\"" : QString(QChar(n.mid(1).toInt()));
    von = m.capturedEnd();
  }
  return out + s.mid(von);
}

QStringList absaetzeVon(const QString& html) {
  QStringList out;
  static const QRegularExpression p(QStringLiteral("<p>(.*?)</p>"), QRegularExpression::DotMatchesEverythingOption);
  for (auto it = p.globalMatch(html); it.hasNext();) out << it.next().captured(1);
  return out;
}

// A cloze gap read twice. First with the platform's own pattern (an answer
// ends before "~", "#" or "}" unless "\", "&" or "&amp;" stands before it;
// references decoded, then "\}" and "\#" unescaped; "\*" is a literal "*"),
// then strictly (a backslash takes the next character, "#" starts a
// feedback). Both must agree. Returns the gap's length.
qsizetype leseCloze(const QString& s, qsizetype at, QStringList& antworten) {
  static const QString alt = R"((=|%(-?[0-9]+)%)?(.+?(?<!\\|&|&amp;)(?=[~#}]|$))(#(.*?(?<!\\)(?=[~}]|$)))?)";
  static const QRegularExpression luecke("\\{1:SHORTANSWER_C:(" + alt + "(~" + alt + ")*)\\}",
                                         QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression eine("~?" + alt, QRegularExpression::DotMatchesEverythingOption);
  const auto m = luecke.match(s, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
  EXPECT_TRUE(m.hasMatch()) << s.mid(at, 80).toStdString();
  QString rest = m.captured(1);
  for (auto a = eine.match(rest); a.hasMatch(); a = eine.match(rest)) {
    EXPECT_EQ(a.captured(1), "=");
    antworten << entities(a.captured(3)).replace("\\}", "}").replace("\\#", "#").replace("\\*", "*").trimmed();
    rest = rest.section(a.captured(0), 1);
  }
  QStringList streng{""};
  qsizetype i = at + 17;  // behind "{1:SHORTANSWER_C:"
  for (; i < s.size() && s[i] != '}'; ++i) {
    if (s[i] == '\\') streng.last() += s.mid(i++, 2);
    else if (s[i] == '~') streng << "";
    else if (s[i] == '#') while (s[i + 1] != '~' && s[i + 1] != '}') ++i;
    else streng.last() += s[i];
  }
  for (QString& a : streng)
    a = entities(a.mid(1)).replace("\\}", "}").replace("\\#", "#").replace("\\*", "*").trimmed();
  EXPECT_EQ(std::pair(antworten, m.capturedLength()), std::pair(streng, i + 1 - at));
  EXPECT_FALSE(m.captured(0).contains("&#"));
  return m.capturedLength();
}

Gelesen leseMoodle(const QString& html, int kopf) {
  Gelesen g;
  for (const QString& p : absaetzeVon(html).mid(kopf)) {
    QString text;
    for (qsizetype i = 0; i < p.size(); ++i) {
      if (p[i] != '{') {
        text += p[i];
        continue;
      }
      QStringList a;
      i += leseCloze(p, i, a) - 1;
      text += QStringLiteral("&#%1;").arg(g.luecken.size() + 0xE000);  // a placeholder until decoded
      g.luecken << a;
    }
    text = entities(text);
    for (qsizetype k = 0; k < g.luecken.size(); ++k) text.replace(QChar(0xE000 + int(k)), g.luecken[k].value(0));
    g.absaetze << text;
  }
  return g;
}

// Blanks: pairs of "*"; inside, the tip after ":" goes, then "/" splits the
// answers; character references are decoded only after that.
Gelesen leseBlanks(const QJsonArray& fragen) {
  Gelesen g;
  for (const QJsonValue& f : fragen)
    for (const QString& p : absaetzeVon(f.toString())) {
      const QStringList teile = p.split('*');
      EXPECT_EQ(teile.size() % 2, 1) << p.toStdString();
      QString text;
      for (qsizetype k = 0; k < teile.size(); ++k) {
        if (k % 2 == 0) {
          text += entities(teile[k]);
          continue;
        }
        QStringList a;
        for (const QString& x : teile[k].section(':', 0, 0).split('/')) a << entities(x).trimmed();
        text += a.value(0);
        g.luecken << a;
      }
      g.absaetze << text;
    }
  return g;
}

struct Moodle { QMap<QString, QString> felder; QStringList kategorien, typen; };  // felder: of the last question

Moodle parseMoodle(const QByteArray& xml) {
  EXPECT_FALSE(QString::fromUtf8(xml).contains(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0B\\x0C\\x0E-\\x1F\\x7F-\\x9F]"))));
  Moodle m;
  QXmlStreamReader r(xml);
  QStringList pfad;
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement()) {
      pfad << r.name().toString();
      if (r.name() == QLatin1String("question")) m.typen << r.attributes().value("type").toString();
    } else if (r.isEndElement()) {
      pfad.removeLast();
    } else if (r.isCharacters() && !r.isWhitespace()) {
      const QString wo = pfad.mid(2).join('/');
      if (wo == "category/text") m.kategorien << r.text().toString();
      m.felder[wo] += r.text().toString();
    }
  }
  EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
  return m;
}

struct Paket { QJsonObject h5p, content; };

Paket parseH5p(const QString& datei) {
  QuaZip zip(datei);
  EXPECT_TRUE(zip.open(QuaZip::mdUnzip));
  QStringList namen = zip.getFileNameList();
  namen.sort();
  EXPECT_EQ(namen, (QStringList{"content/content.json", "h5p.json"}));
  Paket p;
  for (auto [name, ziel] : {std::pair{"h5p.json", &p.h5p}, std::pair{"content/content.json", &p.content}}) {
    zip.setCurrentFile(name);
    QuaZipFile f(&zip);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    EXPECT_FALSE(b.startsWith("\xEF\xBB\xBF"));
    QJsonParseError e;
    *ziel = QJsonDocument::fromJson(b, &e).object();
    EXPECT_EQ(e.error, QJsonParseError::NoError) << name;
  }
  return p;
}

QJsonObject cliJson(const QStringList& args) {
  QString out, err;
  QTextStream o(&out), e(&err);
  EXPECT_EQ(qv::runCli(args, o, e), 0) << err.toStdString();
  return QJsonDocument::fromJson(out.toUtf8()).object();
}

}  // namespace

// Every worksheet of both workbooks in every form it may take, through the
// commands: the gaps in order with their solutions, the visible text equal
// to the workbook's text (with the base forms of form 3 behind the gaps).
TEST(Export, FixtureWorksheetsReadBackInEveryForm) {
  QTemporaryDir dir;
  for (const QString& mappe : {qvtest::fixture("klassenfahrt.qbm"), QStringLiteral(QV_SOURCE_DIR "/data/beispiel.qbm")}) {
    const QJsonObject blaetter = cliJson({"blaetter", mappe});
    const QString text = blaetter["text"].toString();
    const QJsonArray liste = blaetter["arbeitsblaetter"].toArray();
    for (qsizetype n = 1; n <= liste.size(); ++n) {
      const QJsonObject ab = liste[n - 1].toObject();
      const QJsonArray luecken = cliJson({"luecken", mappe, QString::number(n)})["luecken"].toArray();
      const qv::AusgabeOptionen optionen = qv::AusgabeOptionenFuer(ab["uebungstyp"].toInt(), ab["details"].toString());
      for (int form = 1; form <= 4; ++form) {
        if (!optionen.enabled[form - 1]) continue;
        SCOPED_TRACE(QStringLiteral("%1 Blatt %2 Form %3").arg(mappe).arg(n).arg(form).toStdString());
        QString erwartet = text;
        QList<QStringList> antworten;
        for (qsizetype k = luecken.size() - 1; k >= 0; --k) {
          const QJsonObject l = luecken[k].toObject();
          if (form == 3 && ab["uebungstyp"].toInt() < 200)
            erwartet.insert(l["anfang"].toInt() - 1 + l["inhalt"].toString().size(), " (" + l["grundform"].toString() + ")");
          if (!l["loesung"].toString().isEmpty()) antworten.prepend({l["loesung"].toString()});
        }
        erwartet.replace("\r\n", "\n");
        const QString xml = dir.filePath("a.xml"), h5p = dir.filePath("a.h5p");
        const QStringList wahl{"--wortliste", QString::number(form), "-o"};
        cliJson(QStringList{"moodle", mappe, QString::number(n)} + wahl + QStringList{xml});
        cliJson(QStringList{"h5p", mappe, QString::number(n)} + wahl + QStringList{h5p});
        const Moodle m = parseMoodle(qvtest::readFile(xml));
        EXPECT_EQ(m.typen, (QStringList{"category", "cloze"}));
        EXPECT_EQ((QStringList{m.felder["name/text"], m.felder["idnumber"], m.felder["penalty"], m.felder["hidden"]}),
                  (QStringList{ab["caption"].toString(), QString::number(ab["id"].toInt()), "0.3333333", "0"}));
        EXPECT_FALSE(m.felder.contains("defaultgrade"));
        const int kopf = form <= 2 ? 2 : 1;
        const Gelesen gm = leseMoodle(m.felder["questiontext/text"], kopf);
        const Paket p = parseH5p(h5p);
        EXPECT_EQ(absaetzeVon(p.content["text"].toString()).size(), kopf);
        const Gelesen gh = leseBlanks(p.content["questions"].toArray());
        for (const Gelesen& g : {gm, gh}) {
          EXPECT_EQ(g.luecken, antworten);
          EXPECT_EQ(g.absaetze.join('\n'), erwartet);
        }
        // The feedback: the whole text with the solutions.
        const QString loesung = absaetzeVon(m.felder["generalfeedback/text"]).join('\n');
        EXPECT_EQ(entities(QString(loesung).remove("<strong>").remove("</strong>")), erwartet);
      }
    }
  }
  // "alle": every worksheet one question in one file, under the workbook's category.
  cliJson({"moodle", qvtest::fixture("klassenfahrt.qbm"), "alle", "-o", dir.filePath("alle.xml")});
  const Moodle alle = parseMoodle(qvtest::readFile(dir.filePath("alle.xml")));
  EXPECT_EQ(alle.typen, QStringList{"category"} + QStringList(6, "cloze"));
  EXPECT_EQ(alle.kategorien, QStringList{"$course$/top/klassenfahrt"});
}

// Hostile texts and answers: everything comes back exactly, nothing breaks
// the file, and an answer with "~" is refused for Moodle.
TEST(Export, HostileTextsAndAnswersReadBackExactly) {
  const QStringList woerter = {"<script>", "]]>",  "{ }",   "C:\\Temp\\neu", "10:30", "3 * 4", "a/b", "\"quotes\"",
                               u8("„typographic“"), u8("😀"), "x\\", "a&", "=5", "%50", "#1", "it's", "&#42;"};
  qv::ExportBlatt b;
  b.caption = QString(300, QChar(0xFC)) + "/\n";
  b.id = 7;
  b.uebungstyp = 101;
  b.text = u8("Vorn <b>{1:SHORTANSWER:=x}</b> * ]]> \x01\x0b\u0085\x7f&amp;\r\n");
  for (const QString& w : woerter) {
    b.luecken << qvtest::gap(int(b.text.size()) + 1, w, w);
    b.luecken.last().setLoesung(w);
    b.text += w + (b.luecken.size() % 2 ? " und\n" : " ");
  }
  b.alternativen = {{}, {}, {"{x}", "y"}};
  const QString erwartet = QString(b.text).remove(QRegularExpression("[\\x01\\x0b\\x7f\\x85]")).replace("\r\n", "\n");
  const Gelesen gm = leseMoodle(parseMoodle(qv::BaueMoodleXml("Klasse 5/6", {b}).daten).felder["questiontext/text"], 1);
  QTemporaryDir dir;
  const qv::ExportErgebnis h = qv::BaueH5pPaket(b);
  qvtest::writeFile(dir.filePath("h.h5p"), h.daten);
  const Paket p = parseH5p(dir.filePath("h.h5p"));
  for (const Gelesen& g : {gm, leseBlanks(p.content["questions"].toArray())}) {
    EXPECT_EQ(g.absaetze.join('\n'), erwartet);
    ASSERT_EQ(g.luecken.size(), woerter.size());
    for (qsizetype k = 0; k < woerter.size(); ++k) EXPECT_EQ(g.luecken[k].value(0), woerter[k]);
    EXPECT_EQ(g.luecken[2], (QStringList{"{ }", "{x}", "y"}));
    // Straight and typographic marks: every form a tablet types is accepted.
    for (const QString& w : {QString("\"quotes\""), u8("„quotes“"), u8("“quotes”")}) EXPECT_TRUE(g.luecken[7].contains(w));
    for (const QString& w : {QString("it's"), u8("it’s"), u8("itʼs")}) EXPECT_TRUE(g.luecken[15].contains(w));
  }
  EXPECT_EQ(parseMoodle(qv::BaueMoodleXml("Klasse 5/6", {b}).daten).kategorien, QStringList{"$course$/top/Klasse 5//6"});
  EXPECT_EQ(parseMoodle(qv::BaueMoodleXml("", {b}).daten).felder["name/text"].size(), 255);
  // h5p.json: exactly the keys a platform needs, the title at most 255 bytes on one line.
  const QByteArray titel = p.h5p["title"].toString().toUtf8();
  EXPECT_TRUE(titel.size() <= 255 && titel.size() > 250 && !titel.contains('\n'));
  EXPECT_EQ(p.h5p.keys(), (QStringList{"embedTypes", "language", "license", "mainLibrary", "preloadedDependencies", "title"}));
  EXPECT_EQ(QJsonDocument(p.h5p["preloadedDependencies"].toArray()).toJson(QJsonDocument::Compact),
            R"([{"machineName":"H5P.Blanks","majorVersion":1,"minorVersion":14}])");
  const QJsonObject v = p.content["behaviour"].toObject();
  EXPECT_TRUE(v["caseSensitive"].toBool() && v["enableRetry"].toBool() && v["enableSolutionsButton"].toBool());
  EXPECT_TRUE(v["showSolutionsRequiresInput"].toBool() && !v["acceptSpellingErrors"].toBool(1) && !v["autoCheck"].toBool(1));
  EXPECT_EQ(p.content["checkAnswer"].toString(), u8("Überprüfen"));

  // Forty paragraphs make at most 31 blocks, none lost.
  qv::ExportBlatt lang = b;
  lang.text += QString("Zeile\n").repeated(40);
  qvtest::writeFile(dir.filePath("l.h5p"), qv::BaueH5pPaket(lang).daten);
  const Paket pl = parseH5p(dir.filePath("l.h5p"));
  EXPECT_EQ(pl.content["questions"].toArray().size(), 31);
  EXPECT_EQ(leseBlanks(pl.content["questions"].toArray()).absaetze.join('\n'), erwartet + lang.text.right(240));

  // A gap with nothing to write (type 104, the whole word given) stays text;
  // with no gap left nothing is built.
  qv::ExportBlatt teil{"T", 1, "Garten Haus", {qvtest::gap(1, "Garten", "", "Garten_"), qvtest::gap(8, "Haus", "", "Ha_")}, {}, 104};
  teil.luecken[1].setLoesung("us");
  qvtest::writeFile(dir.filePath("t.h5p"), qv::BaueH5pPaket(teil).daten);
  const Gelesen gt = leseBlanks(parseH5p(dir.filePath("t.h5p")).content["questions"].toArray());
  EXPECT_EQ(std::pair(gt.absaetze, gt.luecken), std::pair(QStringList{"Garten Haus"}, QList<QStringList>{{"us"}}));
  teil.luecken.removeLast();
  EXPECT_EQ(qv::BaueMoodleXml("M", {teil}).fehler, qv::exporttexte::keineLuecken());

  b.alternativen = {{}, {}, {}, {"C:~Temp"}};
  const qv::ExportErgebnis tilde = qv::BaueMoodleXml("M", {b});
  EXPECT_TRUE(tilde.daten.isEmpty());
  EXPECT_TRUE(tilde.fehler.contains(u8("4. Lücke")) && tilde.fehler.contains("C:~Temp")) << tilde.fehler.toStdString();
  EXPECT_TRUE(qv::BaueH5pPaket(b).fehler.isEmpty());
}
