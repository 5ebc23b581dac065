#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "common/testutil.h"
#include "common/scripted_ui.h"
#include "common/umgebung.h"
#include "platform/filehelper.h"
#include "students/schueler.h"

using namespace qv;
using qvtest::u8;

namespace {

// Writes small files through the atomic writer.
class FakeEngine : public DistributionEngine {
 public:
  bool start() override { return true; }
  bool openMaster(const QString&) override { return true; }
  bool personaliseCopy(const QString& t, const QString& n, const QString& u, QString* err) override {
    return files::saveWhole(t, (n + "|" + (u.isEmpty() ? "?" : u)).toUtf8(), err);
  }
  void quit() override {}
};

class Students : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  void SetUp() override {
    gSchueler.clear();
    gQuelle.clear();
    qputenv("QV_PROGRAM_FOLDER", dir.path().toUtf8());
  }
  void TearDown() override { setDistributionEngine(nullptr); setExerciseRecognizer({}); }
  QString path(const QString& n) { return dir.filePath(n); }
};

}  // namespace

TEST(SchuelerDateinameTest, ExamplesAndHostileNamesStayInFolder) {
  for (const auto& [name, datei] : {std::pair{"Müller, Hans", "Mueller_Hans"}, {"Özlem Groß", "oezlem_Gross"},
                                    {"Ärger", "aerger"}, {"A  B", "A_B"}, {"A   B", "A__B"}, {"A    B", "A__B"},
                                    {" A", "_A"}, {"", ""}})
    EXPECT_EQ(SchuelerDateiname(u8(name)), u8(datei)) << name;
  // Hostile names stay in the folder.
  for (const char* n : {"../../etc/passwd", "a/b\\c:d", "..", ".versteckt", "x*?\"<>|y", "a\tb\nc"}) {
    const QString s = SichererDateiname(SchuelerDateiname(QString::fromUtf8(n)));
    EXPECT_FALSE(s.contains('/') || s.contains('\\') || s.contains("..") || s.startsWith('.')) << n;
    for (QChar c : s) EXPECT_GE(c.unicode(), 0x20) << n;
  }
}

TEST_F(Students, ErzeugeDateinamenJoinsFolderAndId) {
  SchuelerListe l;
  l.txtBasisverzeichnis = " " + dir.path() + " ";
  l.rows = {SchuelerZeile{"03", true, u8("Müller, Hans"), "/k/", "", "", "m"},
            SchuelerZeile{"1", true, "", "C:", "", "", "e"}};
  l.ErzeugeDateinamen();
  EXPECT_EQ(QStringList({l.rows[0].Dateiname, l.rows[1].Verzeichnis, l.rows[1].Dateiname}),
            QStringList({"/k/03_Mueller_Hans.doc", dir.path(), dir.path() + "/1_.doc"}));
}

// Names no file system takes as they are still give each pupil a copy of
// their own; a class of 10,000 reads in sorted and is told briefly what failed.
TEST_F(Students, StrangeNamesAndTenThousandPupils) {
  FakeEngine engine;
  setDistributionEngine(&engine);
  qvtest::writeFile(path("master.doc"), "m");
  gQuelle = path("master.doc");
  SchuelerListe l;
  l.txtQuelle = gQuelle;
  l.txtBasisverzeichnis = dir.path();
  const QStringList names = {QString(1000, QChar(0xE4)), QString(400, QChar(0x65E5)), u8("😀").repeated(300),
                             "....", ".", "   ", "CON", "NUL.txt", "LPT1", ""};
  for (int i = 0; i < names.size(); ++i) l.addRow(SchuelerZeile{QString::number(i + 1), true, names[i], "", "", "", "k" + QString::number(i)});
  l.ErzeugeDateinamen();
  QSet<QString> targets;
  for (const auto& z : l.rows) {
    const QFileInfo f(z.Dateiname);
    EXPECT_LE(QFile::encodeName(f.fileName()).size(), 255) << qPrintable(z.Name.left(9));
    EXPECT_TRUE(f.fileName().startsWith(z.ID + "_") && f.fileName().endsWith(".doc")) << qPrintable(f.fileName());
    EXPECT_EQ(f.absolutePath(), dir.path());
    targets << z.Dateiname;
  }
  EXPECT_EQ(targets.size(), names.size());
  EXPECT_EQ(l.DupliziereUebungen().geschrieben, names.size());
  for (const auto& z : l.rows) EXPECT_EQ(QString::fromUtf8(qvtest::readFile(z.Dateiname)), z.Name + "|?");

  QByteArray liste;
  for (int i = 10000; i > 0; --i) liste += "Kind " + QByteArray::number(i) + "\r\n";
  qvtest::writeFile(path("klasse.txt"), liste);
  ASSERT_TRUE(l.ImportiereDatei(path("klasse.txt"), true));
  ASSERT_EQ(l.rows.size(), 10000);
  EXPECT_TRUE(std::is_sorted(l.rows.begin(), l.rows.end(), [](const auto& a, const auto& b) {
    return QString::localeAwareCompare(a.Name, b.Name) < 0;
  }));
  EXPECT_EQ(l.rows[0].ID, "10000");
  l.ErzeugeDateinamen();
  setDistributionEngine(nullptr);
  ui.clear();
  EXPECT_EQ(l.DupliziereUebungen().fehler.size(), 10000);
  const QStringList zeilen = ui.messageTexts().value(0).split("\r\n");
  ASSERT_EQ(zeilen.size(), 1 + 2 + 20 + 1);
  EXPECT_EQ(zeilen[0], "Es wurden 0 von 10000 Kopien geschrieben.");
  EXPECT_EQ(zeilen.last(), "... und 9980 weitere");
}

TEST_F(Students, ListFileRoundTrip) {
  QDir(dir.path()).mkdir("k");
  const QString k = path("k");
  qvtest::writeFile(path("in.txt"), QByteArray("Zoe\r\nM\xFCller;") + k.toUtf8() + ";" + k.toUtf8() +
                                        "/m.doc;mu\r\nAnna;/fehlt;x.doc;an\r\nBen;" + k.toUtf8() +
                                        ";b.doc;u;zuviel\r\n");
  SchuelerListe l;
  l.txtBasisverzeichnis = "/basis";
  ASSERT_TRUE(l.ImportiereDatei(path("in.txt"), false));
  ASSERT_EQ(std::tuple(gSchueler.size(), l.rows.size()), std::tuple(4, 4));
  EXPECT_EQ(QStringList({l.rows[0].Name, l.rows[0].Verzeichnis, l.rows[0].Dateiname, l.rows[0].Rechnername}),
            QStringList({"Anna", "/basis", "", "an"}));
  EXPECT_EQ(l.rows[1].Rechnername, "");  // five fields drop the user name
  EXPECT_EQ(gSchueler[0].Verzeichnis, "");  // only a name
  EXPECT_EQ(gSchueler[1].Name, u8("Müller"));
  EXPECT_EQ(l.txtBasisverzeichnis, "/basis");  // record 1 has no folder
  ui.answerSaveFile(path("out.txt"));
  l.SpeichereSchuelerliste();
  const QByteArray out = qvtest::readFile(path("out.txt"));
  EXPECT_TRUE(out.startsWith("Anna;/basis;;an\r\n"));
  EXPECT_TRUE(out.contains("M\xFCller;"));
  EXPECT_TRUE(out.endsWith("Zoe;;;\r\n"));
  // A list saved by a Linux editor: UTF-8 without a byte-order mark.
  qvtest::writeFile(path("utf8.txt"), "M\xC3\xBCller, J\xC3\xBCrgen\n");
  ASSERT_TRUE(l.ImportiereDatei(path("utf8.txt"), true));
  EXPECT_EQ(l.rows[0].Name, u8("Müller, Jürgen"));
}

TEST_F(Students, IniRoundTrip) {
  qvtest::writeFile(path("u.doc"), "x");
  SchuelerListe a;
  a.txtBasisverzeichnis = dir.path();
  a.txtQuelle = path("u.doc");
  a.SchreibeIni();
  EXPECT_EQ(qvtest::readFile(path("Vodedarivo.ini")), (dir.path() + ";" + path("u.doc") + "\r\n").toUtf8());
  SchuelerListe b;
  b.LeseIni();
  EXPECT_EQ(b.txtBasisverzeichnis, dir.path());
  EXPECT_EQ(gQuelle, path("u.doc"));
  // A program folder that takes no file (read-only; for root immutable where
  // the file system allows) but holds an old settings file: the settings go
  // to the user's folder and are read back from there.
  QTemporaryDir user, prog;
  qvtest::writeFile(prog.filePath("Vodedarivo.ini"), "/alt;/alt/u.doc\r\n");
  const auto sperre = [&prog](bool zu) {
    const int fd = ::open(QFile::encodeName(prog.path()).constData(), O_RDONLY | O_DIRECTORY);
    if (int flags = 0; ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = zu ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
      ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
    QFile::setPermissions(prog.path(), QFile::ReadOwner | QFile::ExeOwner | (zu ? QFile::Permissions() : QFile::WriteOwner));
    return !files::isWritableFolder(prog.path());
  };
  if (!sperre(true)) GTEST_SKIP() << "Der Ordner lässt sich hier nicht sperren";
  qvtest::Env env{{"QV_PROGRAM_FOLDER", prog.path().toUtf8()}, {"QV_USER_DATA", user.path().toUtf8()}};
  const bool geschrieben = a.SchreibeIni();
  SchuelerListe c;
  c.LeseIni();
  sperre(false);
  EXPECT_EQ(std::tuple(geschrieben, c.txtBasisverzeichnis, c.txtQuelle), std::tuple(true, dir.path(), path("u.doc")));
}

// A settings or list file whose write fails, and targets no write reaches:
// every file stays as it was, the message names what was not written.
TEST_F(Students, FailedWritesAreToldAndTouchNothing) {
  qvtest::writeFile(path("Vodedarivo.ini"), "alt");
  qvtest::writeFile(gQuelle = path("liste.txt"), "alt");
  const QStringList ziele = qvtest::unerreichbarePfade(dir.path());
  const auto stand = qvtest::ordnerStand(dir.path());
  const QString ini = "Die Einstellungen konnten nicht gespeichert werden:\r\n";
  const QString liste = u8("Die Schülerliste konnte nicht gespeichert werden:\r\n");
  QStringList erwartet = {ini + path("Vodedarivo.ini")};
  SchuelerListe l;
  {
    qvtest::Schreibfehler fehler(1, 2);
    EXPECT_FALSE(l.SchreibeIni());
    ui.answerMessage(Answer::Yes);  // the list that is there is to be replaced
    erwartet << u8("Die Datei „liste.txt“ ist bereits vorhanden.\r\nSoll sie ersetzt werden?");
    for (const QString& z : QStringList{path("liste.txt")} + ziele) {
      ui.answerSaveFile(z);
      l.SpeichereSchuelerliste();
      erwartet << liste + z;
    }
  }
  // Copies to such targets, and over the master itself: none reported as
  // written, each named.
  FakeEngine engine;
  setDistributionEngine(&engine);
  l.txtQuelle = gQuelle;
  for (const QString& z : ziele + QStringList{gQuelle}) l.rows << SchuelerZeile{"1", true, "K", "", z, "", ""};
  EXPECT_EQ(l.DupliziereUebungen().geschrieben, 0);
  erwartet << ui.messageTexts().last();
  EXPECT_TRUE(erwartet.last().startsWith("Es wurden 0 von 5 Kopien geschrieben.\r\n\r\nNicht geschrieben:\r\n"));
  // Each with the system's reason in German.
  const QStringList gruende = {"Name zu lang", "Name zu lang", "nicht erlaubt", "ein Teil des Pfads ist kein Ordner"};
  for (qsizetype i = 0; i < ziele.size(); ++i)
    EXPECT_TRUE(erwartet.last().contains("\r\n" + ziele[i] + ": " + gruende[i])) << qPrintable(ziele[i].left(80));
  // Neither the program folder nor the user's data folder takes the settings.
  qvtest::Env env{{"QV_PROGRAM_FOLDER", "/sys/qv"}, {"QV_USER_DATA", "/sys/qv"}};
  EXPECT_FALSE(l.SchreibeIni());
  erwartet << ini + "/sys/qv/Vodedarivo.ini";
  EXPECT_EQ(ui.messageTexts(), erwartet);
  EXPECT_EQ(qvtest::ordnerStand(dir.path()), stand);
}

TEST_F(Students, RunMessagesBeforeStart) {
  SchuelerListe l;
  l.DupliziereUebungen();
  l.txtQuelle = gQuelle = path("fehlt.doc");
  l.DupliziereUebungen();
  // Rows without file names: the names are built, nothing is written.
  qvtest::writeFile(l.txtQuelle = gQuelle = path("da.doc"), "x");
  l.txtBasisverzeichnis = dir.path();
  l.addRow(SchuelerZeile{"1", true, "Kind", "", "", "", ""});
  EXPECT_FALSE(l.DupliziereUebungen().gelaufen);
  EXPECT_EQ(l.rows[0].Dateiname, path("1_Kind.doc"));
  EXPECT_EQ(ui.messageTexts(), QStringList({u8("Bitte zuerst noch die Übungsvorlage festlegen!"),
                                            u8("Die Übungsvorlage '") + path("fehlt.doc") + "' wurden nicht gefunden",
                                            "Bitte zuerst noch die Dateinamen erzeugen"}));
}
