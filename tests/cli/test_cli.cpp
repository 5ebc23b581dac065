#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "platform/docengine.h"
#include "platform/docmodel.h"
#include "cli/cli.h"
#include "platform/filehelper.h"
#include "students/ergebnisse.h"
#include "word/uebungsmakros.h"

using qvtest::fixture;
using qvtest::sample;
using qvtest::u8;

namespace {

struct CliRun {
  int rc;
  QString out, err;
};

CliRun cli(const QStringList& args) {
  QString out, err;
  QTextStream o(&out), e(&err);
  const int rc = qv::runCli(args, o, e);
  return {rc, out, err};
}

QJsonObject parse(const QString& s) {
  QJsonParseError pe;
  const QJsonDocument d = QJsonDocument::fromJson(s.toUtf8(), &pe);
  EXPECT_EQ(pe.error, QJsonParseError::NoError) << pe.errorString().toStdString();
  return d.object();
}

}  // namespace

TEST(Cli, BlaetterListsTakenWorksheetsInOrder) {
  const CliRun r = cli({"blaetter", fixture("klassenfahrt.qbm")});
  ASSERT_EQ(r.rc, 0) << r.err.toStdString();
  // Keys come in the documented order.
  EXPECT_LT(r.out.indexOf("\"mappe\""), r.out.indexOf("\"text\""));
  EXPECT_LT(r.out.indexOf("\"text\""), r.out.indexOf("\"arbeitsblaetter\""));
  const QJsonObject o = parse(r.out);
  const QJsonObject s = sample();
  EXPECT_EQ(o.value("text").toString(), s.value("Text").toArray().at(0).toObject().value("TextTXT").toString());
  const QJsonArray a = o.value("arbeitsblaetter").toArray();
  const QJsonArray ids = s.value("expected").toObject().value("worksheets_taken").toArray();
  ASSERT_EQ(a.size(), ids.size());
  for (qsizetype k = 0; k < a.size(); ++k) {
    const QJsonObject e = a[k].toObject(), rec = qvtest::sampleRecord(ids[k].toInt());
    EXPECT_EQ((QJsonArray{e["nummer"], e["id"], e["caption"], e["uebungstyp"], e["details"]}),
              (QJsonArray{k + 1, rec["ID"], rec["Caption"], rec["Uebungstyp"], rec["Details"]})) << k;
  }
  // Without a text table the text is null.
  const CliRun ohne = cli({"blaetter", fixture("ohne-text-tabelle.qbm")});
  ASSERT_EQ(ohne.rc, 0);
  EXPECT_TRUE(parse(ohne.out).value("text").isNull());
}

TEST(Cli, LueckenMatchTheSampleRowsForEveryWorksheet) {
  const QJsonArray ids = sample().value("expected").toObject().value("worksheets_taken").toArray();
  for (qsizetype k = 0; k < ids.size(); ++k) {
    SCOPED_TRACE(k + 1);
    const CliRun r = cli({"luecken", fixture("klassenfahrt.qbm"), QString::number(k + 1)});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QJsonObject o = parse(r.out);
    const QJsonArray expected = qvtest::sampleRecord(ids[k].toInt()).value("zeilen").toArray();
    EXPECT_EQ(o.value("zeilen").toArray(), expected);
    const QJsonArray l = o.value("luecken").toArray();
    ASSERT_EQ(l.size(), expected.size());
    const QJsonObject first = l[0].toObject();
    EXPECT_EQ(first.keys().size(), 5);
    EXPECT_EQ(first["anfang"].toInt(), expected[0].toString().left(5).toInt());
    // Type 103: the gap kind comes from the worksheet text, here the word's end.
    if (k + 1 == 2) {
      EXPECT_EQ(first["inhalt"].toString() + "|" + first["loesung"].toString(), "Kinder|der");
    }
    // Type 301: dropped rows are a note on stderr.
    EXPECT_EQ(r.err.contains(u8("2 Wort/Wörter")), k + 1 == 4) << r.err.toStdString();
  }
}

TEST(Cli, ErrorsAndExitCodes) {
  const QString k = fixture("klassenfahrt.qbm");
  const struct {
    QStringList args;
    int rc;
  } cases[] = {
      {{"luecken", k, "7"}, 1}, {{"luecken", k, "0"}, 1}, {{"luecken", k, "zwei"}, 1},
      {{"luecken", fixture("kaputte-datenbank.qbm"), "1"}, 2}, {{"blaetter"}, 1}, {{"weg"}, 1}, {{}, 1},
      {{"html", k, "1", "--wortliste", "5"}, 1},
      {{"html", k, "3", "--wortliste", "3"}, 1},  // type 104 offers no base-form options
      {{"html", k}, 1}, {{"html", k, "1", "--farbe", "rot"}, 1}, {{"doc", k, "1", "--pdf"}, 1},
      {{"doc", k, "4", "--wortliste", "1"}, 1},  // type 301
      {{"doc", fixture("keine-zip-datei.qbm"), "1"}, 2}, {{"blaetter", fixture("falsches-passwort.qbm")}, 2},
      {{"verteilen", k}, 1}, {{"verteilen", k, "--uebung", k, "--ueberschreiben", "ja"}, 1},
      {{"verteilen", k, "--uebung", k}, 2}, {{"verteilen", k, "--uebung", k, "--ziel", k}, 1}};
  for (const auto& c : cases) EXPECT_EQ(cli(c.args).rc, c.rc) << c.args.join(' ').toStdString();
  const CliRun r = cli({"--help"});
  EXPECT_TRUE(r.rc == 0 && r.out.contains("vodedarivo doc MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [--ohne-loesung]") &&
              r.out.contains("vodedarivo verteilen LISTE.txt --uebung UEBUNG.doc"));
  EXPECT_TRUE(r.out.contains("[--loesungsblatt DATEI.pdf]") && r.out.contains("[--papier DATEI.pdf]") &&
              cli({"--version"}).out.startsWith("vodedarivo (Quillbee-Vodedarivo) "));
  // A missing input file is named.
  EXPECT_EQ(cli({"luecken", "/nirgends/mappe.qbm", "1"}).err, "vodedarivo: Die Mappe \"/nirgends/mappe.qbm\" gibt es nicht\n");
  EXPECT_EQ(cli({"ergebnisse", "/tmp", "--uebung", "weg.doc"}).err, u8("vodedarivo: Die Übung \"weg.doc\" gibt es nicht\n"));
  // A file that cannot be written says why.
  EXPECT_TRUE(cli({"moodle", k, "1", "-o", "/nirgends/x.xml"}).err.endsWith(": nicht gefunden\n"));
}

TEST(Cli, DocWritesTheFormDocumentAndItsPdf) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  // Gaps that miss the text (the workbook has none, as in a fresh run):
  // refused, nothing written.
  qv::gTextTXT.clear();
  for (const char* befehl : {"doc", "html"})
    EXPECT_EQ(cli({befehl, fixture("ohne-text-tabelle.qbm"), "1"}).rc, 2) << befehl;
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
  // Without the template in the user's folder nor in the package's data
  // folder nothing can be built, and nothing is asked or reported as built
  // (the data folder's template: the builder's test).
  {
    QTemporaryDir empty;
    qvtest::Env env{{"QV_TEMPLATES_DIR", empty.path().toUtf8()}, {"QV_PROGRAM_FOLDER", empty.path().toUtf8()}};
    const CliRun r = cli({"doc", fixture("klassenfahrt.qbm"), "1"});
    EXPECT_EQ(r.rc, 3);
    EXPECT_TRUE(r.err.contains(u8("Die Wordvorlage Quillbee_Interaktiv_V2.dot wurde nicht gefunden!"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Frage:") || r.err.contains(u8("Es wurde eine Lückenübung"))) << r.err.toStdString();
  }
  qvtest::Umgebung env;
  CliRun r = cli({"doc", fixture("klassenfahrt.qbm"), "1", "--pdf", "blatt.pdf"});
  ASSERT_EQ(r.rc, 0) << r.err.toStdString();
  // The question about alternatives is answered "Nein" on stderr; the
  // caption names the file (protection and gap count: the builder's tests).
  EXPECT_TRUE(r.err.contains(u8("Frage: Sollen auch alternative Lösungen definiert werden? Antwort: Nein")));
  qv::RichDocument d;
  ASSERT_TRUE(d.readRtf(qvtest::readFile(dir.filePath("Verben in der Vergangenheit.doc"))));
  EXPECT_EQ(d.variable("INTDIFF").value_or(QString()), "3");  // the dialog's preselection for type 101
  EXPECT_FALSE(d.variable("LSTDET").value_or(QString()).isEmpty());
  EXPECT_TRUE(qvtest::readFile(dir.filePath("blatt.pdf")).startsWith("%PDF"));
  // The workbook named as typed, relative: the exercise names it in full.
  ASSERT_TRUE(QFile::copy(fixture("klassenfahrt.qbm"), "k.qbm"));
  ASSERT_EQ(cli({"doc", "k.qbm", "1", "--ohne-loesung", "--wortliste=4", "-o", "ohne.doc"}).rc, 0);
  ASSERT_TRUE(d.readRtf(qvtest::readFile(dir.filePath("ohne.doc"))));
  EXPECT_EQ(d.variable("ORIGINAL").value_or(QString()), dir.filePath("k.qbm"));
  EXPECT_TRUE(d.variable("LSTDET").value_or("x").isEmpty());
  EXPECT_EQ(d.variable("INTDIFF").value_or(QString()), "4");
  QDir::setCurrent(previous);
}

// The programs as built, started without any variable of ours: they find
// their data files in the build tree.
TEST(Cli, BuiltProgramsFindTheirDataFiles) {
  QTemporaryDir home;
  QProcess p;
  QProcessEnvironment env;
  env.insert("PATH", qEnvironmentVariable("PATH"));
  env.insert("HOME", home.path());
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(home.path());
  const QString bin = QStringLiteral(QV_BINARY_DIR "/bin/");
  p.start(bin + "vodedarivo", {"html", QStringLiteral(QV_SOURCE_DIR "/data/beispiel.qbm"), "1", "-o", "seite.html"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(qvtest::readFile(home.filePath("seite.html")).contains("Klassenfahrt"));
  // The installer, driven through a real X display when one can be made:
  // it copies the template into the user's templates folder, from which
  // "vodedarivo doc" then builds.
  const QString xvfb = QStandardPaths::findExecutable("xvfb-run"), xdotool = QStandardPaths::findExecutable("xdotool");
  if (xvfb.isEmpty() || xdotool.isEmpty()) GTEST_SKIP() << "xvfb-run oder xdotool fehlt";
  const QString script = QStringLiteral(
      "\"$1\" & pid=$!; for i in $(seq 50); do sleep 0.2; xdotool search --name Installation >/dev/null && break; done; "
      "for i in 1 2 3 4; do sleep 1; kill -0 $pid 2>/dev/null || break; xdotool key Return; done; wait $pid");
  p.start(xvfb, {"-a", "sh", "-c", script, "sh", bin + "Install"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_TRUE(QFile::exists(home.filePath(".local/share/Quillbee-Vodedarivo/Vorlagen/Quillbee_Interaktiv_V2.dot")))
      << p.readAllStandardError().toStdString();
  p.start(bin + "vodedarivo", {"doc", QStringLiteral(QV_SOURCE_DIR "/data/beispiel.qbm"), "1", "-o", "blatt.doc"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(QFile::exists(home.filePath("blatt.doc")));
}

// A class handed out by the command: a row without a folder and links in
// pupils' folders get no copy and nothing behind a link changes; existing
// copies stay unless replaced on request; --leeren empties a tried master.
TEST(Cli, VerteilenHandsOutAndReportsEachCopy) {
  qvtest::Umgebung env;
  QTemporaryDir dir;
  qv::InstallExerciseMacros();
  qv::engine::Document* doc = qvtest::makeExercise();
  qvtest::answer(*doc, 1, "fuhren");
  const QString master = dir.filePath("uebung.doc"), lehrer = dir.filePath("lehrer.doc"), liste = dir.filePath("l.txt");
  ASSERT_TRUE(doc->saveAs(master));
  qvtest::quitEngines();
  for (const char* k : {"k1", "k2", "k3", "k4"}) QDir(dir.path()).mkdir(k);
  const QString vorher = QDir::currentPath();  // a relative folder would be the working folder's
  QDir::setCurrent(dir.path());
  qvtest::writeFile(lehrer, "Lehrer");  // a teacher's file, and a link to it and a dangling one
  QFile::link(lehrer, dir.filePath("k2/3_Ben.doc")), QFile::link(dir.filePath("k3/weg.doc"), dir.filePath("k3/4_Cem.doc"));
  qvtest::writeFile(liste, "Ohne\r\nAnna;" + dir.filePath("k1").toUtf8() + ";;an\r\nBen;" + dir.filePath("k2").toUtf8() +
                               "\r\nCem;" + dir.filePath("k3").toUtf8() + "\r\nDora;k4\r\n");
  const auto ergebnisse = [](const CliRun& r) {
    QStringList e;
    for (const auto& k : parse(r.out).value("kopien").toArray())
      e << k.toObject().value("ergebnis").toString() + ":" + k.toObject().value("grund").toString();
    return e;
  };
  const QString link = u8(" ist eine Verknüpfung und wird nicht überschrieben");
  CliRun r = cli({"verteilen", liste, "--uebung", master});
  EXPECT_EQ(r.rc, 3) << r.err.toStdString();
  QDir::setCurrent(vorher);
  EXPECT_EQ(ergebnisse(r), QStringList({"geschrieben:", "fehler:3_Ben.doc" + link, "fehler:4_Cem.doc" + link,
                                        "fehler:kein Zielordner", "fehler:kein Zielordner"}));  // grid order, by name
  const QJsonObject anna = parse(r.out).value("kopien").toArray()[0].toObject();
  EXPECT_EQ(QJsonArray({anna["id"], anna["name"], anna["datei"]}), QJsonArray({"2", "Anna", dir.filePath("k1/2_Anna.doc")}));
  EXPECT_EQ(qv::AusgefuellteLuecken(anna["datei"].toString()).ausgefuellt, 1);  // kept without --leeren
  // The writer itself does not follow either link.
  EXPECT_FALSE(qv::files::saveWhole(dir.filePath("k2/3_Ben.doc"), "x") || qv::files::saveWhole(dir.filePath("k3/4_Cem.doc"), "x"));
  EXPECT_TRUE(qvtest::readFile(lehrer) == "Lehrer" && !QFile::exists(dir.filePath("k3/weg.doc")) && !QFile::exists("1_Ohne.doc") &&
              !QFile::exists(dir.filePath("k4/5_Dora.doc")));
  qvtest::writeFile(dir.filePath("k1/2_Anna.doc"), "alt");
  r = cli({"verteilen", liste, "--uebung", master, "--ziel", dir.filePath("k1")});
  EXPECT_EQ(std::tuple(ergebnisse(r)[0] + ergebnisse(r)[4], qvtest::readFile(dir.filePath("k1/2_Anna.doc"))),
            std::tuple("vorhanden:geschrieben:", "alt"));
  r = cli({"verteilen", liste, "--uebung", master, "--ueberschreiben", "immer", "--leeren"});
  EXPECT_EQ(std::tuple(ergebnisse(r)[0], qv::AusgefuellteLuecken(dir.filePath("k1/2_Anna.doc")).ausgefuellt),
            std::tuple("geschrieben:", 0));
}
