// Collecting a class's work: a master from the form builder handed out to
// 30 pupils by the real distribution, the copies filled through the exercise
// macros with a fixed pattern (one missing, one of another exercise, one
// damaged, one filled by editing its RTF as another word processor would);
// the core, the results window and the command line must show exactly that.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextStream>
#include <QTimer>
#include <QCoreApplication>
#include <QProcess>
#include <csignal>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include "cli/cli.h"
#include "common/fitcheck.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "platform/docengine.h"
#include "platform/formcontent.h"
#include "platform/formcontent_zip.h"
#include "platform/lastfolder.h"
#include "common/scripted_ui.h"
#include "platform/textfile.h"
#include "students/ergebnisse.h"
#include "students/frmergebnisse.h"
#include "students/schueler.h"
#include "word/modword.h"

using namespace qv;
using qvtest::u8;

namespace {

struct Erwartet {
  AbgabeZustand zustand;
  int richtig, falsch, leer, versuche;
  QStringList antworten;
};

using Eingaben = QList<std::pair<int, QString>>;
// The five pupils of the pattern, repeated: typed answers in order (gap 1
// fuhren or reisten, 2 Mühlsee, 3 gab, 4 Eis) and what must come out.
// Capitals ("mühlsee") and written-out umlauts ("Muehlsee") are wrong.
const QList<std::pair<Eingaben, Erwartet>> kMuster = {
    {{{1, "fuhren"}, {2, u8("Mühlsee")}, {3, "gab"}, {4, "Eis"}},
     {AbgabeZustand::Fertig, 4, 0, 0, 4, {"fuhren", u8("Mühlsee"), "gab", "Eis"}}},
    {{{1, "reisten"}, {2, u8("mühlsee")}, {3, u8("\u201Agab\u2018")}, {4, "%9; E"}},
     {AbgabeZustand::Fertig, 1, 3, 0, 4, {"reisten", u8("mühlsee"), "'gab'", "%9; E"}}},
    {{}, {AbgabeZustand::NichtBegonnen, 0, 0, 4, 0, {"", "", "", ""}}},
    {{{1, "fahren"}, {1, "fuhren"}, {2, "Muehlsee"}, {3, "gab"}, {4, "Eis"}},
     {AbgabeZustand::Fertig, 3, 1, 0, 5, {"fuhren", "Muehlsee", "gab", "Eis"}}},
    // An answer left and emptied again keeps its attempt.
    {{{1, "fuhr"}, {1, ""}, {3, "  gab "}}, {AbgabeZustand::InArbeit, 1, 0, 3, 2, {"", "", "gab", ""}}},
};
const Erwartet kNichts{AbgabeZustand::NichtAbgegeben, 0, 0, 0, 0, {}};
const Erwartet kAndere{AbgabeZustand::AndereUebung, 0, 0, 0, 0, {}};
const Erwartet kKaputt{AbgabeZustand::NichtLesbar, 0, 0, 0, 0, {}};
// Row 8, edited in its RTF: no saved progress, one attempt per answer.
const Erwartet kFremd{AbgabeZustand::InArbeit, 2, 1, 1, 3, {"reisten", u8("Mühlsee"), "gibt", ""}};
// Right, wrong and empty per gap over the 27 counted copies (six rows of
// pattern 5, five of each other pattern, and row 8), counted by hand.
const QList<QList<int>> kJeLuecke = {{16, 0, 11}, {6, 10, 11}, {16, 6, 5}, {10, 5, 12}};

qvtest::UebungVorgabe vorgabe(bool withDetails = true) {
  qvtest::UebungVorgabe v;
  v.withDetails = withDetails;
  v.text = u8("Am Montag [fuhren] wir an den [Mühlsee]. Dort [gab] es [Eis].");
  v.gaps = {{"fuhren", "fahren", {"reisten"}}, {u8("Mühlsee"), u8("Mühlsee"), {}}, {"gab", "geben", {}}, {"Eis", "Eis", {}}};
  v.headerLine = false;
  return v;
}

// A copy as other word processors save it, answers to gaps 1 to 4: RTF as
// Word and as LibreOffice lay fields out, DOCX as Word writes it, ODT as
// LibreOffice writes it.
enum class Layout { WordRtf, LibreRtf, Docx, Odt };
const QStringList kFremdAntworten = {"reisten", u8("mühlsee"), "", "Eis"};
const QString kFremdName = u8("Wanda Wörd");

void packe(const QString& path, const QList<std::pair<QString, QByteArray>>& teile) {
  QuaZip zip(path);
  ASSERT_TRUE(zip.open(QuaZip::mdCreate));
  for (const auto& [name, bytes] : teile) {
    QuaZipFile f(&zip);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly, QuaZipNewInfo(name)));
    f.write(bytes);
  }
}

void fremdeKopie(Layout l, const QString& guid, const QString& path, int luecken = 4) {
  const QByteArray g = guid.toUtf8(), name = kFremdName.toUtf8();
  QByteArray body;
  for (int k = 1; k <= luecken; ++k) {
    const QByteArray n = "Gap_" + QByteArray::number(k), a = kFremdAntworten[k - 1].toUtf8();
    if (l == Layout::WordRtf)
      body += "Wort {\\*\\bkmkstart " + n + "}{\\field{\\*\\fldinst {\\lang1024  FORMTEXT }{\\*\\datafield 8001}"
              "{\\*\\formfield{\\fftype0{\\*\\ffname " + n + "}}}}{\\fldrslt {\\lang1024 " +
              QByteArray(a).replace("\xc3\xbc", "\\'fc") + "}}}{\\*\\bkmkend " + n + "}\\par ";
    else if (l == Layout::LibreRtf)
      body += "Wort {\\*\\bkmkstart " + n + "}{\\*\\bkmkend " + n + "}{\\field{\\*\\fldinst { FORMTEXT }}{\\fldrslt " +
              QByteArray(a).replace("\xc3\xbc", "\\u252\\'fc") + "}}\\par ";
    else if (l == Layout::Docx)
      body += R"(<w:p><w:r><w:t>Wort </w:t></w:r><w:r><w:fldChar w:fldCharType="begin"><w:ffData><w:name w:val=")" + n +
              R"("/><w:textInput/></w:ffData></w:fldChar></w:r><w:r><w:instrText> FORMTEXT </w:instrText></w:r><w:r>)"
              R"(<w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>)" + a +
              R"(</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r></w:p>)";
    else
      body += R"(<text:p>Wort <field:fieldmark-start text:name=")" + n +
              R"(" field:type="vnd.oasis.opendocument.field.FORMTEXT"/><field:fieldmark-separator/><text:span>)" + a +
              "</text:span><field:fieldmark-end/></text:p>";
  }
  if (l == Layout::WordRtf || l == Layout::LibreRtf) {
    qvtest::writeFile(path, "{\\rtf1\\ansi\\ansicpg1252{\\*\\docvar {App}{Quillbee-Vodedarivo}}{\\*\\docvar {GUID}{" +
                                QByteArray(g).replace("{", "\\{").replace("}", "\\}") + "}}\\titlepg{\\headerf \\trowd"
                                "\\cellx2000\\cellx6000\\pard\\intbl Name:\\cell Wanda W\\'f6rd\\cell\\row\\pard\\par}" +
                                body + "}");
  } else if (l == Layout::Docx) {
    const QByteArray w = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" xmlns:r="r")";
    packe(path, {{"word/document.xml", "<w:document " + w + "><w:body>" + body +
                                           R"(<w:sectPr><w:headerReference w:type="first" r:id="rId7"/><w:titlePg/>)"
                                           "</w:sectPr></w:body></w:document>"},
                 {"word/settings.xml", "<w:settings " + w + R"(><w:docVars><w:docVar w:name="App" w:val="Quillbee-)"
                                           R"(Vodedarivo"/><w:docVar w:name="GUID" w:val=")" + g +
                                           R"("/></w:docVars></w:settings>)"},
                 {"word/_rels/document.xml.rels", R"(<Relationships><Relationship Id="rId7" Target="header2.xml"/>)"
                                                  "</Relationships>"},
                 {"word/header2.xml", "<w:hdr " + w + "><w:tbl><w:tr><w:tc><w:p><w:r><w:t>Name:</w:t></w:r></w:p>"
                                          "</w:tc><w:tc><w:p><w:r><w:t>" + name +
                                          "</w:t></w:r></w:p></w:tc></w:tr></w:tbl></w:hdr>"}});
  } else {
    const QByteArray ns = R"(xmlns:office="o" xmlns:text="t" xmlns:field="f" xmlns:style="s" xmlns:table="b")";
    const QByteArray decl = R"(<text:user-field-decl office:value-type="string" office:string-value=")";
    packe(path, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                 {"content.xml", "<office:document-content " + ns + "><office:body><office:text><text:user-field-decls>" +
                                     decl + R"(Quillbee-Vodedarivo" text:name="App"/>)" + decl + g +
                                     R"(" text:name="GUID"/></text:user-field-decls>)" + body +
                                     "</office:text></office:body></office:document-content>"},
                 {"styles.xml", "<office:document-styles " + ns + "><style:master-page><style:header><table:table>"
                                    "<table:table-row><table:table-cell><text:p>Name:</text:p></table:table-cell>"
                                    "<table:table-cell><text:p>" + name + "</text:p></table:table-cell></table:table-row>"
                                    "</table:table></style:header></style:master-page></office:document-styles>"}});
  }
}

class Ergebnisse : public ::testing::Test {
 protected:
  // The class is built once, in the first test: a failure there fails that
  // test and every later one (a failing SetUpTestSuite would skip them).
  void SetUp() override {
    if (!s) {
      s = new Stand;
      aufbauen();
      s->bereit = !HasFatalFailure();
    }
    ASSERT_TRUE(s->bereit) << "the class could not be built";
  }
  static void aufbauen() {
    setUi(&s->ui);
    InstallDistributionEngine();
    InstallExerciseMacros();
    s->master = s->out.filePath("uebung.doc");
    ASSERT_NO_FATAL_FAILURE(saveExercise(vorgabe(), s->master));

    // The class, handed out by the student list.
    SchuelerListe& l = s->liste;
    QByteArray list;
    for (int i = 1; i <= 30; ++i) {
      const QString folder = s->out.filePath(QStringLiteral("klasse/k%1").arg(i));
      QDir().mkpath(folder);
      // The last pupil's long name must show whole in the results window.
      const QString name = i < 30 ? QStringLiteral("M\u00fcller, Kind %1").arg(i) : u8("Schäfer-Weiß, Anna-Katharina Sophie");
      list += textfile::encode(name + QStringLiteral(";%1;;\r\n").arg(folder));
    }
    qvtest::writeFile(s->out.filePath("import.txt"), list);
    ASSERT_TRUE(l.ImportiereDatei(s->out.filePath("import.txt"), true));
    l.txtQuelle = gQuelle = s->master;
    l.ErzeugeDateinamen();
    ASSERT_EQ(l.DupliziereUebungen().geschrieben, 30);
    s->listFile = s->out.filePath("klasse.txt");
    s->ui.answerSaveFile(s->listFile);
    l.SpeichereSchuelerliste();

    for (int i = 0; i < 30; ++i) {
      const QString path = l.rows[i].Dateiname;
      if (i == 5) QFile::remove(path);
      if (i == 6) saveExercise(vorgabe(), path);
      if (i == 7) qvtest::writeFile(path, "PK\x03\x04 beschaedigt");
      if (i == 8) fremdBearbeitet(path);
      if (i >= 5 && i <= 8) continue;
      engine::Application* app = engine::Application::create();
      engine::Document* d = app->openDocument(path, false);
      ASSERT_NE(d, nullptr);
      app->run("Document_Open", d);
      for (const auto& [k, text] : kMuster[i % 5].first) qvtest::answer(*d, k, text);
      ASSERT_TRUE(d->saveAs(path));
      app->quit();
    }
    s->vorher = qvtest::ordnerStand(s->out.filePath("klasse"));
  }
  static void TearDownTestSuite() {
    qvtest::quitEngines();
    setDistributionEngine(nullptr);
    setExerciseRecognizer({});
    setUi(nullptr);
    delete s;
  }
  void TearDown() override {
    if (s->bereit) {
      EXPECT_EQ(qvtest::ordnerStand(s->out.filePath("klasse")), s->vorher) << "a copy was changed";
    }
  }

  // A new exercise of that kind, saved there.
  static void saveExercise(const qvtest::UebungVorgabe& v, const QString& path) {
    engine::Document* d = qvtest::makeExercise(v);
    ASSERT_TRUE(d && d->saveAs(path));
    d->application()->quit();
  }
  // Types into the empty fields' RTF text, as another word processor saves.
  static void fremdBearbeitet(const QString& path) {
    QByteArray rtf = qvtest::readFile(path);
    for (const auto& [k, text] : Eingaben{{1, "reisten"}, {2, "M\\'fchlsee"}, {3, "gibt"}}) {
      const QRegularExpression re(QStringLiteral("(Gap_%1\\}.*?\\\\fldrslt \\{[^ ]* )((?:\\\\u8194\\?)+)").arg(k));
      const QString t = QString::fromLatin1(rtf);
      const auto m = re.match(t);
      ASSERT_TRUE(m.hasMatch()) << k;
      rtf = (t.left(m.capturedStart(2)) + text + t.mid(m.capturedEnd(2))).toLatin1();
    }
    qvtest::writeFile(path, rtf);
  }
  static const Erwartet& erwartet(int row) {
    return row == 5 ? kNichts : row == 6 ? kAndere : row == 7 ? kKaputt : row == 8 ? kFremd : kMuster[row % 5].second;
  }
  // What every output must show, row by row of the student list.
  static void pruefe(const SchuelerErgebnis& r, int row) {
    SCOPED_TRACE(row);
    const Erwartet& e = erwartet(row);
    const SchuelerZeile& z = s->liste.rows[row];
    EXPECT_EQ(QStringList({r.id, r.name, r.datei}), QStringList({z.ID, z.Name, z.Dateiname}));
    EXPECT_EQ(ZustandText(r.zustand), ZustandText(e.zustand));
    EXPECT_EQ(QList<int>({r.richtig, r.falsch, r.leer, r.versuche}), QList<int>({e.richtig, e.falsch, e.leer, e.versuche}));
    EXPECT_EQ(r.antworten, e.antworten);
  }
  struct Stand {
    qvtest::Umgebung env;
    QTemporaryDir& out = env.program;
    ScriptedInteraction ui;
    SchuelerListe liste;
    QString master, listFile;
    QMap<QString, QByteArray> vorher;
    bool bereit = false;
  };
  static inline Stand* s = nullptr;
};

}  // namespace

TEST_F(Ergebnisse, CoreJudgesEveryCopyOfTheList) {
  QString error;
  const auto v = LeseVorlage(s->master, &error);
  ASSERT_TRUE(v) << error.toStdString();
  const auto kopien = EinsendungenAusListe(s->listFile);
  ASSERT_TRUE(kopien && kopien->size() == 30);
  int meldungen = 0;
  const ErgebnisUebersicht e = WerteAus(*v, *kopien, [&](int done, int total) { return ++meldungen == done && total == 30; });
  EXPECT_EQ(meldungen, 30);
  ASSERT_EQ(e.schueler.size(), 30);
  for (int row = 0; row < 30; ++row) pruefe(e.schueler[row], row);
  EXPECT_EQ(e.gezaehlt(), 27);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(QList<int>({e.jeLuecke[k].richtig, e.jeLuecke[k].falsch, e.jeLuecke[k].leer}), kJeLuecke[k]) << k + 1;
  // The table for spreadsheets: head, 30 pupils, shares; quoted answers.
  const QStringList lines = ErgebnisTabelle(e).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 32);
  EXPECT_EQ(lines[1], s->liste.rows[0].ID + u8(";Müller, Kind 1;fertig;4;0;0;4;100;richtig: fuhren;richtig: Mühlsee;richtig: gab;richtig: Eis"));
  EXPECT_TRUE(lines[2].endsWith(";\"falsch: %9; E\"")) << lines[2].toStdString();
  EXPECT_TRUE(lines[6].endsWith(";nicht abgegeben")) << lines[6].toStdString();
  EXPECT_TRUE(lines[31].startsWith(";Anteil richtig;;")) << lines[31].toStdString();
  const QString csv = s->out.filePath("tabelle.csv");
  ASSERT_TRUE(SchreibeErgebnisTabelle(e, csv));
  EXPECT_EQ(textfile::decode(qvtest::readFile(csv)), ErgebnisTabelle(e));
  EXPECT_TRUE(qvtest::readFile(csv).contains("M\xfcller"));  // Windows-1252
  // A damaged master and one without solutions are refused.
  EXPECT_FALSE(LeseVorlage(s->liste.rows[7].Dateiname, &error));
  EXPECT_EQ(error, "'" + s->liste.rows[7].Dateiname + u8("' ist keine Datei für interaktive Übungen"));
  ASSERT_NO_FATAL_FAILURE(saveExercise(vorgabe(false), s->out.filePath("ohne.doc")));
  EXPECT_FALSE(LeseVorlage(s->out.filePath("ohne.doc"), &error));
  EXPECT_TRUE(error.contains(u8("enthält keine Lösungen"))) << error.toStdString();
}

TEST_F(Ergebnisse, FolderTakesIdAndNameFromTheCopiesAndSkipsTheMaster) {
  QTemporaryDir ordner;
  for (int row : {0, 1, 7}) QFile::copy(s->liste.rows[row].Dateiname, ordner.filePath(QFileInfo(s->liste.rows[row].Dateiname).fileName()));
  QFile::copy(s->master, ordner.filePath("uebung.doc"));
  QFile::copy(s->master, ordner.filePath("nie-verteilt.doc"));  // a master is no pupil's copy
  qvtest::writeFile(ordner.filePath("notiz.txt"), "x");
  const auto kopien = EinsendungenAusOrdner(ordner.path(), ordner.filePath("uebung.doc"));
  ASSERT_EQ(kopien.size(), 4);
  const ErgebnisUebersicht e = WerteAus(*LeseVorlage(ordner.filePath("uebung.doc")), kopien);
  ASSERT_EQ(e.schueler.size(), 3);
  for (int i : {0, 1})
    EXPECT_EQ(std::tuple(e.schueler[i].id, e.schueler[i].name, e.schueler[i].richtig),
              std::tuple(s->liste.rows[i].ID, s->liste.rows[i].Name, erwartet(i).richtig)) << i;
  // The damaged copy keeps its file's title as the name.
  EXPECT_EQ(e.schueler[2].name, QFileInfo(s->liste.rows[7].Dateiname).completeBaseName());
  EXPECT_EQ(e.schueler[2].zustand, AbgabeZustand::NichtLesbar);
}

TEST_F(Ergebnisse, CommandLinePrintsTheSameFigures) {
  QString out, err;
  QTextStream o(&out), e(&err);
  const QString csv = s->out.filePath("cli.csv");
  ASSERT_EQ(runCli({"ergebnisse", s->listFile, "--uebung", s->master, "--csv", csv}, o, e), 0) << err.toStdString();
  QStringList keys = {"\"uebung\"", "\"luecken\"", "\"schueler\"", "\"id\"", "\"name\"", "\"datei\"", "\"zustand\"",
                      "\"richtig\"", "\"falsch\"", "\"leer\"", "\"versuche\"", "\"antworten\"", "\"je_luecke\"", "\"nummer\""};
  for (int i = 1; i < keys.size(); ++i) EXPECT_LT(out.indexOf(keys[i - 1]), out.indexOf(keys[i])) << keys[i].toStdString();
  const QJsonObject j = QJsonDocument::fromJson(out.toUtf8()).object();
  EXPECT_EQ(j["luecken"].toInt(), 4);
  const QJsonArray a = j["schueler"].toArray();
  ASSERT_EQ(a.size(), 30);
  // Two pupils in full (a finished copy whose answers hold quotes and the
  // table's separator, a missing copy); the core's test checks every row.
  for (const auto& [row, rest] : {std::pair{1, R"({"antworten":["reisten","mühlsee","'gab'","%9; E"],"falsch":3,)"
                                                  R"("leer":0,"richtig":1,"versuche":4,"zustand":"fertig"})"},
                                  {5, R"({"antworten":[],"falsch":0,"leer":0,"richtig":0,"versuche":0,)"
                                      R"("zustand":"nicht abgegeben"})"}}) {
    QJsonObject p = a[row].toObject();
    EXPECT_EQ(QStringList({p.take("id").toString(), p.take("name").toString(), p.take("datei").toString()}),
              QStringList({s->liste.rows[row].ID, s->liste.rows[row].Name, s->liste.rows[row].Dateiname}));
    EXPECT_EQ(QString::fromUtf8(QJsonDocument(p).toJson(QJsonDocument::Compact)), u8(rest)) << row;
  }
  for (int k = 0; k < 4; ++k) {
    const QJsonObject l = j["je_luecke"].toArray()[k].toObject();
    EXPECT_EQ(QList<int>({l["nummer"].toInt(), l["richtig"].toInt(), l["falsch"].toInt(), l["leer"].toInt()}),
              QList<int>({k + 1}) + kJeLuecke[k]);
  }
  EXPECT_TRUE(QFile::exists(csv));
  // Wrong calls: no master, a document that is no exercise, a missing list.
  // A list saved by a Linux editor (UTF-8 without a byte-order mark).
  qvtest::writeFile(s->out.filePath("utf8.txt"), u8("Müller, Jürgen;;").toUtf8() + s->liste.rows[0].Dateiname.toUtf8() + "\n");
  QString out8;
  QTextStream o8(&out8);
  ASSERT_EQ(runCli({"ergebnisse", s->out.filePath("utf8.txt"), "--uebung", s->master}, o8, e), 0);
  EXPECT_EQ(QJsonDocument::fromJson(out8.toUtf8())["schueler"][0]["name"].toString(), u8("Müller, Jürgen"));
  for (const auto& [args, rc] : QList<std::pair<QStringList, int>>{{{"ergebnisse", s->listFile}, 1},
                                                                  {{"ergebnisse", s->listFile, "--uebung", csv}, 2},
                                                                  {{"ergebnisse", "fehlt.txt", "--uebung", s->master}, 2}})
    EXPECT_EQ(runCli(args, o, e), rc) << args.join(' ').toStdString();
}

TEST_F(Ergebnisse, WindowShowsTheFiguresSortsAndKeepsTheSharesLast) {
  frmErgebnisse w;
  ASSERT_TRUE(w.waehleUebung(s->master));
  ASSERT_TRUE(w.waehleListe(s->listFile));  // the figures themselves: the core's test
  QAbstractItemModel* m = w.tabelle()->model();
  ASSERT_EQ(std::tuple(m->rowCount(), m->columnCount()), std::tuple(31, 12));
  auto zelle = [m](int r, int c, int role = Qt::DisplayRole) { return m->index(r, c).data(role); };
  EXPECT_EQ(zelle(1, 2).toString(), "fertig");
  EXPECT_EQ(zelle(1, 7).toString(), "25");
  EXPECT_EQ(zelle(1, 9, Qt::BackgroundRole).value<QColor>(), farbe::kFalsch);
  EXPECT_EQ(zelle(1, 9, Qt::ToolTipRole).toString(), u8("Lücke 2: \u201Emühlsee\u201C"));
  w.resize(1100, 700);
  w.show();
  EXPECT_TRUE(qvtest::cutTexts(&w).isEmpty()) << qvtest::cutTexts(&w).join('\n').toStdString();
  w.tabelle()->scrollToBottom();  // the long name in view
  const QAbstractItemView* grid = w.tabelle();
  for (int c = 0; c < 8; ++c) EXPECT_GE(w.tabelle()->columnWidth(c), grid->sizeHintForColumn(c)) << c;
  EXPECT_TRUE(qvtest::saveScreenshot(&w, "ergebnisse"));
  for (Qt::SortOrder order : {Qt::DescendingOrder, Qt::AscendingOrder}) {
    w.tabelle()->sortByColumn(3, order);  // "Richtig", as numbers
    EXPECT_EQ(zelle(0, 3).toString(), order == Qt::DescendingOrder ? "4" : "");
  }
  // The last row holds shares of right answers only, as its label says.
  QStringList anteil;
  for (int c = 1; c < 10; ++c) anteil << zelle(30, c).toString();
  EXPECT_EQ(anteil, QStringList({"Anteil richtig (%)", "27 gezählt", "", "", "", "", "44", "59", "22"}));
  // A pupil's row in the PDF on one line: no figure is broken; the window
  // tells the pages as they are written.
  QString gesehen;
  QTimer::singleShot(0, &w, [&] { gesehen = w.stand()->text(); });
  s->ui.answerSaveFile(s->out.filePath("fenster"));
  EXPECT_TRUE(w.alsPdf());
  EXPECT_EQ(gesehen, "Seite 1 von 2 wird geschrieben ...");
  EXPECT_EQ(s->ui.shown().last().file.initialFolder, s->out.path());  // the master's, nothing remembered yet
  const QString pdf = qvtest::pdfText(s->out.filePath("fenster.pdf"), 0, {"-layout"});
  EXPECT_TRUE(pdf.contains(QRegularExpression(u8("Müller, Kind 1 +fertig +4 +0 +0 +4 +100 "))) && pdf.contains("andere") &&
              pdf.contains("Anteil richtig")) << pdf.toStdString();
  // The next window proposes this master and list, kept with the folders.
  EXPECT_EQ(lastfolder::stored("Ergebnisse/Kopien").toString(), s->listFile);
  frmErgebnisse w2;
  const auto felder = w2.findChildren<QLineEdit*>();
  EXPECT_EQ(std::tuple(felder[0]->text(), felder[1]->text()), std::tuple(s->master, s->listFile));
  EXPECT_TRUE(w2.auswerten() && w2.uebersicht().schueler.size() == 30);
}

TEST_F(Ergebnisse, CopiesOfOtherWordProcessorsAreJudgedAndDamagedOnesGiveTheirReason) {
  const auto v = LeseVorlage(s->master);
  ASSERT_TRUE(v);
  QTemporaryDir d;
  const QList<std::pair<Layout, const char*>> formen = {
      {Layout::WordRtf, "1_word.rtf"}, {Layout::LibreRtf, "2_libre.doc"}, {Layout::Docx, "3_word.docx"}, {Layout::Odt, "4_libre.odt"}};
  for (const auto& [layout, name] : formen) ASSERT_NO_FATAL_FAILURE(fremdeKopie(layout, v->guid, d.filePath(name)));
  // Damaged: cut off, a field without its end, a gap lost, the binary format.
  const QByteArray rtf = qvtest::readFile(s->liste.rows[0].Dateiname);
  qvtest::writeFile(d.filePath("5_abgeschnitten.doc"), rtf.left(3000));
  qvtest::writeFile(d.filePath("6_ohne-luecke.rtf"), QByteArray(rtf).replace("Gap_4", "Gap_9"));
  qvtest::writeFile(d.filePath("7_alt.doc"), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, 0));
  fremdeKopie(Layout::Odt, v->guid, d.filePath("8_kurz.odt"), 3);
  // Parts of the good ODT and DOCX, damaged.
  auto teil = [&d](const char* datei, const char* name) {
    QuaZip zip(d.filePath(datei));
    zip.open(QuaZip::mdUnzip);
    zip.setCurrentFile(name);
    QuaZipFile f(&zip);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  };
  const QByteArray content = teil("4_libre.odt", "content.xml"), xml = teil("3_word.docx", "word/document.xml");
  packe(d.filePath("94.odt"), {{"content.xml", content.left(content.size() - 40)}});
  packe(d.filePath("95.odt"), {{"content.xml", QByteArray(content).replace("<field:fieldmark-end/>", "")}});
  packe(d.filePath("91_ohne-ende.docx"), {{"word/document.xml", QByteArray(xml).replace("w:fldCharType=\"end\"", "x=\"\"")}});
  packe(d.filePath("92_abgeschnitten.docx"), {{"word/document.xml", xml.left(300)}});
  qvtest::writeFile(d.filePath("93_kaputt.docx"), qvtest::readFile(d.filePath("3_word.docx")).left(200));
  const auto vorher = qvtest::ordnerStand(d.path());
  const ErgebnisUebersicht e = WerteAus(*v, EinsendungenAusOrdner(d.path(), s->master));
  EXPECT_EQ(qvtest::ordnerStand(d.path()), vorher) << "a copy was changed";
  ASSERT_EQ(e.schueler.size(), 13);
  for (int i = 0; i < 4; ++i) {
    const SchuelerErgebnis& r = e.schueler[i];
    EXPECT_EQ(std::tuple(r.name, ZustandText(r.zustand), r.richtig, r.falsch, r.leer, r.versuche, r.antworten),
              std::tuple(kFremdName, QString("in Arbeit"), 2, 1, 1, 3, kFremdAntworten)) << i;
  }
  const QStringList gruende = {u8("abgeschnitten"), u8("nur 3 von 4 Lücken"), u8("im Word-97-Format gespeichert"),
                               u8("nur 3 von 4 Lücken"), u8("kein Ende"), u8("abgeschnitten"), u8("ZIP"),
                               u8("abgeschnitten"), u8("kein Ende")};
  for (int i = 4; i < 13; ++i)
    EXPECT_TRUE(e.schueler[i].zustand == AbgabeZustand::NichtLesbar && e.schueler[i].grund.contains(gruende[i - 4]))
        << i << " " << e.schueler[i].datei.toStdString() << ": " << e.schueler[i].grund.toStdString();
  // The reason in the window's tool tip and the command line's JSON.
  frmErgebnisse w;
  ASSERT_TRUE(w.waehleUebung(s->master) && w.waehleOrdner(d.path()));
  EXPECT_EQ(w.tabelle()->model()->index(6, 2).data(Qt::ToolTipRole).toString(), u8("im Word-97-Format gespeichert"));
  QString out, err;
  QTextStream o(&out), x(&err);
  ASSERT_EQ(runCli({"ergebnisse", d.path(), "--uebung", s->master}, o, x), 0);
  EXPECT_TRUE(out.contains(u8(R"("zustand": "nicht lesbar", "richtig": 0, "falsch": 0, "leer": 0, "versuche": 0, )"
                              R"("antworten": [], "grund": "im Word-97-Format gespeichert"})"))) << out.toStdString();
  // Two files of one pupil: the newer counts, and the row says so.
  QTemporaryDir zwei;
  QFile::copy(s->liste.rows[2].Dateiname, zwei.filePath("07_alt.doc"));
  QFile::copy(d.filePath("4_libre.odt"), zwei.filePath("07_neu.odt"));
  QFile alt(zwei.filePath("07_alt.doc"));
  alt.open(QIODevice::ReadWrite);
  alt.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
  const auto beide = WerteAus(*v, EinsendungenAusOrdner(zwei.path(), s->master)).schueler;
  ASSERT_EQ(beide.size(), 1);
  EXPECT_EQ(std::tuple(beide[0].id, beide[0].richtig, beide[0].hinweis),
            std::tuple(QString("07"), 2, u8("2 Dateien dieses Schülers, die neueste zählt; nicht gezählt: 07_alt.doc")));
  // A list counts the copy it names, not a newer file of another class's
  // pupil with the same ID in a shared folder.
  qvtest::writeFile(zwei.filePath("liste.txt"), "Kind;;07_alt.doc\r\n");
  EXPECT_EQ(EinsendungenAusListe(zwei.filePath("liste.txt"))->value(0).datei, zwei.filePath("07_alt.doc"));
  // The list names the .doc, the pupil handed in only an ODT of it.
  qvtest::writeFile(zwei.filePath("liste.txt"), "Kind;;07_neu.doc\r\n");
  EXPECT_TRUE(QFile::remove(zwei.filePath("07_alt.doc")) &&
              WerteAus(*v, *EinsendungenAusListe(zwei.filePath("liste.txt"))).schueler.value(0).richtig == 2);
  QString grund;  // a zip entry is read into memory of its own size, not of the size limit
  EXPECT_LT(form::ZipMembers(qvtest::readFile(d.filePath("4_libre.odt")), {"content.xml"}, &grund)->at("content.xml").capacity(),
            2 * content.size() + 4096);
}

// "% richtig" rounds, per pupil, per gap and for the class (2 of 3 is 67).
TEST(ErgebnisProzent, RoundsWithThreeAndSevenGaps) {
  for (const auto& [luecken, richtig, zeilen] :
       QList<std::tuple<int, QList<int>, QStringList>>{{3, {2, 2, 1}, {"67", "67", "33", "56;100;67;0"}},
                                                       {7, {2, 4, 5}, {"29", "57", "71", "52;100;100;67;67;33;0;0"}}}) {
    ErgebnisUebersicht e;
    e.luecken = luecken;
    for (int k = 0; k < luecken; ++k) e.jeLuecke << LueckenStatistik{k + 1, 0, 0, 0, "x"};
    for (int r : richtig) {
      SchuelerErgebnis p;
      p.zustand = AbgabeZustand::InArbeit;
      p.richtig = r;
      p.leer = luecken - r;
      for (int k = 0; k < luecken; ++k) {
        p.wertungen << (k < r ? LueckenWertung::Richtig : LueckenWertung::Leer);
        p.antworten << (k < r ? "x" : "");
        ++(k < r ? e.jeLuecke[k].richtig : e.jeLuecke[k].leer);
      }
      e.schueler << p;
    }
    const QStringList lines = ErgebnisTabelle(e).split("\r\n", Qt::SkipEmptyParts);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lines[i + 1].section(';', 7, 7), zeilen[i]) << luecken;
    EXPECT_EQ(lines[4].section(';', 7), zeilen[3]) << luecken;
  }
}

// Pupils fill their copies in LibreOffice, driven through its scripting
// interface, and save them as RTF under the copy's own name, as ODT and
// DOCX beside it, and as Word 97; one stays untouched.
TEST_F(Ergebnisse, CopiesFilledInLibreOfficeShowThePattern) {
  const QString soffice = QFileInfo(qvtest::soffice()).canonicalFilePath(), python = "/usr/bin/python3";
  const QString pipe = "qvtest" + QString::number(QCoreApplication::applicationPid());
  auto lauf = [&python](const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(python, args);
    p.waitForFinished(600000);
    return std::pair(p.exitCode(), QString::fromLocal8Bit(p.readAll()));
  };
  if (soffice.isEmpty() || lauf({"-c", "import uno"}).first != 0)
    GTEST_SKIP() << "LibreOffice or python3-uno is not installed";
  QTemporaryDir d;
  // The class handed out from the command line.
  QString list, out, err;
  for (int i = 1; i <= 6; ++i) list += QStringLiteral("Kind %1\r\n").arg(i);
  qvtest::writeFile(d.filePath("import.txt"), textfile::encode(list));
  QTextStream o(&out), x(&err);
  ASSERT_EQ(runCli({"verteilen", d.filePath("import.txt"), "--uebung", s->master, "--ziel", d.path()}, o, x), 0)
      << err.toStdString();
  QStringList dateien, zeilen;
  for (const auto& v : QJsonDocument::fromJson(out.toUtf8()).object()["kopien"].toArray()) {
    const QJsonObject k = v.toObject();
    dateien << k["datei"].toString();
    zeilen << k["name"].toString() + ";" + d.path() + ";" + dateien.last() + ";";
  }
  ASSERT_EQ(dateien.size(), 6) << out.toStdString();
  textfile::writeLines(d.filePath("klasse.txt"), zeilen);
  // Per pupil: the format, where it goes, the answers to gaps 1 to 4.
  const QList<std::tuple<const char*, const char*, QStringList>> muster = {
      {"Rich Text Format", ".doc", {"fuhren", u8("Mühlsee"), "gibt", ""}},
      {"writer8", ".odt", {"reisten", u8("mühlsee"), "gab", "Eis"}},
      {"MS Word 2007 XML", ".docx", {"", u8("Mühlsee"), "", "Eis"}},
      {"MS Word 97", ".doc", {"fahren", "Muehlsee", "gab", "Eis"}},
      {nullptr, "", {}},
      {"Rich Text Format", ".doc", {"fuhren", u8("Mühlsee"), "gab", "Eis"}}};
  QJsonArray auftrag;
  for (int i = 0; i < 6; ++i) {
    const auto& [filter, endung, antworten] = muster[i];
    if (!filter) continue;
    QJsonObject a;
    for (int k = 0; k < 4; ++k) a[QString::number(k + 1)] = antworten[k];
    const QString ein = dateien[i];
    auftrag.append(QJsonObject{{"ein", ein}, {"filter", filter}, {"antworten", a},
                               {"aus", QFileInfo(ein).dir().filePath(QFileInfo(ein).completeBaseName() + endung)}});
  }
  qvtest::writeFile(d.filePath("auftrag.json"), QJsonDocument(auftrag).toJson());
  // The office itself, not its starter, so that its ID is the one to end;
  // a first run makes its profile (it would restart itself after that).
  const QString bin = QFileInfo(soffice).dir().filePath("soffice.bin");
  const QStringList profil = {"-env:UserInstallation=file://" + d.filePath("profil"), "--headless", "--norestore"};
  QProcess::execute(bin, profil + QStringList{"--terminate_after_init"});
  QProcess office;
  office.start(bin, profil + QStringList{"--accept=pipe,name=" + pipe + ";urp;"});
  ASSERT_TRUE(office.waitForStarted());
  const auto [rc, log] = lauf({QV_SOURCE_DIR "/tests/students/lo_ausfuellen.py", pipe, d.filePath("auftrag.json")});
  if (!office.waitForFinished(20000)) ::kill(static_cast<pid_t>(office.processId()), SIGKILL);
  ASSERT_EQ(rc, 0) << log.toStdString();
  const auto vorher = qvtest::ordnerStand(d.path());
  const ErgebnisUebersicht e = WerteAus(*LeseVorlage(s->master), *EinsendungenAusListe(d.filePath("klasse.txt")));
  EXPECT_EQ(qvtest::ordnerStand(d.path()), vorher) << "a copy was changed";
  const QList<QList<int>> zahlen = {{2, 1, 1, 3}, {3, 1, 0, 4}, {2, 0, 2, 2}, {2, 2, 0, 4}, {0, 0, 4, 0}, {4, 0, 0, 4}};
  ASSERT_EQ(e.schueler.size(), 6) << log.toStdString();
  for (int i = 0; i < 6; ++i) {
    const SchuelerErgebnis& r = e.schueler[i];
    EXPECT_EQ(QList<int>({r.richtig, r.falsch, r.leer, r.versuche}), zahlen[i])
        << i << " " << r.datei.toStdString() << " " << r.grund.toStdString() << log.toStdString();
    EXPECT_EQ(r.name, QStringLiteral("Kind %1").arg(i + 1));
  }
  frmErgebnisse w;
  ASSERT_TRUE(w.waehleUebung(s->master) && w.waehleListe(d.filePath("klasse.txt")));
  EXPECT_EQ(w.tabelle()->model()->index(6, 7).data().toString(), "54");  // the class's share: 325 / 6
  // LibreOffice's RTF opens as an exercise: every gap a field again.
  engine::Application* app = engine::Application::create();
  engine::Document* doc = app->openDocument(dateien[0]);
  ASSERT_NE(doc, nullptr);
  for (int k = 1; k <= 4; ++k) EXPECT_NE(doc->formField(QStringLiteral("Gap_%1").arg(k)), nullptr) << k;
  // LibreOffice drops the control characters of the scrambled solutions.
  // With no master of the copy's GUID known, nothing is judged and the
  // pupil is told once; the gaps' macros come back all the same.
  qvtest::Env env{{"QV_PROGRAM_FOLDER", d.path().toUtf8()}};
  lastfolder::store(lastfolder::kLetzteVorlage, QString());
  s->ui.clear();
  app->run("Document_Open", doc);
  EXPECT_EQ(s->ui.messageTexts(), QStringList{u8("Die Lösungen dieser Kopie sind beim Speichern in einem anderen "
                                                 "Programm verloren gegangen. Die Lücken können nicht geprüft werden.")});
  EXPECT_EQ(doc->formField("Gap_4")->form.exitMacro, "Lost_Focus");
  EXPECT_EQ(qvtest::answer(*doc, 2, u8("Mühlsee")), "");
  EXPECT_EQ(s->ui.messageTexts().size(), 1);
  // The master the student list hands out has that GUID: the solutions come
  // back from it, and saving writes them in our own layout.
  textfile::writeLines(d.filePath("Vodedarivo.ini"), {d.path() + ";" + s->master});
  engine::Document* wieder = app->openDocument(dateien[5]);
  ASSERT_NE(wieder, nullptr);
  app->run("Document_Open", wieder);
  EXPECT_EQ(qvtest::answer(*wieder, 2, u8("Mühlsee")), u8("Lücke 2: richtig"));
  EXPECT_EQ(qvtest::answer(*wieder, 3, "gibt"), u8("Lücke 3: falsch"));
  EXPECT_EQ(s->ui.messageTexts().size(), 1);
  ASSERT_TRUE(wieder->saveAs(d.filePath("gespeichert.doc")));
  const QByteArray gespeichert = qvtest::readFile(d.filePath("gespeichert.doc"));
  EXPECT_TRUE(gespeichert.contains("{\\*\\ffname Gap_4}") && !gespeichert.contains("bkmkstart Gap_"));
  EXPECT_EQ(form::Read(gespeichert).content->variable("LSTDET"),
            form::Read(qvtest::readFile(s->master)).content->variable("LSTDET"));
  app->quit();
}
