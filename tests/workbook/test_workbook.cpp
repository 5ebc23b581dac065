#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "common/testutil.h"
#include "platform/archive.h"
#include "platform/filehelper.h"
#include "platform/jetdb.h"
#include "platform/richeditor.h"
#include "common/scripted_ui.h"
#include "workbook/workbook.h"

using namespace qv;
using qvtest::fixture;
using qvtest::u8;

namespace {

using Fehler = MappenInhalt::Fehler;

QJsonObject klassenfahrtJson() {
  static const QJsonObject o =
      QJsonDocument::fromJson(qvtest::readFile(fixture(QStringLiteral("klassenfahrt.json")))).object();
  return o;
}

QJsonObject recordById(int id) {
  for (const auto& v : klassenfahrtJson().value("Arbeitsblatt").toArray())
    if (v.toObject().value("ID").toInt() == id) return v.toObject();
  return {};
}

QString sha256(const QByteArray& b) {
  return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex());
}

void expectRichText(const QByteArray& actual, const QJsonObject& expected, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(actual.size(), expected.value("length").toInt());
  EXPECT_EQ(actual.left(30).toHex(), expected.value("header_hex").toString().toLatin1());
  EXPECT_EQ(actual.mid(30), expected.value("rtf").toString().toLatin1());
  EXPECT_EQ(sha256(actual), expected.value("sha256").toString());
}

// The main window's tab strip, starting with the text tab.
struct FakeTabs : TabHost {
  QStringList captions{QStringLiteral("Text")};
  int tabCount() const override { return int(captions.size()); }
  void addTab(const QString& caption) override { captions.append(caption); }
};

// Every test of the loading starts from an empty program state and a private
// temporary folder, so that leftover files can be counted.
class Loading : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    oldTmp_ = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp_.path().toLocal8Bit());
    gMappenPfad.clear();
    gMappenKopie.clear();
    gArbeitsblaetter.clear();
    gTextTXT.clear();
    gTextRTF.clear();
  }
  void TearDown() override {
    RemoveWorkingCopy();
    gMappenKopie.clear();
    qputenv("TMPDIR", oldTmp_);
  }
  int tempFiles() const {
    return int(QDir(tmp_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size());
  }
  bool load(const QString& name) { return LadeArbeitsblaetter(tabs_, fixture(name)); }

  QTemporaryDir tmp_;
  QByteArray oldTmp_;
  FakeTabs tabs_;
  ScriptedInteraction ui_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Reading the sample workbook exactly

TEST(Lesen, KlassenfahrtExactlyAsStored) {
  const MappenInhalt m = LeseMappe(fixture("klassenfahrt.qbm"));
  ASSERT_EQ(m.fehler, Fehler::Keiner);
  EXPECT_TRUE(m.hatDatensaetze);
  EXPECT_FALSE(m.unvollstaendig);
  EXPECT_EQ(m.gelesen, 8);

  const QJsonArray taken = klassenfahrtJson().value("expected").toObject().value("worksheets_taken").toArray();
  ASSERT_EQ(m.arbeitsblaetter.size(), taken.size());
  for (qsizetype k = 0; k < taken.size(); ++k) {
    const ArbeitsblattEintrag& e = m.arbeitsblaetter[k];
    const QJsonObject r = recordById(taken[k].toInt());
    SCOPED_TRACE(e.ID);
    EXPECT_EQ(e.ID, r.value("ID").toInt());
    EXPECT_EQ(e.Uebungstyp, r.value("Uebungstyp").toInt());
    EXPECT_EQ(e.Caption, r.value("Caption").toString());
    EXPECT_EQ(e.Details, r.value("Details").toString());
    expectRichText(e.ArbeitsblattRTF, r.value("ArbeitsblattRTF").toObject(), "ArbeitsblattRTF");
    expectRichText(e.KontrollblattRTF, r.value("KontrollblattRTF").toObject(), "KontrollblattRTF");
  }
  ASSERT_TRUE(m.hatText);
  const QJsonObject text1 = klassenfahrtJson().value("Text").toArray().at(0).toObject();
  EXPECT_EQ(m.textTXT, text1.value("TextTXT").toString());
  EXPECT_EQ(m.textTXT.size(), 1247);
  expectRichText(m.textRTF, text1.value("TextRTF").toObject(), "TextRTF");
}

TEST(Lesen, LargeWorkbookValuesAreNotCut) {
  const MappenInhalt m = LeseMappe(fixture("grosse-mappe.qbm"));
  ASSERT_EQ(m.fehler, Fehler::Keiner);
  ASSERT_EQ(m.arbeitsblaetter.size(), 40);
  qsizetype details = 0;
  for (int k = 0; k < 40; ++k) {
    const ArbeitsblattEintrag& e = m.arbeitsblaetter[k];
    EXPECT_EQ(e.ID, 1001 + k);
    EXPECT_TRUE(e.Caption.startsWith(u8("Übung %1: ").arg(k + 1))) << e.Caption.toStdString();
    EXPECT_EQ(e.Details.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 1500) << e.ID;
    EXPECT_EQ(e.ArbeitsblattRTF.left(30).toHex(), "818d8f9d90010000fa000000580200005e010000822e0000c6410000809f");
    EXPECT_EQ(e.KontrollblattRTF.left(30).toHex(), "01000000e8030000e8030000c8000000c8000000822e0000c64100000100");
    EXPECT_TRUE(e.ArbeitsblattRTF.trimmed().endsWith('}'));
    details += e.Details.size();
  }
  EXPECT_EQ(details, 1467797);
  EXPECT_EQ(m.textTXT.size(), 380065);
  EXPECT_EQ(m.textTXT.left(60), u8("Geschichten vom Mühlsee und aus dem Schulgarten\r\nKapitel 1: "));
  EXPECT_EQ(m.textRTF.size(), 412443);
  EXPECT_EQ(m.textRTF.left(30).toHex(), "1e000000e8030000e8030000c8000000c8000000822e0000c64100000000");
}

TEST(Lesen, NullValuesAndEmptyStringsStayApart) {
  const MappenInhalt m = LeseMappe(fixture("null-werte.qbm"));
  ASSERT_EQ(m.fehler, Fehler::Keiner);
  ASSERT_EQ(m.arbeitsblaetter.size(), 3);
  const auto& a = m.arbeitsblaetter;
  EXPECT_EQ(a[0].ID, 31);
  EXPECT_TRUE(a[0].Caption.isEmpty());
  EXPECT_TRUE(a[0].ArbeitsblattRTF.isEmpty());
  EXPECT_EQ(a[0].Details.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 6);
  EXPECT_EQ(a[0].KontrollblattRTF.left(4).toHex(), "01000000");
  EXPECT_EQ(a[1].ID, 32);
  EXPECT_EQ(a[1].Caption, u8("Ohne Lückenliste"));
  EXPECT_TRUE(a[1].Details.isEmpty());
  EXPECT_EQ(a[1].ArbeitsblattRTF.size() > 30, true);
  EXPECT_EQ(a[2].ID, 33);
  EXPECT_EQ(a[2].Uebungstyp, 104);
  EXPECT_TRUE(a[2].KontrollblattRTF.isEmpty());
}

TEST(Lesen, MissingTextTableTakesWorksheetsWithoutText) {
  const MappenInhalt m = LeseMappe(fixture("ohne-text-tabelle.qbm"));
  ASSERT_EQ(m.fehler, Fehler::Keiner);
  ASSERT_EQ(m.arbeitsblaetter.size(), 2);
  EXPECT_EQ(m.arbeitsblaetter[0].ID, 61);
  EXPECT_EQ(m.arbeitsblaetter[1].ID, 63);
  EXPECT_EQ(m.arbeitsblaetter[1].Details, recordById(16).value("Details").toString());
  EXPECT_FALSE(m.hatText);
}

struct BadCase {
  const char* file;
  Fehler fehler;
  bool hatDatensaetze;
};

class BadWorkbook : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadWorkbook, GivesItsFailureKind) {
  const BadCase c = GetParam();
  const MappenInhalt m = LeseMappe(fixture(c.file));
  EXPECT_EQ(m.fehler, c.fehler);
  EXPECT_EQ(m.hatDatensaetze, c.hatDatensaetze);
  EXPECT_TRUE(m.arbeitsblaetter.isEmpty());
  EXPECT_FALSE(m.hatText);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, BadWorkbook,
    ::testing::Values(BadCase{"falsches-passwort.qbm", Fehler::Oeffnen, false},
                      BadCase{"ohne-datenbank.qbm", Fehler::Oeffnen, false},
                      BadCase{"keine-zip-datei.qbm", Fehler::Oeffnen, false},
                      BadCase{"abgeschnitten.qbm", Fehler::Oeffnen, false},
                      BadCase{"gibt-es-nicht.qbm", Fehler::Oeffnen, false},
                      BadCase{"kaputte-datenbank.qbm", Fehler::KeinArbeitsblatt, false},
                      BadCase{"ohne-arbeitsblatt-tabelle.qbm", Fehler::KeinArbeitsblatt, false},
                      BadCase{"leere-tabelle.qbm", Fehler::KeinArbeitsblatt, false},
                      BadCase{"nur-ungeeignete.qbm", Fehler::KeinArbeitsblatt, true}));

// ---------------------------------------------------------------------------
// Archive and database layers

TEST(Archiv, WrongPasswordAndMissingMemberLeaveNoTarget) {
  QTemporaryDir dir;
  const QString target = dir.filePath("ziel.mdb");
  qvtest::writeFile(target, "alt");
  EXPECT_EQ(archive::ExtractMember(fixture("falsches-passwort.qbm"), kMappenDatenbank, kMappenPasswort, target),
            archive::ExtractError::ReadMember);
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_EQ(archive::ExtractMember(fixture("ohne-datenbank.qbm"), kMappenDatenbank, kMappenPasswort, target),
            archive::ExtractError::NoMember);
  EXPECT_FALSE(QFile::exists(target));
  // The member name decides nothing about where the data goes.
  EXPECT_EQ(archive::ExtractMember(fixture("ohne-datenbank.qbm"), QStringLiteral("~qb00000000.tmp"),
                                   kMappenPasswort, target),
            archive::ExtractError::None);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"ziel.mdb"});
  EXPECT_TRUE(jet::Database::looksLikeJetFile(target));
  EXPECT_EQ(QFile(target).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}

TEST(Datenbank, RefusesWhatIsNoJetFile) {
  QTemporaryDir dir;
  const QString db = dir.filePath("db.mdb");
  ASSERT_TRUE(UnpackWorkbook(fixture("klassenfahrt.qbm"), db));
  const QByteArray good = qvtest::readFile(db);
  EXPECT_EQ(good.size(), 221184);
  EXPECT_TRUE(jet::Database::looksLikeJetFile(db));

  const QString bad = dir.filePath("bad.mdb");
  qvtest::writeFile(bad, good.left(5000));  // not whole pages
  EXPECT_FALSE(jet::Database::looksLikeJetFile(bad));
  QByteArray version = good;
  version[0x14] = char(0x7f);
  qvtest::writeFile(bad, version);
  EXPECT_FALSE(jet::Database::looksLikeJetFile(bad));
  jet::Database d;
  EXPECT_FALSE(d.open(bad));
  EXPECT_FALSE(d.open(dir.filePath("missing.mdb")));
  ASSERT_TRUE(d.open(db));
  EXPECT_EQ(d.table(QStringLiteral("Arbeitsblatt_Vorlage")), nullptr);
  EXPECT_NE(d.table(QStringLiteral("arbeitsblatt")), nullptr);
}

TEST(Datenbank, DamagedPagesNeverCrash) {
  // Random damage inside a real database: the reader may take less or
  // nothing, but it must come back (the sanitizer build checks the rest).
  QTemporaryDir dir;
  const QString db = dir.filePath("db.mdb");
  ASSERT_TRUE(UnpackWorkbook(fixture("klassenfahrt.qbm"), db));
  const QByteArray good = qvtest::readFile(db);
  QRandomGenerator rng(4711);
  const QString bad = dir.filePath("bad.mdb");
  for (int round = 0; round < 60; ++round) {
    QByteArray b = good;
    for (int i = 0; i < 40; ++i) {
      // Mostly inside the pages after the header page.
      const qsizetype at = 4096 + rng.bounded(int(b.size() - 4096));
      b[at] = char(rng.bounded(256));
    }
    qvtest::writeFile(bad, b);
    const MappenInhalt m = LeseMappenDatenbank(bad);
    // Damage can make deleted or foreign rows look alive; bounded anyway.
    EXPECT_LT(m.arbeitsblaetter.size(), 1000);
  }
}

TEST(Datenbank, SurvivesEveryPageDestroyedInTurn) {
  // Each page after the header in turn replaced by pseudo-random bytes.
  QTemporaryDir dir;
  const QString db = dir.filePath("db.mdb");
  ASSERT_TRUE(UnpackWorkbook(fixture("klassenfahrt.qbm"), db));
  const QByteArray good = qvtest::readFile(db);
  ASSERT_EQ(good.size() % 4096, 0);
  const QString bad = dir.filePath("bad.mdb");
  quint32 seed = 12345;
  int readable = 0;
  for (qsizetype pg = 1; pg < good.size() / 4096; ++pg) {
    QByteArray b = good;
    for (int i = 0; i < 4096; ++i) {
      seed = seed * 1103515245u + 12345u;
      b[pg * 4096 + i] = char(seed >> 16);
    }
    qvtest::writeFile(bad, b);
    const MappenInhalt m = LeseMappenDatenbank(bad);
    if (m.fehler == Fehler::Keiner) ++readable;
    EXPECT_LT(m.arbeitsblaetter.size(), 1000) << "page " << pg;
  }
  // Most pages hold data of single values; the workbook stays readable.
  EXPECT_GT(readable, 20);
}

TEST(Datenbank, SurvivesDamagedTableDefinitions) {
  // Bytes of the table definition pages (the catalog's included) changed at
  // random: a fixed sequence of 1,500 damaged files. Damaged definitions
  // name usage maps that cannot be read, which the database library would
  // follow through a null pointer.
  QTemporaryDir dir;
  const QString db = dir.filePath("db.mdb");
  ASSERT_TRUE(UnpackWorkbook(fixture("klassenfahrt.qbm"), db));
  const QByteArray good = qvtest::readFile(db);
  QList<int> tdefs;
  for (int pg = 1; pg < good.size() / 4096; ++pg)
    if (good.at(pg * 4096) == 0x02) tdefs << pg;
  ASSERT_GE(tdefs.size(), 3);
  const QString bad = dir.filePath("bad.mdb");
  quint32 seed = 7;
  auto rnd = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  int readable = 0;
  for (int round = 0; round < 1500; ++round) {
    QByteArray b = good;
    const int changes = 1 + rnd() % 30;
    for (int i = 0; i < changes; ++i) b[tdefs.at(rnd() % tdefs.size()) * 4096 + rnd() % 1024] = char(rnd());
    qvtest::writeFile(bad, b);
    const MappenInhalt m = LeseMappenDatenbank(bad);
    if (m.fehler == Fehler::Keiner) ++readable;
    EXPECT_LT(m.arbeitsblaetter.size(), 1000) << "round " << round;
  }
  EXPECT_GT(readable, 0);
}

TEST(Datenbank, SkippedRecordsAreReportedAsIncomplete) {
  QTemporaryDir dir;
  const QString db = dir.filePath("db.mdb");
  ASSERT_TRUE(UnpackWorkbook(fixture("klassenfahrt.qbm"), db));
  QByteArray b = qvtest::readFile(db);
  // Mark the record of worksheet 13 as deleted in its data page's row table.
  const QByteArray caption = QByteArray("\xff\xfe") + QByteArray("Wortenden erg\xe4nzen");
  const qsizetype at = b.indexOf(caption);
  ASSERT_GT(at, 0);
  const qsizetype page = at / 4096 * 4096;
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + page);
  const int rows = p[12] | (p[13] << 8);
  int hit = -1;
  for (int r = 0; r < rows; ++r) {
    const int start = (p[14 + 2 * r] | (p[15 + 2 * r] << 8)) & 0x1fff;
    const int end = r == 0 ? 4096 : ((p[12 + 2 * r] | (p[13 + 2 * r] << 8)) & 0x1fff);
    if (page + start <= at && at < page + end) hit = r;
  }
  ASSERT_GE(hit, 0);
  b[page + 15 + 2 * hit] = char(b[page + 15 + 2 * hit] | 0x40);
  qvtest::writeFile(db, b);

  const MappenInhalt m = LeseMappenDatenbank(db);
  EXPECT_TRUE(m.unvollstaendig);
  EXPECT_EQ(m.gelesen, 7);
  EXPECT_EQ(m.erwartet, 8);
  ASSERT_EQ(m.arbeitsblaetter.size(), 5);
  EXPECT_EQ(m.arbeitsblaetter[1].ID, 14);
}

TEST(Jet4Text, DecodesEveryStoredForm) {
  auto dec = [](const QByteArray& b) {
    return jet::decodeJet4Text(reinterpret_cast<const unsigned char*>(b.constData()), b.size());
  };
  EXPECT_EQ(dec(QByteArray("\xff\xfe" "M\xfchle", 7)), u8("Mühle"));
  // Two-byte characters after a 00 byte, back to one-byte after the next.
  EXPECT_EQ(dec(QByteArray("\xff\xfe" "a\x00\x1e\x20\x1c\x20\x00z", 10)), u8("a„“z"));
  EXPECT_EQ(dec(QByteArray("\xff\xfe\x00\x1a\x20", 5)), QString(QChar(0x201a)));
  // A cut-off two-byte character is dropped, not read past the end.
  EXPECT_EQ(dec(QByteArray("\xff\xfe" "a\x00\x1e", 5)), u8("a"));
  EXPECT_EQ(dec(QByteArray("\x00\x00\x81\x00\x1a\x20", 6)), QString(QChar(0)) + QChar(0x81) + QChar(0x201a));
  EXPECT_EQ(dec(QByteArray("A\x00" "B", 3)), u8("A"));
  EXPECT_EQ(dec(QByteArray()), QString());
}

// ---------------------------------------------------------------------------
// Loading into the program state

TEST_F(Loading, SampleWorkbookFillsStateAndTabs) {
  EXPECT_TRUE(load("klassenfahrt.qbm"));
  EXPECT_EQ(tabs_.captions, (QStringList{"Text", "Arbeitsblatt 1", "Arbeitsblatt 2", "Arbeitsblatt 3",
                                         "Arbeitsblatt 4", "Arbeitsblatt 5", "Arbeitsblatt 6"}));
  ASSERT_EQ(gArbeitsblaetter.size(), 6);
  EXPECT_EQ(gArbeitsblaetter[3].ID, 16);
  EXPECT_EQ(gMappenPfad, fixture("klassenfahrt.qbm"));
  EXPECT_EQ(gTextTXT.size(), 1247);
  EXPECT_EQ(gTextRTF.left(4).toHex(), "1e000000");
  EXPECT_TRUE(txtText().text().startsWith(u8("Unsere Klassenfahrt an den Mühlsee")));
  EXPECT_TRUE(txtTemp().text().startsWith(u8("Unsere Klassenfahrt")));
  EXPECT_TRUE(ui_.messages().isEmpty());
  // The working copy is the database itself and the only file left.
  EXPECT_TRUE(jet::Database::looksLikeJetFile(gMappenKopie));
  EXPECT_EQ(tempFiles(), 1);
}

TEST_F(Loading, DialogAsksForWorkbooksInProgramFolder) {
  ui_.answerOpenFile(fixture("null-werte.qbm"));
  EXPECT_TRUE(LadeArbeitsblaetter(tabs_));
  ASSERT_EQ(ui_.shown().size(), 1);
  EXPECT_EQ(ui_.shown()[0].kind, ScriptedInteraction::Shown::Kind::OpenFile);
  EXPECT_EQ(ui_.shown()[0].file.filter, "Qbm-Mappe *.qbm|*.qbm");
  EXPECT_EQ(ui_.shown()[0].file.initialFolder, files::programFolder());
  EXPECT_EQ(gArbeitsblaetter.size(), 3);
}

TEST_F(Loading, CancelledDialogOnlyEmptiesThePath) {
  ASSERT_TRUE(load("klassenfahrt.qbm"));
  const QString kopie = gMappenKopie;
  tabs_.captions = {"Text"};
  EXPECT_FALSE(LadeArbeitsblaetter(tabs_));
  EXPECT_TRUE(gMappenPfad.isEmpty());
  EXPECT_EQ(gMappenKopie, kopie);
  EXPECT_EQ(gArbeitsblaetter.size(), 6);
  EXPECT_EQ(gTextTXT.size(), 1247);
  EXPECT_EQ(tabs_.captions.size(), 1);
  EXPECT_TRUE(ui_.messages().isEmpty());
}

TEST_F(Loading, SecondWorkbookRebuildsListAndKeepsOldTextWithoutTextTable) {
  ASSERT_TRUE(load("klassenfahrt.qbm"));
  const QByteArray rtf = gTextRTF;
  tabs_.captions = {"Text"};
  EXPECT_TRUE(load("ohne-text-tabelle.qbm"));
  ASSERT_EQ(gArbeitsblaetter.size(), 2);
  EXPECT_EQ(gArbeitsblaetter[0].ID, 61);
  EXPECT_EQ(gArbeitsblaetter[1].ID, 63);
  EXPECT_EQ(tabs_.captions, (QStringList{"Text", "Arbeitsblatt 1", "Arbeitsblatt 2"}));
  EXPECT_EQ(gTextTXT.size(), 1247);
  EXPECT_EQ(gTextRTF, rtf);
  EXPECT_EQ(tempFiles(), 1);
}

struct Message {
  const char* file;
  const char* text;
  Icon icon;
  bool listKept;  // the worksheet list of the previous workbook survives
};

class LoadingBad : public Loading, public ::testing::WithParamInterface<Message> {};

TEST_P(LoadingBad, ShowsMessageAndKeepsPreviousState) {
  const Message c = GetParam();
  ASSERT_TRUE(load("klassenfahrt.qbm"));
  const QString text = gTextTXT;
  const QByteArray rtf = gTextRTF;
  tabs_.captions = {"Text"};
  ui_.clear();

  EXPECT_FALSE(load(c.file));
  ASSERT_EQ(ui_.messages().size(), 1);
  const MessageBoxRequest r = ui_.messages()[0];
  EXPECT_EQ(r.text, u8(c.text));
  EXPECT_EQ(r.icon, c.icon);
  EXPECT_EQ(r.buttons, Buttons::Ok);
  EXPECT_EQ(r.title, QStringLiteral("Quillbee-Vodedarivo"));
  EXPECT_EQ(gMappenPfad, fixture(c.file));
  EXPECT_EQ(gTextTXT, text);
  EXPECT_EQ(gTextRTF, rtf);
  EXPECT_EQ(tabs_.captions, QStringList{"Text"});
  EXPECT_EQ(gArbeitsblaetter.size(), c.listKept ? 6 : 0);
  // At most the one working copy stays.
  EXPECT_LE(tempFiles(), 1);
  RemoveWorkingCopy();
  EXPECT_EQ(tempFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, LoadingBad,
    ::testing::Values(Message{"falsches-passwort.qbm", "Fehler beim Öffnen", Icon::None, true},
                      Message{"ohne-datenbank.qbm", "Fehler beim Öffnen", Icon::None, true},
                      Message{"keine-zip-datei.qbm", "Fehler beim Öffnen", Icon::None, true},
                      Message{"abgeschnitten.qbm", "Fehler beim Öffnen", Icon::None, true},
                      Message{"kaputte-datenbank.qbm", "Kein Arbeitsblatt zur Erstellung interaktiver Übungen gefunden",
                              Icon::Information, true},
                      Message{"ohne-arbeitsblatt-tabelle.qbm",
                              "Kein Arbeitsblatt zur Erstellung interaktiver Übungen gefunden", Icon::Information, true},
                      Message{"leere-tabelle.qbm", "Kein Arbeitsblatt zur Erstellung interaktiver Übungen gefunden",
                              Icon::Information, true},
                      // Records but none taken: the list is rebuilt, to nothing.
                      Message{"nur-ungeeignete.qbm", "Kein Arbeitsblatt zur Erstellung interaktiver Übungen gefunden",
                              Icon::Information, false}));

TEST_F(Loading, OnlyOneWorkingCopyOverManyLoads) {
  for (const char* f : {"klassenfahrt.qbm", "keine-zip-datei.qbm", "null-werte.qbm", "kaputte-datenbank.qbm",
                        "klassenfahrt.qbm"}) {
    load(f);
    EXPECT_LE(tempFiles(), 1) << f;
  }
  RemoveWorkingCopy();
  EXPECT_EQ(tempFiles(), 0);
  // The pure reader cleans up after itself.
  LeseMappe(fixture("klassenfahrt.qbm"));
  LeseMappe(fixture("falsches-passwort.qbm"));
  EXPECT_EQ(tempFiles(), 0);
}
