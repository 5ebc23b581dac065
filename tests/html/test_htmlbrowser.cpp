// The generated page in a real browser: answers are typed into the fields,
// the fields are left, "Prüfen" and "Nochmal" are pressed, and the page's
// state is read back from the browser's DOM.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include "common/testutil.h"
#include "html/htmlexercise.h"
#include "platform/textfile.h"

using namespace qv;
using qvtest::u8;

using qvtest::gap;

namespace {

const QString kChromium = "/usr/bin/chromium";

// Helpers of the injected script: typing into a field and leaving it, and
// the state of a field.
const char* kHelpers = R"JS(
function tippe(name, wert, nr) {
  var f = document.getElementsByName(name)[nr || 0];
  f.dispatchEvent(new FocusEvent('focus'));
  f.value = wert;
  f.dispatchEvent(new FocusEvent('blur'));
  return f;
}
function zustand(name, nr) {
  var f = document.getElementsByName(name)[nr || 0];
  var r = document.getElementById(f.getAttribute('aria-describedby'));
  return { klasse: f.className, rueck: r ? r.textContent : '<keine>', label: f.getAttribute('aria-label') || '',
           farbe: f.style.backgroundColor, wert: f.value };
}
function melde(ergebnis) {
  var pre = document.body.appendChild(document.createElement('pre'));
  pre.id = 'testergebnis';
  pre.textContent = JSON.stringify(ergebnis);
}
)JS";

// Builds the page from the shipped template with the test script in it,
// loads it in headless Chromium and returns what the script reported.
QJsonObject runInBrowser(HtmlSeite seite, const QString& testScript) {
  QTemporaryDir dir;
  seite.vorlage = *textfile::read(QV_SOURCE_DIR "/data/template.html");
  seite.vorlage.insert(seite.vorlage.lastIndexOf("</body>"),
                       "<script>" + QString::fromUtf8(kHelpers) +
                           "window.addEventListener('load', function () { var e = {}; try {" + testScript +
                           "} catch (x) { e.fehler = String(x); } melde(e); });</script>");
  const QString path = dir.filePath("Worksheet.html");
  if (!textfile::writeBytes(path, HtmlPageBytes(seite))) return {};
  QProcess p;
  p.start(kChromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                      "--disable-background-networking", "--disable-component-update", "--disable-sync",
                      "--user-data-dir=" + dir.filePath("profil"), "--virtual-time-budget=2000", "--dump-dom",
                      QUrl::fromLocalFile(path).toString()});
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    ADD_FAILURE() << "the browser did not finish in time";
    return {};
  }
  const QString dom = QString::fromUtf8(p.readAllStandardOutput()), open = "<pre id=\"testergebnis\">";
  const qsizetype a = dom.indexOf(open), b = dom.indexOf("</pre>", a);
  if (a < 0 || b < 0) {
    ADD_FAILURE() << "no result in the page; stderr: " << p.readAllStandardError().toStdString();
    return {};
  }
  QString json = dom.mid(a + open.size(), b - a - open.size());
  json.replace("&lt;", "<").replace("&gt;", ">").replace("&nbsp;", u8("\u00A0")).replace("&amp;", "&");
  return QJsonDocument::fromJson(json.toUtf8()).object();
}

QString str(const QJsonObject& o, const char* a, const char* b = nullptr) {
  const QJsonValue v = o.value(QLatin1String(a));
  return b ? v.toObject().value(QLatin1String(b)).toVariant().toString() : v.toVariant().toString();
}

class HtmlBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(kChromium)) GTEST_SKIP() << "Chromium is not installed";
  }
};

}  // namespace

TEST_F(HtmlBrowser, WholeWordGapsGiveFeedbackHintsAndScore) {
  // The name in Greek letters makes the page UTF-8.
  const HtmlSeite s{.text = u8("Das Haus ist rot. Der Baum ist alt.\r\nDie Straße ist lang. Wie geht's dir, Ελένη?"),
                    .luecken = {gap(5, "Haus", "Haus"), gap(23, "Baum", "Baum"), gap(42, u8("Straße"), u8("Straße")),
                                gap(63, "geht's", "gehen")},
                    .uebungstyp = 101, .wortliste = 1, .mappenPfad = "/x/Herbst.qbm", .vorlage = {}};
  const QJsonObject r = runInBrowser(s, R"JS(
    e.label0 = zustand('T0').label;
    e.label3 = zustand('T3').label;
    var f = document.getElementsByName('T0')[0];
    f.dispatchEvent(new FocusEvent('focus'));
    e.fokusfarbe = f.style.backgroundColor;
    e.t0 = zustand(tippe('T0', ' Haus ').name);
    e.t1 = zustand(tippe('T1', 'baum').name);
    e.versuche1 = I[1][3];
    tippe('T1', 'baum');
    e.versuche1b = I[1][3];
    e.t2a = zustand(tippe('T2', 'Strasse').name);
    e.t2b = zustand(tippe('T2', 'Strase').name);
    e.versuche2 = I[2][3];
    e.t3 = zustand(tippe('T3', 'geht\u2019s').name);
    document.getElementById('pruefen').click();
    e.punkte = document.getElementById('ergebnis').textContent;
    tippe('T1', 'Baum');
    e.punkte2 = document.getElementById('ergebnis').textContent;
    e.text = document.getElementById('uebungstext').textContent;
    e.wortliste = document.querySelector('.wortliste').textContent;
    e.titel = document.title;
    e.zeichensatz = document.characterSet;
    document.getElementById('nochmal').click();
    e.nachher = zustand('T1');
    e.nachherVersuche = I[1][3];
    e.nachherPunkte = document.getElementById('ergebnis').textContent;
  )JS");
  ASSERT_FALSE(r.isEmpty());
  EXPECT_EQ(str(r, "fehler"), "");
  EXPECT_TRUE(str(r, "text").contains(u8("Ελένη")));
  EXPECT_EQ(QStringList({str(r, "zeichensatz"), str(r, "titel"), str(r, "wortliste")}),
            QStringList({"UTF-8", "Herbst", u8("Baum, geht's, Haus, Straße")}));
  // Labels name the gap and its sentence.
  EXPECT_EQ(str(r, "label0") + "|" + str(r, "label3"), u8("Lücke 1: Das … ist rot.|Lücke 4: Wie … dir, Ελένη?"));
  EXPECT_EQ(str(r, "fokusfarbe"), "rgb(255, 255, 0)");
  // Right after trimming: green, the focus colour gone.
  EXPECT_TRUE(str(r, "t0", "klasse").contains("richtig"));
  EXPECT_EQ(str(r, "t0", "farbe"), "");
  // Only capitals differ: wrong, with its hint, counted once per answer.
  EXPECT_TRUE(str(r, "t1", "klasse").contains("falsch"));
  EXPECT_TRUE(str(r, "t1", "rueck").contains("Achte auf Groß- und Kleinschreibung"));
  EXPECT_EQ(str(r, "versuche1") + str(r, "versuche1b"), "11");
  // ss for ß: its own hint; after the second wrong answer the base form.
  EXPECT_TRUE(str(r, "t2a", "rueck").contains(u8("Schreibe ä, ö, ü und ß")));
  EXPECT_FALSE(str(r, "t2a", "rueck").contains("Tipp"));
  EXPECT_FALSE(str(r, "t2b", "rueck").contains(u8("Schreibe ä")));
  EXPECT_TRUE(str(r, "t2b", "rueck").contains(u8("Tipp: Grundform „Straße“")));
  EXPECT_EQ(str(r, "versuche2"), "2");
  // A typographic apostrophe counts as the straight one.
  EXPECT_TRUE(str(r, "t3", "klasse").contains("richtig"));
  EXPECT_EQ(str(r, "punkte") + "|" + str(r, "punkte2"), "2 von 4 richtig|3 von 4 richtig");
  // "Nochmal" clears fields, feedback, attempts and score.
  EXPECT_EQ(str(r, "nachher", "wert") + str(r, "nachher", "rueck") + str(r, "nachherPunkte"), "");
  EXPECT_FALSE(str(r, "nachher", "klasse").contains("falsch"));
  EXPECT_EQ(str(r, "nachherVersuche"), "0");
}

// The field sits in its word without room on either side ("K[ ]hler"),
// and "Prüfen" counts the score once, not once per field.
TEST_F(HtmlBrowser, WordPartGapsOfTypes301And103) {
  for (const int typ : {301, 103}) {
    SCOPED_TRACE(typ);
    const HtmlSeite s{.text = u8("Im Garten blüht es. Der Sommer kommt."),
                      .luecken = {gap(4, "Garten", "Garten", "Gar_"), gap(25, "Sommer", "Sommer", "So_er")},
                      .uebungstyp = static_cast<int16_t>(typ), .mappenPfad = {}, .vorlage = {}};
    const QJsonObject r = runInBrowser(s, R"JS(
      var f = document.getElementsByName('T1')[0], rf = f.getBoundingClientRect(), rg = document.createRange();
      rg.setStart(f.previousSibling, f.previousSibling.length - 1); rg.setEnd(f.previousSibling, f.previousSibling.length);
      var vor = rg.getBoundingClientRect();
      rg.setStart(f.nextSibling, 0); rg.setEnd(f.nextSibling, 1);
      var nach = rg.getBoundingClientRect();
      e.abstand = Math.round(rf.left - vor.right) + ',' + Math.round(nach.left - rf.right);
      e.label1 = zustand('T1').label;
      e.t0 = zustand(tippe('T0', 'ten').name);
      e.t1 = zustand(tippe('T1', 'm').name);
      e.leer = zustand(tippe('T1', '').name);
      tippe('T1', 'm');
      var zaehler = 0, punkte = qvPunkte;
      qvPunkte = function () { zaehler++; return punkte(); };
      document.getElementById('pruefen').click();
      e.zaehler = zaehler;
      e.geprueft = zustand('T1');
      e.punkte = document.getElementById('ergebnis').textContent;
      e.text = document.getElementById('uebungstext').textContent;
      e.zeichensatz = document.characterSet;
    )JS");
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(str(r, "fehler") + "|" + str(r, "abstand") + "|" + str(r, "zeichensatz"), "|0,0|windows-1252");
    EXPECT_TRUE(str(r, "text").contains(u8("blüht")));
    EXPECT_EQ(str(r, "label1"), u8("Lücke 2: Der So…er kommt."));
    EXPECT_TRUE(str(r, "t0", "klasse").contains("richtig"));
    EXPECT_TRUE(str(r, "t1", "klasse").contains("falsch"));
    // An emptied field is neither right nor wrong until "Prüfen".
    EXPECT_FALSE(str(r, "leer", "klasse").contains("falsch"));
    EXPECT_TRUE(str(r, "geprueft", "klasse").contains("falsch"));
    EXPECT_EQ(str(r, "punkte") + "|" + str(r, "zaehler"), "1 von 2 richtig|1");
  }
}
