#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QQueue>
#include <QTemporaryDir>

#include "common/testutil.h"
#include "common/umgebung.h"
#include "installcore.h"
#include "installwindow.h"

using namespace qvinstall;
using qvtest::u8;

namespace {

class ScriptedDialogs : public Dialogs {
 public:
  struct Told {
    QString text, title;
    Icon icon;
  };
  QList<Told> told;
  QStringList asked;
  QQueue<bool> answers;
  int waitChanges = 0;
  bool waiting = false;
  void tell(const QString& text, const QString& title, Icon icon) override { told.append({text, title, icon}); }
  bool askYesNo(const QString& text, const QString& title) override {
    EXPECT_EQ(title, kProductTitle);
    asked << text;
    return answers.isEmpty() ? true : answers.dequeue();
  }
  void setWaitCursor(bool wait) override {
    waiting = wait;
    ++waitChanges;
  }
};

const QByteArray kNewTemplate = "{\\rtf1 neue Vorlage}";

class Installer : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString prog = dir.filePath("prog"), templates = dir.filePath("Vorlagen");
  ScriptedDialogs dialogs;
  void SetUp() override {
    QDir().mkpath(prog);
    QDir().mkpath(templates);
  }
  void putSource() { qvtest::writeFile(QDir(prog).filePath(kTemplateName), kNewTemplate); }
  QString target() const { return QDir(templates).filePath(kTemplateName); }
  // The one message of the run: how it starts, its icon and title; the wait
  // cursor is off again.
  void expectTold(const QString& start, Icon icon = Icon::Exclamation, const QString& title = kProductTitle) {
    ASSERT_EQ(dialogs.told.size(), 1);
    EXPECT_TRUE(dialogs.told[0].text.startsWith(start)) << dialogs.told[0].text.toStdString();
    EXPECT_EQ(std::tuple(dialogs.told[0].icon, dialogs.told[0].title), std::tuple(icon, title));
    EXPECT_FALSE(dialogs.waiting);
  }
  void expectSuccess() {
    const QString text = "Die Vorlage " + kTemplateName + " wurde erfolgreich in das Vorlagenverzeichnis kopiert";
    expectTold(text, Icon::Information);
    EXPECT_EQ(dialogs.told.value(0).text, text);
  }
};

}  // namespace

TEST_F(Installer, MissingSourceOnlyTellsAndTouchesNothing) {
  qvtest::writeFile(target(), "alt");
  EXPECT_EQ(runInstallation(dialogs, prog, templates).outcome, Outcome::SourceMissing);
  expectTold(u8("Zur Installation von Quillbee-Vodedarivo wird noch folgende Datei  benötigt: ") + kTemplateName,
             Icon::Information, "Install");
  EXPECT_TRUE(dialogs.asked.isEmpty());
  EXPECT_EQ(dialogs.waitChanges, 0);
  EXPECT_EQ(qvtest::readFile(target()), "alt");
}

TEST_F(Installer, FreshInstallCreatesFolderAndReportsSuccess) {
  putSource();
  const QString fresh = dir.filePath("neu/tief/Vorlagen");
  EXPECT_EQ(runInstallation(dialogs, prog, fresh).outcome, Outcome::Installed);
  EXPECT_EQ(qvtest::readFile(QDir(fresh).filePath(kTemplateName)), kNewTemplate);
  expectSuccess();
  EXPECT_EQ(dialogs.waitChanges, 2);
  EXPECT_EQ(qvtest::ordnerStand(fresh).keys(), QStringList{kTemplateName});  // no temporary files
}

TEST_F(Installer, EarlierCopyReplacedWithoutQuestionOlderOnlyOnYes) {
  putSource();
  qvtest::writeFile(QDir(templates).filePath("QUILLBEE_INTERAKTIV_V2.DOT"), "alt");  // the same name in capitals
  qvtest::writeFile(QDir(templates).filePath("quillbee_interaktiv_v1.dot"), "v1");
  qvtest::writeFile(QDir(templates).filePath("Quillbee-Interaktiv-Test.dot"), "test");
  qvtest::writeFile(QDir(templates).filePath("andere.dot"), "fremd");
  dialogs.answers << false << true;  // by name: "Quillbee-Interaktiv-Test.dot", "quillbee_interaktiv_v1.dot"
  EXPECT_EQ(runInstallation(dialogs, prog, templates).outcome, Outcome::Installed);
  ASSERT_EQ(dialogs.asked.size(), 2);
  EXPECT_EQ(dialogs.asked[0], u8("Soll die alte Vorlage ") +
                                  QDir::toNativeSeparators(QDir(templates).filePath("Quillbee-Interaktiv-Test.dot")) +
                                  u8(" gelöscht werden?"));
  EXPECT_EQ(qvtest::ordnerStand(templates).keys(),
            (QStringList{"Quillbee-Interaktiv-Test.dot", kTemplateName, "andere.dot"}));
  EXPECT_EQ(qvtest::readFile(target()), kNewTemplate);
  expectSuccess();
}

// The copy fails: the installed template, the older one the user let go and
// the earlier copy under another spelling all stay, no temporary file.
TEST_F(Installer, FailedCopyLeavesTheFolderAsItWas) {
  putSource();
  qvtest::writeFile(target(), "alt");
  qvtest::writeFile(QDir(templates).filePath("quillbee_interaktiv_v1.dot"), "v1");
  qvtest::writeFile(QDir(templates).filePath("QUILLBEE_INTERAKTIV_V2.DOT"), "gross");
  const auto stand = qvtest::ordnerStand(templates);
  qvtest::Schreibfehler fehler(1, 1, &failWrites);
  EXPECT_EQ(runInstallation(dialogs, prog, templates).errorNumber, kErrFileAccess);
  EXPECT_EQ(dialogs.asked.size(), 1);
  EXPECT_EQ(qvtest::ordnerStand(templates), stand);
  expectTold("Folgender Fehler trat auf: Fehler beim Zugriff auf Pfad oder Datei (75)\r\nDie Datei " +
             QDir::toNativeSeparators(target()) +
             " kann nicht geschrieben werden (Schreibfehler)");
}

TEST_F(Installer, NoOrUnmakeableTemplatesFolderIsReported) {
  putSource();
  for (const QString& folder : qvtest::unerreichbarePfade(dir.path())) {
    dialogs.told.clear();
    EXPECT_EQ(runInstallation(dialogs, prog, folder).outcome, Outcome::Failed);
    expectTold(u8("Folgender Fehler trat auf: Pfad nicht gefunden (76)\r\nDas Vorlagenverzeichnis ") + folder);
  }
  // A folder that takes no file, also not from root; the reason in German.
  dialogs.told.clear();
  EXPECT_EQ(runInstallation(dialogs, prog, "/sys").outcome, Outcome::Failed);
  expectTold("Folgender Fehler trat auf: Zugriff nicht erlaubt (70)\r\nDie Datei /sys/" + kTemplateName +
             " kann nicht geschrieben werden (nicht erlaubt)");
  // An unknown templates folder: the start message, nothing copied.
  dialogs.told.clear();
  EXPECT_EQ(runInstallation(dialogs, prog, QString()).outcome, Outcome::NoTemplatesFolder);
  expectTold(u8("Word konnte nicht ordnungsgemäß gestartet werden!"));
}

TEST_F(Installer, InstalledLayoutFindsTemplateInDataFolder) {
  const QString bin = dir.filePath("usr/bin"), share = dir.filePath("usr/share/quillbee-vodedarivo");
  QDir().mkpath(bin);
  QDir().mkpath(share);
  EXPECT_TRUE(sourceTemplate(bin).isEmpty());
  qvtest::writeFile(QDir(share).filePath(kTemplateName), kNewTemplate);
  EXPECT_EQ(QDir::cleanPath(sourceTemplate(bin)), QDir(share).filePath(kTemplateName));
  // A template beside the installer wins.
  qvtest::writeFile(QDir(bin).filePath(kTemplateName), "daneben");
  EXPECT_EQ(sourceTemplate(bin), QDir(bin).filePath(kTemplateName));
  EXPECT_EQ(runInstallation(dialogs, bin, templates).outcome, Outcome::Installed);
  EXPECT_EQ(qvtest::readFile(target()), "daneben");
}

// QV_TEMPLATES_DIR is taken by the window's test, the default folder below
// the user's data by the built installer's run in the command-line tests.
TEST(InstallerFolder, SameRuleAsTheProgram) {
  qvtest::Env env{{"QV_TEMPLATES_DIR", QByteArray()}, {"QV_USER_DATA", "/tmp/qv-daten"}};
  EXPECT_EQ(userTemplatesFolder(), "/tmp/qv-daten/Vorlagen");
}

TEST_F(Installer, WindowCancelsOrInstallsWithOneClick) {
  putSource();
  qvtest::Env env{{"QV_TEMPLATES_DIR", templates.toUtf8()}};
  for (int button : {0, 1}) {
    frmInstall w(prog, &dialogs);
    w.show();
    w.cmdButton[button]->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.installed(), button == 1);
    EXPECT_EQ(qvtest::readFile(target()), button == 1 ? kNewTemplate : QByteArray());
  }
  expectSuccess();
}
