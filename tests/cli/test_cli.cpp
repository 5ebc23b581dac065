#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "platform/docmodel.h"
#include "cli/cli.h"

using qvtest::fixture;
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

QJsonObject sample() {
  return QJsonDocument::fromJson(qvtest::readFile(fixture("klassenfahrt.json"))).object();
}

}  // namespace

TEST(Cli, BlaetterListsTakenWorksheetsInOrder) {
  const CliRun r = cli({"blaetter", fixture("klassenfahrt.qbm")});
  ASSERT_EQ(r.rc, 0) << r.err.toStdString();
  // Keys come in the documented order.
  EXPECT_LT(r.out.indexOf("\"mappe\""), r.out.indexOf("\"text\""));
  EXPECT_LT(r.out.indexOf("\"text\""), r.out.indexOf("\"arbeitsblaetter\""));
  const QJsonObject o = parse(r.out);
  EXPECT_EQ(o.value("mappe").toString(), fixture("klassenfahrt.qbm"));
  const QJsonObject s = sample();
  EXPECT_EQ(o.value("text").toString(), s.value("Text").toArray().at(0).toObject().value("TextTXT").toString());
  const QJsonArray a = o.value("arbeitsblaetter").toArray();
  const QJsonArray ids = s.value("expected").toObject().value("worksheets_taken").toArray();
  ASSERT_EQ(a.size(), ids.size());
  for (qsizetype k = 0; k < a.size(); ++k) {
    const QJsonObject e = a[k].toObject();
    EXPECT_EQ(e.value("nummer").toInt(), k + 1);
    EXPECT_EQ(e.value("id").toInt(), ids[k].toInt());
    for (const auto& rec : s.value("Arbeitsblatt").toArray())
      if (rec.toObject().value("ID").toInt() == ids[k].toInt()) {
        EXPECT_EQ(e.value("caption").toString(), rec.toObject().value("Caption").toString());
        EXPECT_EQ(e.value("uebungstyp").toInt(), rec.toObject().value("Uebungstyp").toInt());
        EXPECT_EQ(e.value("details").toString(), rec.toObject().value("Details").toString());
      }
  }
}

TEST(Cli, BlaetterWithoutTextTableGivesNullText) {
  const CliRun r = cli({"blaetter", fixture("ohne-text-tabelle.qbm")});
  ASSERT_EQ(r.rc, 0);
  const QJsonObject o = parse(r.out);
  EXPECT_TRUE(o.value("text").isNull());
  EXPECT_EQ(o.value("arbeitsblaetter").toArray().size(), 2);
}

TEST(Cli, LueckenMatchTheSampleRowsForEveryWorksheet) {
  const QJsonObject s = sample();
  const QJsonArray ids = s.value("expected").toObject().value("worksheets_taken").toArray();
  for (qsizetype k = 0; k < ids.size(); ++k) {
    const CliRun r = cli({"luecken", fixture("klassenfahrt.qbm"), QString::number(k + 1)});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QJsonObject o = parse(r.out);
    QJsonArray expected;
    for (const auto& rec : s.value("Arbeitsblatt").toArray())
      if (rec.toObject().value("ID").toInt() == ids[k].toInt()) expected = rec.toObject().value("zeilen").toArray();
    EXPECT_EQ(o.value("zeilen").toArray(), expected) << "worksheet " << k + 1;
    const QJsonArray l = o.value("luecken").toArray();
    ASSERT_EQ(l.size(), expected.size());
    EXPECT_EQ(l[0].toObject().keys().size(), 5);
    EXPECT_EQ(l[0].toObject().value("anfang").toInt(), expected[0].toString().left(5).toInt());
  }
}

TEST(Cli, Type103GapKindComesFromTheWorksheetText) {
  const CliRun r = cli({"luecken", fixture("klassenfahrt.qbm"), "2"});
  ASSERT_EQ(r.rc, 0);
  const QJsonObject first = parse(r.out).value("luecken").toArray().at(0).toObject();
  EXPECT_EQ(first.value("inhalt").toString(), "Kinder");
  EXPECT_EQ(first.value("loesung").toString(), "der");  // gap at the end of the word
}

TEST(Cli, Type301DroppedRowsAreANoteOnStderr) {
  const CliRun r = cli({"luecken", fixture("klassenfahrt.qbm"), "4"});
  ASSERT_EQ(r.rc, 0);
  EXPECT_TRUE(r.err.contains("2 Wort/Wörter")) << r.err.toStdString();
  EXPECT_EQ(parse(r.out).value("luecken").toArray().size(), 10);
}

TEST(Cli, ErrorsAndExitCodes) {
  CliRun r = cli({"blaetter", fixture("falsches-passwort.qbm")});
  EXPECT_EQ(r.rc, 2);
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_TRUE(r.err.contains(QString::fromUtf8("Fehler beim Öffnen")));
  r = cli({"blaetter", fixture("nur-ungeeignete.qbm")});
  EXPECT_EQ(r.rc, 2);
  EXPECT_TRUE(r.err.contains(QString::fromUtf8("Kein Arbeitsblatt zur Erstellung interaktiver Übungen gefunden")));
  EXPECT_EQ(cli({"luecken", fixture("klassenfahrt.qbm"), "7"}).rc, 1);
  EXPECT_EQ(cli({"luecken", fixture("klassenfahrt.qbm"), "0"}).rc, 1);
  EXPECT_EQ(cli({"luecken", fixture("klassenfahrt.qbm"), "zwei"}).rc, 1);
  EXPECT_EQ(cli({"luecken", fixture("kaputte-datenbank.qbm"), "1"}).rc, 2);
  EXPECT_EQ(cli({"blaetter"}).rc, 1);
  EXPECT_EQ(cli({"weg"}).rc, 1);
  EXPECT_EQ(cli({}).rc, 1);
  EXPECT_EQ(cli({"html", fixture("klassenfahrt.qbm"), "1", "--wortliste", "5"}).rc, 1);
  // Type 104 offers no base-form options.
  EXPECT_EQ(cli({"html", fixture("klassenfahrt.qbm"), "3", "--wortliste", "3"}).rc, 1);
  EXPECT_EQ(cli({"html", fixture("klassenfahrt.qbm")}).rc, 1);
  EXPECT_EQ(cli({"html", fixture("klassenfahrt.qbm"), "1", "--farbe", "rot"}).rc, 1);
  EXPECT_EQ(cli({"doc", fixture("klassenfahrt.qbm"), "1", "--pdf"}).rc, 1);
  EXPECT_EQ(cli({"doc", fixture("klassenfahrt.qbm"), "4", "--wortliste", "1"}).rc, 1);  // type 301
  EXPECT_EQ(cli({"doc", fixture("keine-zip-datei.qbm"), "1"}).rc, 2);
  r = cli({"--help"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_TRUE(r.out.contains("vodedarivo luecken MAPPE.qbm NUMMER"));
  EXPECT_TRUE(r.out.contains("vodedarivo doc MAPPE.qbm NUMMER [--wortliste 1|2|3|4] [--ohne-loesung]"));
}

TEST(Cli, DocWritesTheFormDocumentAndItsPdf) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  // Without the template nothing can be built.
  {
    QTemporaryDir empty;
    qputenv("QV_TEMPLATES_DIR", empty.path().toUtf8());
    const CliRun r = cli({"doc", fixture("klassenfahrt.qbm"), "1"});
    EXPECT_EQ(r.rc, 3);
    EXPECT_TRUE(r.err.contains(u8("Die Wordvorlage Quillbee_Interaktiv_V2.dot wurde nicht gefunden!"))) << r.err.toStdString();
    qunsetenv("QV_TEMPLATES_DIR");
  }
  qvtest::TemplateFolder templates;
  CliRun r = cli({"doc", fixture("klassenfahrt.qbm"), "1", "--pdf", "blatt.pdf"});
  ASSERT_EQ(r.rc, 0) << r.err.toStdString();
  // The question about alternatives is answered "Nein"; the caption names
  // the file.
  EXPECT_TRUE(r.err.contains(u8("Frage: Sollen auch alternative Lösungen definiert werden? Antwort: Nein")));
  EXPECT_TRUE(r.err.contains(u8("Es wurde eine Lückenübung mit 10 Lücken erstellt")));
  qv::RichDocument d;
  ASSERT_TRUE(d.readRtf(qvtest::readFile(dir.filePath("Verben in der Vergangenheit.doc"))));
  EXPECT_EQ(d.variable("INTDIFF").value_or(QString()), "3");  // the dialog's preselection for type 101
  EXPECT_FALSE(d.variable("LSTDET").value_or(QString()).isEmpty());
  EXPECT_EQ(d.protection().type, qv::ProtectionType::FormFields);
  EXPECT_TRUE(qvtest::readFile(dir.filePath("blatt.pdf")).startsWith("%PDF"));
  ASSERT_EQ(cli({"doc", fixture("klassenfahrt.qbm"), "1", "--ohne-loesung", "--wortliste=4", "-o", "ohne.doc"}).rc, 0);
  ASSERT_TRUE(d.readRtf(qvtest::readFile(dir.filePath("ohne.doc"))));
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
