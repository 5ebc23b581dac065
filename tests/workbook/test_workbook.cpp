#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/umgebung.h"
#include "platform/archive.h"
#include "platform/filehelper.h"
#include "platform/jetdb.h"
#include "platform/richeditor.h"
#include "workbook/workbook.h"

using namespace qv;
using qvtest::fixture;
using qvtest::u8;

namespace {

using Fehler = MappenInhalt::Fehler;

void expectRichText(const QByteArray& actual, const QJsonObject& expected, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(actual.mid(30), expected.value("rtf").toString().toLatin1());  // the hash covers length and header
  EXPECT_EQ(QString::fromLatin1(QCryptographicHash::hash(actual, QCryptographicHash::Sha256).toHex()),
            expected.value("sha256").toString());
}

// The sample workbook's database, unpacked into dir.
QByteArray sampleDatabase(const QTemporaryDir& dir) {
  const QString db = dir.filePath("db.mdb");
  EXPECT_TRUE(UnpackWorkbook(fixture("klassenfahrt.qbm"), db));
  return qvtest::readFile(db);
}

// The main window's tab strip, starting with the text tab.
struct FakeTabs : TabHost {
  QStringList captions{"Text"};
  int tabCount() const override { return int(captions.size()); }
  void addTab(const QString& caption) override { captions.append(caption); }
};

// Every test of the loading starts from an empty program state and a private
// temporary folder, so that leftover files can be counted.
class Loading : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    gMappenPfad = gMappenKopie = gTextTXT = QString();
    gArbeitsblaetter.clear();
    gTextRTF.clear();
  }
  void TearDown() override {
    RemoveWorkingCopy();
    gMappenKopie.clear();
  }
  int tempFiles() const {
    return int(QDir(tmp_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size());
  }
  bool load(const QString& name) { return LadeArbeitsblaetter(tabs_, fixture(name)); }

  QTemporaryDir tmp_;
  qvtest::Env tmpEnv_{{"TMPDIR", tmp_.path().toLocal8Bit()}, {"QV_USER_DATA", tmp_.filePath("daten").toLocal8Bit()}};
  FakeTabs tabs_;
  ScriptedInteraction ui_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Reading workbooks exactly

// IDs, types, captions, details and the plain text of the sample are
// compared with the stored values through the command line's list.
TEST(Lesen, KlassenfahrtExactlyAsStored) {
  const MappenInhalt m = LeseMappe(fixture("klassenfahrt.qbm"));
  ASSERT_EQ(std::tuple(m.fehler, m.hatDatensaetze, m.unvollstaendig, m.gelesen),
            std::tuple(Fehler::Keiner, true, false, 8));
  const QJsonArray taken = qvtest::sample().value("expected").toObject().value("worksheets_taken").toArray();
  ASSERT_EQ(m.arbeitsblaetter.size(), taken.size());
  for (qsizetype k = 0; k < taken.size(); ++k) {
    const ArbeitsblattEintrag& e = m.arbeitsblaetter[k];
    const QJsonObject r = qvtest::sampleRecord(taken[k].toInt());
    SCOPED_TRACE(e.ID);
    expectRichText(e.ArbeitsblattRTF, r.value("ArbeitsblattRTF").toObject(), "ArbeitsblattRTF");
    expectRichText(e.KontrollblattRTF, r.value("KontrollblattRTF").toObject(), "KontrollblattRTF");
  }
  ASSERT_TRUE(m.hatText);
  const QJsonObject text1 = qvtest::sample().value("Text").toArray().at(0).toObject();
  expectRichText(m.textRTF, text1.value("TextRTF").toObject(), "TextRTF");
}

TEST(Lesen, LargeWorkbookValuesAreNotCut) {
  const MappenInhalt m = LeseMappe(fixture("grosse-mappe.qbm"));
  ASSERT_EQ(std::tuple(m.fehler, m.arbeitsblaetter.size()), std::tuple(Fehler::Keiner, 40));
  qsizetype details = 0;
  for (int k = 0; k < 40; ++k) {
    const ArbeitsblattEintrag& e = m.arbeitsblaetter[k];
    EXPECT_EQ(e.ID, 1001 + k);
    EXPECT_EQ(e.Details.split("\r\n", Qt::SkipEmptyParts).size(), 1500) << e.ID;
    EXPECT_TRUE(e.ArbeitsblattRTF.trimmed().endsWith('}'));
    details += e.Details.size();
  }
  EXPECT_EQ(details, 1467797);
  EXPECT_EQ(std::tuple(m.textTXT.size(), m.textRTF.size()), std::tuple(380065, 412443));
}

TEST(Lesen, NullValuesAndEmptyStringsStayApart) {
  const MappenInhalt m = LeseMappe(fixture("null-werte.qbm"));
  ASSERT_EQ(std::tuple(m.fehler, m.arbeitsblaetter.size()), std::tuple(Fehler::Keiner, 3));
  const auto& a = m.arbeitsblaetter;
  EXPECT_EQ(std::tuple(a[0].ID, a[1].ID, a[2].ID, a[2].Uebungstyp), std::tuple(31, 32, 33, 104));
  EXPECT_TRUE(a[0].Caption.isEmpty() && a[0].ArbeitsblattRTF.isEmpty() && a[1].Details.isEmpty());
  EXPECT_EQ(a[0].Details.split("\r\n", Qt::SkipEmptyParts).size(), 6);
  EXPECT_EQ(a[0].KontrollblattRTF.left(4).toHex(), "01000000");
  EXPECT_EQ(a[1].Caption, u8("Ohne Lückenliste"));
  EXPECT_GT(a[1].ArbeitsblattRTF.size(), 30);
  EXPECT_TRUE(a[2].KontrollblattRTF.isEmpty());
}

TEST(Jet4Text, DecodesEveryStoredForm) {
  const struct {
    QByteArray stored;
    QString text;
  } cases[] = {
      {QByteArray("\xff\xfe" "M\xfchle", 7), u8("Mühle")},
      // Two-byte characters after a 00 byte, back to one-byte after the next.
      {QByteArray("\xff\xfe" "a\x00\x1e\x20\x1c\x20\x00z", 10), u8("a„“z")},
      {QByteArray("\xff\xfe\x00\x1a\x20", 5), QString(QChar(0x201a))},
      // A cut-off two-byte character is dropped, not read past the end.
      {QByteArray("\xff\xfe" "a\x00\x1e", 5), u8("a")},
      {QByteArray("\x00\x00\x81\x00\x1a\x20", 6), QString(QChar(0)) + QChar(0x81) + QChar(0x201a)},
      {QByteArray("A\x00" "B", 3), u8("A")},
      {QByteArray(), QString()}};
  for (const auto& c : cases)
    EXPECT_EQ(jet::decodeJet4Text(reinterpret_cast<const unsigned char*>(c.stored.constData()), c.stored.size()), c.text)
        << c.stored.toHex().constData();
}

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
  EXPECT_EQ(archive::ExtractMember(fixture("ohne-datenbank.qbm"), "~qb00000000.tmp", kMappenPasswort, target),
            archive::ExtractError::None);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"ziel.mdb"});
  EXPECT_TRUE(jet::Database::looksLikeJetFile(target));
  EXPECT_EQ(QFile(target).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}

TEST(Datenbank, RefusesWhatIsNoJetFile) {
  QTemporaryDir dir;
  const QByteArray good = sampleDatabase(dir);
  const QString bad = dir.filePath("bad.mdb");
  qvtest::writeFile(bad, good.left(5000));  // not whole pages
  EXPECT_FALSE(jet::Database::looksLikeJetFile(bad));
  QByteArray version = good;
  version[0x14] = char(0x7f);
  qvtest::writeFile(bad, version);
  EXPECT_FALSE(jet::Database::looksLikeJetFile(bad));
  jet::Database d;
  EXPECT_FALSE(d.open(bad) || d.open(dir.filePath("missing.mdb")));
  ASSERT_TRUE(d.open(dir.filePath("db.mdb")));
  EXPECT_EQ(d.table("Arbeitsblatt_Vorlage"), nullptr);
  EXPECT_NE(d.table("arbeitsblatt"), nullptr);
}

TEST(Datenbank, DamagedDatabasesNeverCrash) {
  // The reader may take less or nothing, but it must come back (the
  // sanitizer build checks the rest); damage can make deleted or foreign
  // rows look alive, bounded anyway.
  QTemporaryDir dir;
  const QByteArray good = sampleDatabase(dir);
  ASSERT_EQ(good.size() % 4096, 0);
  const int pages = int(good.size() / 4096);
  const QString bad = dir.filePath("bad.mdb");
  auto readable = [&](const QByteArray& b) {
    qvtest::writeFile(bad, b);
    const MappenInhalt m = LeseMappenDatenbank(bad);
    EXPECT_LT(m.arbeitsblaetter.size(), 1000);
    return m.fehler == Fehler::Keiner;
  };
  QRandomGenerator rng(4711);
  // Random bytes anywhere after the header page.
  for (int round = 0; round < 60; ++round) {
    QByteArray b = good;
    for (int i = 0; i < 40; ++i) b[4096 + rng.bounded(int(b.size() - 4096))] = char(rng.bounded(256));
    readable(b);
  }
  // Each page after the header in turn replaced by random bytes: most pages
  // hold data of single values, so the workbook stays readable.
  int whole = 0;
  for (int pg = 1; pg < pages; ++pg) {
    QByteArray b = good;
    for (int i = 0; i < 4096; ++i) b[pg * 4096 + i] = char(rng.bounded(256));
    SCOPED_TRACE(pg);
    whole += readable(b);
  }
  EXPECT_GT(whole, 20);
  // Bytes of the table definition pages (the catalog's included): damaged
  // definitions name usage maps that cannot be read, which the database
  // library would follow through a null pointer.
  QList<int> tdefs;
  for (int pg = 1; pg < pages; ++pg)
    if (good.at(pg * 4096) == 0x02) tdefs << pg;
  ASSERT_GE(tdefs.size(), 3);
  int defs = 0;
  for (int round = 0; round < 1500; ++round) {
    QByteArray b = good;
    const int changes = 1 + rng.bounded(30);
    for (int i = 0; i < changes; ++i)
      b[tdefs.at(rng.bounded(int(tdefs.size()))) * 4096 + rng.bounded(1024)] = char(rng.bounded(256));
    SCOPED_TRACE(round);
    defs += readable(b);
  }
  EXPECT_GT(defs, 0);
}

TEST(Datenbank, SkippedRecordsAreReportedAsIncomplete) {
  QTemporaryDir dir;
  QByteArray b = sampleDatabase(dir);
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
  qvtest::writeFile(dir.filePath("db.mdb"), b);
  const MappenInhalt m = LeseMappenDatenbank(dir.filePath("db.mdb"));
  EXPECT_EQ(std::tuple(m.unvollstaendig, m.gelesen, m.erwartet), std::tuple(true, 7, 8));
  ASSERT_EQ(m.arbeitsblaetter.size(), 5);
  EXPECT_EQ(m.arbeitsblaetter[1].ID, 14);
}

// ---------------------------------------------------------------------------
// Loading into the program state

TEST_F(Loading, SampleWorkbookFillsStateAndTabs) {
  // The tabs of the sample are the road test's work.
  EXPECT_TRUE(load("klassenfahrt.qbm"));
  ASSERT_EQ(gArbeitsblaetter.size(), 6);
  EXPECT_EQ(gMappenPfad, fixture("klassenfahrt.qbm"));
  // The stored rich text (header kept, the text read from byte 30) reads as
  // exactly the plain text the gap positions count in.
  EXPECT_TRUE(txtText().text().startsWith(u8("Unsere Klassenfahrt an den Mühlsee")));
  EXPECT_EQ(std::tuple(txtText().text(), txtTemp().text()), std::tuple(gTextTXT, gTextTXT));
  EXPECT_TRUE(ui_.messages().isEmpty());
  // The working copy is the database itself and the only file left.
  EXPECT_TRUE(jet::Database::looksLikeJetFile(gMappenKopie));
  EXPECT_EQ(tempFiles(), 1);

  // A second workbook without a text table rebuilds the list and keeps the text.
  const QByteArray rtf = gTextRTF;
  tabs_.captions = {"Text"};
  EXPECT_TRUE(load("ohne-text-tabelle.qbm"));
  ASSERT_EQ(gArbeitsblaetter.size(), 2);
  EXPECT_EQ(std::tuple(gArbeitsblaetter[0].ID, gArbeitsblaetter[1].ID), std::tuple(61, 63));
  EXPECT_EQ(gArbeitsblaetter[1].Details, qvtest::sampleRecord(16).value("Details").toString());
  EXPECT_EQ(tabs_.captions, (QStringList{"Text", "Arbeitsblatt 1", "Arbeitsblatt 2"}));
  EXPECT_EQ(std::tuple(gTextTXT.size(), gTextRTF), std::tuple(1247, rtf));  // the text stays
  EXPECT_EQ(tempFiles(), 1);
}

// The dialog starts in the folder of the workbook opened last, never in the
// program's folder.
TEST_F(Loading, DialogInTheLastWorkbooksFolderAndCancelOnlyEmptiesThePath) {
  ui_.answerOpenFile(fixture("null-werte.qbm"));
  EXPECT_TRUE(LadeArbeitsblaetter(tabs_));
  ASSERT_EQ(ui_.shown().size(), 1);
  EXPECT_EQ(ui_.shown()[0].kind, ScriptedInteraction::Shown::Kind::OpenFile);
  EXPECT_NE(ui_.shown()[0].file.initialFolder, files::programFolder());
  EXPECT_EQ(gArbeitsblaetter.size(), 3);
  const QString kopie = gMappenKopie;
  tabs_.captions = {"Text"};
  EXPECT_FALSE(LadeArbeitsblaetter(tabs_));
  EXPECT_EQ(std::tuple(gMappenPfad, gMappenKopie, gArbeitsblaetter.size(), tabs_.captions.size(), ui_.messages().size()),
            std::tuple(QString(), kopie, 3, 1, 0));
}

// Every bad workbook: what the reader finds, and what loading it after the
// sample shows and keeps.
TEST_F(Loading, BadWorkbookShowsItsMessageAndKeepsThePreviousState) {
  const struct {
    const char* file;
    Fehler fehler;
    bool hatDatensaetze;
  } cases[] = {{"falsches-passwort.qbm", Fehler::Oeffnen, false},
               {"ohne-datenbank.qbm", Fehler::Oeffnen, false},
               {"keine-zip-datei.qbm", Fehler::Oeffnen, false},
               {"abgeschnitten.qbm", Fehler::Oeffnen, false},
               {"gibt-es-nicht.qbm", Fehler::Oeffnen, false},
               {"kaputte-datenbank.qbm", Fehler::KeinArbeitsblatt, false},
               {"ohne-arbeitsblatt-tabelle.qbm", Fehler::KeinArbeitsblatt, false},
               {"leere-tabelle.qbm", Fehler::KeinArbeitsblatt, false},
               // Records but none taken: the list is rebuilt, to nothing.
               {"nur-ungeeignete.qbm", Fehler::KeinArbeitsblatt, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const MappenInhalt m = LeseMappe(fixture(c.file));
    EXPECT_EQ(std::tuple(m.fehler, m.hatDatensaetze, m.arbeitsblaetter.size(), m.hatText),
              std::tuple(c.fehler, c.hatDatensaetze, 0, false));
    EXPECT_EQ(tempFiles(), 0);  // the pure reader cleans up after itself

    ASSERT_TRUE(load("klassenfahrt.qbm"));
    const auto text = std::tuple(gTextTXT, gTextRTF);
    tabs_.captions = {"Text"};
    ui_.clear();
    EXPECT_FALSE(load(c.file));
    ASSERT_EQ(ui_.messages().size(), 1);
    const MessageBoxRequest r = ui_.messages()[0];
    const bool oeffnen = c.fehler == Fehler::Oeffnen;
    EXPECT_EQ(r.text, oeffnen ? u8("Fehler beim Öffnen")
                              : u8("Kein Arbeitsblatt zur Erstellung interaktiver Übungen gefunden"));
    EXPECT_EQ(std::tuple(r.icon, r.buttons, r.title),
              std::tuple(oeffnen ? Icon::None : Icon::Information, Buttons::Ok, QString("Quillbee-Vodedarivo")));
    EXPECT_EQ(gMappenPfad, fixture(c.file));
    EXPECT_EQ(std::tuple(gTextTXT, gTextRTF), text);
    EXPECT_EQ(tabs_.captions, QStringList{"Text"});
    EXPECT_EQ(gArbeitsblaetter.size(), c.hatDatensaetze ? 0 : 6);
    // At most the one working copy stays, over many loads.
    EXPECT_LE(tempFiles(), 1);
    RemoveWorkingCopy();
    EXPECT_EQ(tempFiles(), 0);
  }
}
