#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QQueue>
#include <QTemporaryDir>

#include "common/testutil.h"
#include "installcore.h"
#include "installwindow.h"

using namespace qvinstall;
using qvtest::u8;

namespace {

struct Told {
  QString text, title;
  Icon icon;
};

class ScriptedDialogs : public Dialogs {
 public:
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
  QString prog, templates;
  ScriptedDialogs dialogs;
  void SetUp() override {
    prog = dir.filePath("prog");
    templates = dir.filePath("Vorlagen");
    QDir().mkpath(prog);
    QDir().mkpath(templates);
  }
  void putSource() { qvtest::writeFile(QDir(prog).filePath(kTemplateName), kNewTemplate); }
  QString target() const { return QDir(templates).filePath(kTemplateName); }
  QString successText() const {
    return "Die Vorlage " + kTemplateName + " wurde erfolgreich in das Vorlagenverzeichnis kopiert";
  }
};

}  // namespace

TEST_F(Installer, MissingSourceOnlyTellsAndTouchesNothing) {
  qvtest::writeFile(target(), "alt");
  const Result r = runInstallation(dialogs, prog, templates);
  EXPECT_EQ(r.outcome, Outcome::SourceMissing);
  ASSERT_EQ(dialogs.told.size(), 1);
  EXPECT_EQ(dialogs.told[0].text,
            u8("Zur Installation von Quillbee-Vodedarivo wird noch folgende Datei  benötigt: "
               "Quillbee_Interaktiv_V2.dot\r\n\r\nDiese Datei muss sich im gleichen Verzeichnis befinden, "
               "wie dieses Installationstool"));
  EXPECT_EQ(dialogs.told[0].title, "Install");
  EXPECT_EQ(dialogs.told[0].icon, Icon::Information);
  EXPECT_TRUE(dialogs.asked.isEmpty());
  EXPECT_EQ(dialogs.waitChanges, 0);
  EXPECT_EQ(qvtest::readFile(target()), "alt");
}

TEST_F(Installer, FreshInstallCreatesFolderAndReportsSuccess) {
  putSource();
  const QString fresh = dir.filePath("neu/tief/Vorlagen");
  const Result r = runInstallation(dialogs, prog, fresh);
  EXPECT_EQ(r.outcome, Outcome::Installed);
  EXPECT_EQ(qvtest::readFile(QDir(fresh).filePath(kTemplateName)), kNewTemplate);
  ASSERT_EQ(dialogs.told.size(), 1);
  EXPECT_EQ(dialogs.told[0].text, successText());
  EXPECT_EQ(dialogs.told[0].title, kProductTitle);
  EXPECT_EQ(dialogs.told[0].icon, Icon::Information);
  EXPECT_FALSE(dialogs.waiting);
  EXPECT_EQ(dialogs.waitChanges, 2);
  // Only the template itself is left in the folder: no temporary files.
  EXPECT_EQ(QDir(fresh).entryList(QDir::Files | QDir::Hidden), QStringList{kTemplateName});
}

TEST_F(Installer, EarlierCopyReplacedWithoutQuestionOlderOnlyOnYes) {
  putSource();
  qvtest::writeFile(target(), "alt");
  qvtest::writeFile(QDir(templates).filePath("quillbee_interaktiv_v1.dot"), "v1");
  qvtest::writeFile(QDir(templates).filePath("Quillbee-Interaktiv-Test.dot"), "test");
  qvtest::writeFile(QDir(templates).filePath("andere.dot"), "fremd");
  dialogs.answers << false << true;  // by name: "Quillbee-Interaktiv-Test.dot", "quillbee_interaktiv_v1.dot"
  const Result r = runInstallation(dialogs, prog, templates);
  EXPECT_EQ(r.outcome, Outcome::Installed);
  ASSERT_EQ(dialogs.asked.size(), 2);
  EXPECT_EQ(dialogs.asked[0], u8("Soll die alte Vorlage ") +
                                  QDir::toNativeSeparators(QDir(templates).filePath("Quillbee-Interaktiv-Test.dot")) +
                                  u8(" gelöscht werden?"));
  EXPECT_TRUE(QFile::exists(QDir(templates).filePath("Quillbee-Interaktiv-Test.dot")));
  EXPECT_FALSE(QFile::exists(QDir(templates).filePath("quillbee_interaktiv_v1.dot")));
  EXPECT_TRUE(QFile::exists(QDir(templates).filePath("andere.dot")));
  EXPECT_EQ(qvtest::readFile(target()), kNewTemplate);
  ASSERT_EQ(dialogs.told.size(), 1);
  EXPECT_EQ(dialogs.told[0].text, successText());
}

TEST_F(Installer, SamePathInCapitalsCountsAsEarlierCopy) {
  putSource();
  const QString capitals = QDir(templates).filePath("QUILLBEE_INTERAKTIV_V2.DOT");
  qvtest::writeFile(capitals, "alt");
  const Result r = runInstallation(dialogs, prog, templates);
  EXPECT_EQ(r.outcome, Outcome::Installed);
  EXPECT_TRUE(dialogs.asked.isEmpty());
  EXPECT_EQ(qvtest::readFile(target()), kNewTemplate);
  EXPECT_EQ(QDir(templates).entryList(QDir::Files | QDir::Hidden), QStringList{kTemplateName});
}

TEST_F(Installer, FailedCopyKeepsTheInstalledTemplate) {
  putSource();
  // A folder of the template's name stands where the copy must go: the copy
  // cannot complete, whoever runs the test.
  const QString blocked = dir.filePath("blockiert");
  QDir().mkpath(QDir(blocked).filePath(kTemplateName));
  const QString capitals = QDir(blocked).filePath("QUILLBEE_INTERAKTIV_V2.DOT");
  qvtest::writeFile(capitals, "alt");
  const Result r = runInstallation(dialogs, prog, blocked);
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_EQ(qvtest::readFile(capitals), "alt");
  ASSERT_EQ(dialogs.told.size(), 1);
  EXPECT_TRUE(dialogs.told[0].text.startsWith("Folgender Fehler trat auf: " + QString::number(r.errorNumber) + "\r\n"))
      << dialogs.told[0].text.toStdString();
  EXPECT_FALSE(r.errorText.isEmpty());
  EXPECT_EQ(dialogs.told[0].icon, Icon::Exclamation);
  EXPECT_EQ(dialogs.told[0].title, kProductTitle);
  EXPECT_FALSE(dialogs.waiting);
  // No temporary copy is left behind.
  EXPECT_EQ(QDir(blocked).entryList(QDir::Files | QDir::Hidden), QStringList{"QUILLBEE_INTERAKTIV_V2.DOT"});
}

TEST_F(Installer, ReadOnlyFolderKeepsTheInstalledTemplate) {
  putSource();
  qvtest::writeFile(target(), "alt");
  QFile::setPermissions(templates, QFile::ReadOwner | QFile::ExeOwner);
  if (QFile f(QDir(templates).filePath("probe")); f.open(QIODevice::WriteOnly)) {
    f.remove();
    QFile::setPermissions(templates, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    GTEST_SKIP() << "folder permissions do not bind this user";
  }
  const Result r = runInstallation(dialogs, prog, templates);
  QFile::setPermissions(templates, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_EQ(qvtest::readFile(target()), "alt");
  ASSERT_EQ(dialogs.told.size(), 1);
  EXPECT_TRUE(dialogs.told[0].text.startsWith(u8("Folgender Fehler trat auf: ")));
}

TEST_F(Installer, TemplatesFolderThatCannotBeMadeIsReported) {
  putSource();
  qvtest::writeFile(dir.filePath("datei"), "x");
  const Result r = runInstallation(dialogs, prog, dir.filePath("datei/Vorlagen"));
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_EQ(r.errorNumber, kErrPathNotFound);
  ASSERT_EQ(dialogs.told.size(), 1);
  EXPECT_TRUE(dialogs.told[0].text.startsWith(u8("Folgender Fehler trat auf: 76\r\n")));
}

TEST_F(Installer, UnknownTemplatesFolderGivesStartMessageAndCopiesNothing) {
  putSource();
  const Result r = runInstallation(dialogs, prog, QString());
  EXPECT_EQ(r.outcome, Outcome::NoTemplatesFolder);
  ASSERT_EQ(dialogs.told.size(), 1);
  EXPECT_EQ(dialogs.told[0].text, u8("Word konnte nicht ordnungsgemäß gestartet werden!"));
  EXPECT_EQ(dialogs.told[0].icon, Icon::Exclamation);
  EXPECT_FALSE(dialogs.waiting);
}

TEST_F(Installer, InstalledLayoutFindsTemplateInDataFolder) {
  const QString bin = dir.filePath("usr/bin");
  const QString share = dir.filePath("usr/share/quillbee-vodedarivo");
  QDir().mkpath(bin);
  QDir().mkpath(share);
  EXPECT_TRUE(sourceTemplate(bin).isEmpty());
  qvtest::writeFile(QDir(share).filePath(kTemplateName), kNewTemplate);
  EXPECT_EQ(QDir::cleanPath(sourceTemplate(bin)), QDir(share).filePath(kTemplateName));
  // A template beside the installer wins.
  qvtest::writeFile(QDir(bin).filePath(kTemplateName), "daneben");
  EXPECT_EQ(sourceTemplate(bin), QDir(bin).filePath(kTemplateName));
  const Result r = runInstallation(dialogs, bin, templates);
  EXPECT_EQ(r.outcome, Outcome::Installed);
  EXPECT_EQ(qvtest::readFile(target()), "daneben");
}

TEST(InstallerFolder, SameRuleAsTheProgram) {
  const QByteArray oldT = qgetenv("QV_TEMPLATES_DIR"), oldU = qgetenv("QV_USER_DATA");
  qputenv("QV_TEMPLATES_DIR", "/tmp/vorlagen-test");
  EXPECT_EQ(userTemplatesFolder(), "/tmp/vorlagen-test");
  qunsetenv("QV_TEMPLATES_DIR");
  qputenv("QV_USER_DATA", "/tmp/qv-daten");
  EXPECT_EQ(userTemplatesFolder(), "/tmp/qv-daten/Vorlagen");
  qunsetenv("QV_USER_DATA");
  EXPECT_TRUE(userTemplatesFolder().endsWith("/Quillbee-Vodedarivo/Vorlagen")) << userTemplatesFolder().toStdString();
  if (!oldT.isNull()) qputenv("QV_TEMPLATES_DIR", oldT);
  if (!oldU.isNull()) qputenv("QV_USER_DATA", oldU);
}

TEST_F(Installer, WindowTextButtonsAndOneClick) {
  putSource();
  qputenv("QV_TEMPLATES_DIR", templates.toUtf8());
  frmInstall w(prog, &dialogs);
  EXPECT_EQ(w.windowTitle(), "Installation von Quillbee-Vodedarivo");
  EXPECT_EQ(w.cmdButton[1]->text(), "Installieren");
  EXPECT_EQ(w.cmdButton[0]->text(), "Abbrechen");
  EXPECT_TRUE(w.cmdButton[1]->isDefault());
  EXPECT_TRUE(w.lblText->text().startsWith(u8("Dieses Tool installiert die benötige Word-Vorlage in das Vorlagenverzeichnis")));
  EXPECT_TRUE(w.lblText->text().endsWith(u8("Übungen, \nwünscht das Quillbee-Team!")));
  EXPECT_TRUE(introText().contains(u8("dass die Ausführung von Makros in Word zugelassen sind.\r\n\r\nViel Spaß")));

  w.show();
  w.cmdButton[0]->click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.installed());
  EXPECT_TRUE(dialogs.told.isEmpty());
  EXPECT_FALSE(QFile::exists(target()));

  frmInstall w2(prog, &dialogs);
  w2.show();
  w2.cmdButton[1]->click();
  EXPECT_FALSE(w2.isVisible());
  EXPECT_TRUE(w2.installed());
  EXPECT_EQ(w2.lastResult().outcome, Outcome::Installed);
  EXPECT_EQ(qvtest::readFile(target()), kNewTemplate);
  qunsetenv("QV_TEMPLATES_DIR");
}
