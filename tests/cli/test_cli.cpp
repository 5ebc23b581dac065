#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/testutil.h"
#include "cli/cli.h"

using qvtest::fixture;

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
  r = cli({"--help"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_TRUE(r.out.contains("vodedarivo luecken MAPPE.qbm NUMMER"));
}
