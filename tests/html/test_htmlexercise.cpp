#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/umgebung.h"
#include "html/htmlexercise.h"
#include "platform/cp1252.h"
#include "platform/shell.h"
#include "platform/textfile.h"

// Readable failure output.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using namespace qv;
using qvtest::gap;
using qvtest::u8;

namespace {

// A template that shows every placeholder once, marked.
const QString kVorlage = u8("T:[TITEL]|A:[ANLEITUNG]|W:[WORTLISTE]|S:[DETAILS]|X:[ÜBUNGSTEXT]|");

QString field(int n, const char* klasse = "eingabe") {
  return QStringLiteral("<input type=\"text\" class=\"%1\" name=\"T%2\" onFocus=\"this.style.backgroundColor='#ffff00'\""
                        " onBlur=\"CheckInput(this)\">")
      .arg(QLatin1String(klasse))
      .arg(n);
}

HtmlSeite seite(int typ, int wortliste, const QString& text, QList<clsToken> luecken, const QString& pfad = {}) {
  return {text, std::move(luecken), static_cast<int16_t>(typ), static_cast<int16_t>(wortliste), pfad, kVorlage};
}

// The part of the page a placeholder was replaced by.
QString part(const QString& page, const QString& marker) {
  const qsizetype a = page.indexOf(marker + ':');
  if (a < 0) return "<missing>";
  const qsizetype b = page.indexOf('|', a);
  return page.mid(a + marker.size() + 1, b - a - marker.size() - 1);
}

}  // namespace

TEST(HtmlPage, PlaceholdersAreFilledFromTextAndGaps) {
  const QString wl = "<tr><td><p class=\"wortliste\">%1<hr></p></td></tr>";
  const QList<clsToken> zwei = {gap(1, "Birne", "birne"), gap(7, "apfel", ""), gap(13, "Birne", "Banane")};
  const QString birnen = "Birne apfel Birne";
  const HtmlSeite haus = seite(101, 4, "Das Haus ist rot.", {gap(5, "Haus", "Haus")});
  const HtmlSeite teile = seite(301, 4, "Ein Gartenhaus und Haus.", {gap(5, "Gartenhaus", "", "G_ten_aus"), gap(20, "Haus", "", "Haus")});
  const HtmlSeite zeichen = seite(101, 4, "geht's a\\b", {gap(1, "geht's", "\"x\"</script>"), gap(8, "a\\b", "a\\\\p[TITEL]")});
  const HtmlSeite titel = seite(101, 4, "[TITEL] und [DETAILS] a\\\\pb Haus", {gap(29, "Haus", "")},
                                "/home/lehrer/Mappen/Tom & Jerry.qbm");
  // marker: the placeholder's part equals text; none: the page contains text.
  const struct {
    HtmlSeite seite;
    const char* marker;
    QString text;
  } cases[] = {
      {haus, "X", "Das " + field(0) + " ist rot."},
      {haus, "S", "I = new Array();\r\nI[0] = new Array();\r\nI[0][1] = new Array();\r\nI[0][1][0] = new Array();\r\n"
                  "I[0][1][0][0] = 'Haus';\r\nI[0][2] = 'Haus';\r\nI[0][3] = 0;\r\n\r\n"},
      {haus, "W", ""},
      {haus, "T", ""},
      // Gaps at the very start and the very end of the text.
      {seite(102, 4, "Alle Kinder lachen", {gap(1, "Alle", ""), gap(13, "lachen", "")}), "X",
       field(0) + " Kinder " + field(1)},
      // A position beyond the text puts the field at the end; an overlapping
      // gap never cuts into the field before it.
      {seite(101, 4, "ab cd", {gap(1, "ab", ""), gap(2, "b c", ""), gap(40, "x", "")}), "X",
       field(0) + field(1) + "d" + field(2)},
      // Setting 3 below type 200: " (base form)" follows the field; the
      // trailing blank is dropped, so the text goes on right after ")".
      {seite(101, 3, "Er ging heim.", {gap(4, "ging", "gehen")}), "X", "Er " + field(0) + " (gehen) heim."},
      {seite(101, 3, "Er ging.", {gap(4, "ging", "gehen")}), "X", "Er " + field(0) + " (gehen)."},
      // Type 301 is not below 200: no base form; type 103 shows it after the word.
      {seite(301, 3, "Im Garten.", {gap(4, "Garten", "Garten", "Gar_")}), "X",
       "Im <span class=\"one-word\">Gar" + field(0, "eingabe2") + "</span>."},
      {seite(103, 3, "Ein Haus.", {gap(5, "Haus", "Haus", "Ha_")}), "X",
       "Ein <span class=\"one-word\">Ha" + field(0, "eingabe103") + "</span> (Haus)."},
      // Two "_": two identical fields of the same gap; the solution is cut by
      // the parts before the first and between the first and the second "_";
      // a pattern without "_" gives no field and an empty solution.
      {teile, "X", "Ein <span class=\"one-word\">G" + field(0, "eingabe2") + "ten" + field(0, "eingabe2") +
                       "aus</span> und <span class=\"one-word\">Haus</span>."},
      {teile, nullptr, "I[0][1][0][0] = 'artenh';"},
      {teile, nullptr, "I[1][1][0][0] = '';"},
      // Other types use the word itself, whatever the remark says.
      {seite(104, 4, "Garten", {gap(1, "Garten", "", "Gar_")}), nullptr, "I[0][1][0][0] = 'Garten';"},
      // Word lists: sorted gap words or base forms (empty ones stay), page text.
      {seite(101, 1, birnen, zwei), "W", wl.arg("apfel, Birne, Birne")},
      {seite(101, 2, birnen, zwei), "W", wl.arg(", Banane, birne")},
      {seite(101, 1, "Haus", {gap(1, "Haus", "")}), "W", wl.arg("Haus")},
      {seite(101, 3, birnen, zwei), "W", ""},
      {seite(101, 1, "a&b", {gap(1, "a&b", "")}), "W", wl.arg("a&amp;b")},
      // Script strings are escaped; a doubled backslash with "p" stays in the
      // string and is no line end; a placeholder in a string is not filled.
      {zeichen, nullptr, "I[0][1][0][0] = 'geht\\x27s';"},
      {zeichen, nullptr, "I[0][2] = '\\x22x\\x22\\x3C/script\\x3E';"},
      {zeichen, nullptr, "I[1][1][0][0] = 'a\\x5Cb';"},
      {zeichen, nullptr, "I[1][2] = 'a\\x5C\\x5Cp\\x5BTITEL\\x5D';"},
      {seite(101, 4, "x", {gap(1, "x", "a\r\n\t\u2028b&]")}), nullptr, "I[0][2] = 'a\\r\\n\\x09\\u2028b\\x26\\x5D';"},
      // The exercise text is plain text: markup characters reach the page as
      // text; CR LF and LF become <br>, a lone CR stays; so does a remark.
      {seite(101, 4, "<b>&amp; \"x\" Haus", {gap(14, "Haus", "")}), "X",
       "&lt;b&gt;&amp;amp; &quot;x&quot; " + field(0)},
      {seite(101, 4, "a\r\nb\nc\rd e", {gap(10, "e", "")}), "X", "a<br>b<br>c\rd " + field(0)},
      {seite(301, 4, "x", {gap(1, "x", "", "<_>")}), "X",
       "<span class=\"one-word\">&lt;" + field(0, "eingabe2") + "&gt;</span>"},
      // The workbook's file title titles the page; in the exercise text the
      // title and the line marker are replaced too, other placeholders stay.
      {titel, "T", "Tom &amp; Jerry"},
      {titel, "X", "Tom &amp; Jerry und [DETAILS] a\r\nb " + field(0)},
  };
  for (const auto& c : cases) {
    const QString page = BuildHtmlPage(c.seite);
    SCOPED_TRACE(c.seite.text.toStdString() + " / " + (c.marker ? c.marker : "page"));
    if (c.marker)
      EXPECT_EQ(part(page, c.marker), c.text);
    else
      EXPECT_TRUE(page.contains(c.text)) << page.toStdString();
  }
}

// The placeholders are replaced one after the other on the whole page, so a
// placeholder that a replacement puts together is filled by the ones after.
TEST(HtmlPage, PlaceholdersFormedByEarlierReplacementsAreFilled) {
  const struct {
    QString vorlage, text, pfad, page;
  } cases[] = {
      {u8("<[ÜBUNGS[WORTLISTE]TEXT]>"), "Haus", "", "<" + field(0) + ">"},
      {u8("[TI[ÜBUNGSTEXT]TEL]"), "Haus [TI", "/m/Tom.qbm", "[TI" + field(0) + " Tom"},
      {u8("[ÜBUNGSTEXT]p-[TITEL]p"), "Haus \\\\", "/m/a\\\\.qbm", field(0) + " \r\n-a\r\n"},
      {u8("[TI[ANLEITUNG]TEL][DETAILS]"), "Haus", "", u8("[TISetze die richtigen Wörter einTEL]I = new Array();")},
  };
  for (const auto& c : cases) {
    HtmlSeite s = seite(101, 4, c.text, {gap(1, "Haus", "")}, c.pfad);
    s.vorlage = c.vorlage;
    EXPECT_TRUE(BuildHtmlPage(s).startsWith(c.page)) << qPrintable(BuildHtmlPage(s));
  }
}

TEST(HtmlPage, EncodedInWindows1252WhenPossibleElseInUtf8) {
  const auto bytes = [](const QString& vorlage) {
    HtmlSeite s;
    s.vorlage = vorlage;
    return HtmlPageBytes(s);
  };
  EXPECT_EQ(bytes("<html><head><meta charset=\"utf-8\"></head><body>" + u8("Übung") + "</body></html>"),
            "<html><head><meta charset=\"windows-1252\"></head><body>\xDC" "bung</body></html>\r\n");
  const QString name = u8("Иван Петров ∑");
  const QString page = "<!DOCTYPE html>\r\n<html><head>\r\n<meta http-equiv=\"Content-Type\" "
                       "content=\"text/html; charset=windows-1252\">\r\n</head><body>" + name + "</body></html>";
  const QByteArray utf8 = bytes(page);
  ASSERT_TRUE(utf8.startsWith("\xEF\xBB\xBF"));
  EXPECT_EQ(textfile::decode(utf8), QString(page).replace("charset=windows-1252", "charset=utf-8") + "\r\n");
  // A template without a declaration gets one at the head's start; "charset"
  // in the body is left alone.
  const QByteArray ohne = bytes("<html><HEAD lang=\"de\"><title>x</title></HEAD><body>charset=x " + name);
  EXPECT_TRUE(ohne.contains("<HEAD lang=\"de\"><meta charset=\"utf-8\"><title>")) << ohne.toStdString();
  EXPECT_TRUE(ohne.contains("charset=x "));
}

TEST(HtmlTemplate, SingleByteOfflinePage) {
  const auto bytes = textfile::readBytes(QStringLiteral(QV_SOURCE_DIR "/data/template.html"));
  ASSERT_TRUE(bytes);
  // Single-byte text with CR LF line ends.
  EXPECT_FALSE(bytes->startsWith("\xEF\xBB\xBF"));
  EXPECT_EQ(bytes->count("\n"), bytes->count("\r\n"));
  // The placeholders are filled in the page tests above and work in the
  // browser tests.
  const QString t = cp1252::decode(*bytes);
  // Works offline: nothing is loaded from elsewhere, and no line marker
  // would be turned into a line end.
  for (const char* p : {"http:", "https:", " src=", "@import", "\\\\p"}) EXPECT_FALSE(t.contains(QLatin1String(p))) << p;
}

// ---- Writing and showing ----

namespace {

class HtmlWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    qputenv("QV_PROGRAM_FOLDER", dir_.path().toUtf8());
    env_.set("QV_USER_DATA", daten_.path().toUtf8());
    QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/template.html"), dir_.filePath("template.html"));
    shell::setOpener([this](const QString& p) {
      opened_ << p;
      return true;
    });
    gUebungstyp = 101;
    gWortliste = 4;
    gTextTXT = "Das Haus ist rot. Der Baum ist alt.";
    gDetails = "5;Haus;Haus;\r\n23;Baum;Baum;";
    gFormatDoc = false;
  }
  void TearDown() override {
    shell::setOpener({});
    qunsetenv("QV_PROGRAM_FOLDER");
    gLuecken.clear();
    gDetails.clear();
  }
  QString pagePath() const { return dir_.filePath("Worksheet.html"); }
  QString page() const { return textfile::decode(qvtest::readFile(pagePath())); }
  // Nothing written or shown, and the one message.
  void expectRefused(const QString& message) {
    EXPECT_FALSE(QFile::exists(pagePath()));
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_EQ(ui_.messageTexts(), QStringList{message});
  }

  QTemporaryDir dir_, daten_;
  qvtest::Env env_;  // the data folder above while the test runs
  QStringList opened_;
  ScriptedInteraction ui_;
};

}  // namespace

// Writing, showing and reporting a page is the road test's work.

TEST_F(HtmlWriteTest, MissingTemplateAndWorksheetWithoutGapsAreReported) {
  gDetails.clear();
  CreateHtmlExercise(101, 0);
  expectRefused(htmlKeineLueckenText());
  ui_.clear();
  gDetails = "5;Haus;Haus;";
  QFile::remove(dir_.filePath("template.html"));
  CreateHtmlExercise(101, 0);
  expectRefused(htmlVorlageFehltText(dir_.filePath("template.html")));
  EXPECT_EQ(ui_.messages()[0].icon, Icon::Exclamation);
  // A template without the place for the text counts as unusable too.
  qvtest::writeFile(dir_.filePath("template.html"), "<html>[DETAILS]</html>");
  QString error;
  EXPECT_FALSE(WriteHtmlExercise("x", pagePath(), &error));
  EXPECT_EQ(error, htmlVorlageFehltText(dir_.filePath("template.html")));
}

TEST_F(HtmlWriteTest, UnwritablePageIsReported) {
  gLuecken = {gap(5, "Haus", "Haus")};
  QStringList paths = qvtest::unerreichbarePfade(dir_.path());
  paths << dir_.filePath("kein/Ordner/Worksheet.html");
  QString error;
  for (const QString& path : paths) {
    EXPECT_FALSE(WriteHtmlExercise(gTextTXT, path, &error));
    EXPECT_TRUE(error.startsWith(htmlNichtGespeichertText(path) + "\r\n")) << error.toStdString();  // the reason follows
  }
  // The writer alone neither shows the page nor tells anything.
  EXPECT_TRUE(WriteHtmlExercise(gTextTXT, pagePath(), &error));
  // A second page replaces the first.
  EXPECT_TRUE(WriteHtmlExercise("Ein Haus steht im Bau.", pagePath(), &error));
  EXPECT_TRUE(qvtest::readFile(pagePath()).contains("steht im Bau"));
  EXPECT_TRUE(opened_.isEmpty() && ui_.messages().isEmpty());
  // A page whose write fails leaves the earlier one, and is neither shown
  // nor reported as saved.
  const auto stand = qvtest::ordnerStand(dir_.path());
  qvtest::Schreibfehler fehler(1);
  ui_.answerSaveFile(dir_.filePath("neu.html"));
  CreateHtmlExercise(101, 0);
  EXPECT_EQ(qvtest::ordnerStand(dir_.path()), stand);
  EXPECT_TRUE(opened_.isEmpty());
  EXPECT_EQ(ui_.messageTexts(), QStringList{htmlNichtGespeichertText(dir_.filePath("neu.html"), "Schreibfehler")});
}

// A text of 10 MB with 20,000 gap rows becomes one page with every field.
// Start fields hold five digits: the gaps lie in the first 99,999 characters.
TEST_F(HtmlWriteTest, TenMegabyteTextWithTwentyThousandGaps) {
  QStringList rows;
  for (int i = 0; i < 20000; ++i) rows << QString::number(3 * i + 1) + ";Ei;Ei;";
  QString text = QString("Ei ").repeated(20000);
  while (text.size() < 10'000'000) text += u8("Der Fuchs läuft über die Wiese und sucht Mäuse. ");
  gTextTXT = text;
  gDetails = rows.join("\r\n");
  ui_.answerSaveFile(pagePath());
  CreateHtmlExercise(101, 0);
  ASSERT_EQ(ui_.messageTexts(), QStringList{htmlGespeichertText(20000, pagePath())});
  const QString p = page();
  EXPECT_TRUE(p.contains(field(19999)));  // counted from 0
  EXPECT_EQ(p.count("name=\"T"), 20000);
}
