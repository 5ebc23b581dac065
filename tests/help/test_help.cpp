#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/frmmain.h"
#include "common/testutil.h"
#include "help/frmanleitung.h"
#include "help/frmueber.h"
#include "platform/editor_widget.h"
#include "platform/filehelper.h"
#include "common/scripted_ui.h"
#include "platform/widget_ui.h"
#include "version.h"

using namespace qv;
using qvtest::u8;

namespace {

QString shippedGuide() { return QStringLiteral(QV_SOURCE_DIR "/data/Anleitung.doc"); }

class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {}
  ~EnvGuard() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  QByteArray old_;
  bool had_;
};

}  // namespace

TEST(QuickGuide, ShippedGuideLoadsWithHeadingsAndSections) {
  RichEditor editor;
  ASSERT_TRUE(editor.loadDocumentFile(shippedGuide()));
  const QString text = editor.text();
  for (const char* part : {"Kurzanleitung", "Quillbee-Mappe öffnen", "Arbeitsblatt", "Ausgabeoptionen",
                           "DOC - Format", "HTM - Format", "Übung duplizieren", "Was die Schülerinnen und Schüler sehen",
                           "Nur die Lücke stehen lassen", "Quillbee_Interaktiv_V2.dot"})
    EXPECT_TRUE(text.contains(u8(part))) << part;
  EXPECT_FALSE(text.contains(QStringLiteral("\\'"))) << "RTF escapes left in the text";
  EXPECT_GT(text.size(), 4000);  // two to four pages
  // The first paragraph, the title, is bold.
  QTextCursor c(editor.document());
  c.movePosition(QTextCursor::NextCharacter);
  EXPECT_TRUE(c.charFormat().font().bold());
  EXPECT_GE(editor.document()->blockCount(), 30);
}

TEST(QuickGuide, WindowCoversOwnerShiftedAndEditorFillsIt) {
  QWidget owner;
  owner.setGeometry(100, 100, 800, 600);
  frmAnleitung w(&owner);
  EXPECT_EQ(w.windowTitle(), "Kurzanleitung");
  EXPECT_EQ(w.txtAnleitung()->objectName(), "txtAnleitung");
  const int dx = twipsToPixels(120), dy = twipsToPixels(120, false);
  EXPECT_EQ(w.geometry().left(), 100 + dx);
  EXPECT_EQ(w.geometry().top(), 100 + dy);
  EXPECT_EQ(w.geometry().right(), owner.geometry().right());
  EXPECT_EQ(w.geometry().bottom(), owner.geometry().bottom());
  w.show();
  w.resize(300, 200);
  EXPECT_EQ(w.txtAnleitung()->geometry(), QRect(0, 0, w.width(), w.height()));
  w.resize(0, 0);
  w.showMinimized();
  EXPECT_GE(w.txtAnleitung()->width(), 0);
}

TEST(QuickGuide, OpensOnlyWhenTheGuideExists) {
  EnvGuard guard("QV_PROGRAM_FOLDER");
  QTemporaryDir dir;
  qputenv("QV_PROGRAM_FOLDER", dir.path().toUtf8());
  EXPECT_FALSE(frmAnleitung::zeige(nullptr));

  ASSERT_TRUE(QFile::copy(shippedGuide(), dir.filePath("Anleitung.doc")));
  QString seen;
  int cursor = -1;
  QTimer::singleShot(0, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* w = qobject_cast<frmAnleitung*>(top); w && w->isVisible()) {
        seen = w->anleitung().text();
        cursor = w->txtAnleitung()->textCursor().position();
        w->accept();
      }
  });
  EXPECT_TRUE(frmAnleitung::zeige(nullptr));
  EXPECT_TRUE(seen.contains(u8("Übung duplizieren")));
  EXPECT_EQ(cursor, 0);  // shown from its beginning
}

TEST(QuickGuide, MenuEntryStaysHiddenAndUsesTheDataFolder) {
  EnvGuard guard("QV_PROGRAM_FOLDER");
  QTemporaryDir dir;
  const QString bin = dir.filePath("bin");
  const QString share = dir.filePath("share/quillbee-vodedarivo");
  QDir().mkpath(bin);
  QDir().mkpath(share);
  qputenv("QV_PROGRAM_FOLDER", bin.toUtf8());
  int opened = 0;
  frmMain::setQuickGuideOpener([&](QWidget*) { ++opened; });
  frmMain w;
  EXPECT_FALSE(w.menuEntry("mnuHilfe", 1)->isVisible());
  w.mnuHilfe_Click(1);
  EXPECT_EQ(opened, 0);
  qvtest::writeFile(QDir(share).filePath("Anleitung.doc"), "{\\rtf1 x}");
  w.mnuHilfe_Click(1);
  EXPECT_EQ(opened, 1);
  frmMain::setQuickGuideOpener(nullptr);
}

TEST(DataFiles, BesideTheProgramAndInstalledLayout) {
  EnvGuard guard("QV_PROGRAM_FOLDER");
  QTemporaryDir dir;
  const QString bin = dir.filePath("usr/bin");
  const QString share = dir.filePath("usr/share/quillbee-vodedarivo");
  QDir().mkpath(bin);
  QDir().mkpath(share);
  qputenv("QV_PROGRAM_FOLDER", bin.toUtf8());
  // Missing everywhere: the place beside the program, which does not exist.
  EXPECT_EQ(files::dataFile("template.html"), QDir(bin).filePath("template.html"));
  qvtest::writeFile(QDir(share).filePath("template.html"), "installiert");
  EXPECT_EQ(files::dataFile("template.html"), QDir(share).filePath("template.html"));
  qvtest::writeFile(QDir(bin).filePath("template.html"), "daneben");
  EXPECT_EQ(files::dataFile("template.html"), QDir(bin).filePath("template.html"));
}

class About : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  EnvGuard path{"PATH"};
  QStringList started;
  void SetUp() override {
    frmUeber::setStarter([this](const QString& p) {
      started << p;
      return true;
    });
    qputenv("PATH", dir.path().toUtf8());
  }
  void TearDown() override { frmUeber::setStarter(nullptr); }
  QString fakeProgram(const QString& name) {
    const QString p = dir.filePath(name);
    qvtest::writeFile(p, "#!/bin/sh\n");
    QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return p;
  }
};

TEST_F(About, TextsOfTheWindow) {
  frmUeber w;
  EXPECT_EQ(w.windowTitle(), "Info zu Quillbee-Vodedarivo");
  EXPECT_EQ(w.lblTitle->text(), "Quillbee-Vodedarivo");
  EXPECT_EQ(w.lblVersion->text(), QString("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
  EXPECT_EQ(w.lblVersion->text(), QString("Version ") + kVersionText);
  EXPECT_EQ(w.lblDescription->text(),
            u8("Quillbee-Vodedarivo ist ein Tool zur Erstellung von interaktiven Übungen als Wordformular oder "
               "HTML-Seite.\n\nAktuelle Vorlage: Quillbee_Interaktiv_V2.dot"));
  EXPECT_EQ(w.cmdOK->text(), "OK");
  EXPECT_TRUE(w.cmdOK->isDefault());
  EXPECT_EQ(w.cmdSysInfo->text(), "&Systeminfo...");
  w.show();
  w.cmdOK->click();
  EXPECT_FALSE(w.isVisible());
}

TEST_F(About, NoSystemInformationProgramIsSaid) {
  frmUeber w;
  w.cmdSysInfo->click();
  EXPECT_TRUE(started.isEmpty());
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_EQ(ui.messages()[0].text, u8("Systeminformationen sind momentan nicht verfügbar"));
  EXPECT_EQ(ui.messages()[0].buttons, Buttons::Ok);
}

TEST_F(About, FoundProgramIsStartedDesktopsOwnFirst) {
  EnvGuard desk("XDG_CURRENT_DESKTOP");
  const QString hardinfo = fakeProgram("hardinfo");
  const QString gnome = fakeProgram("gnome-system-monitor");
  qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
  frmUeber w;
  w.cmdSysInfo->click();
  EXPECT_EQ(started, QStringList{gnome});
  EXPECT_TRUE(ui.messages().isEmpty());
  qputenv("XDG_CURRENT_DESKTOP", "");
  started.clear();
  frmUeber::StartSysInfo();
  EXPECT_EQ(started, QStringList{hardinfo});
}

TEST_F(About, ProgramThatFailsToStartIsSaid) {
  fakeProgram("kinfocenter");
  frmUeber::setStarter([](const QString&) { return false; });
  frmUeber::StartSysInfo();
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_EQ(ui.messages()[0].text, u8("Systeminformationen sind momentan nicht verfügbar"));
}

TEST_F(About, MenuOpensTheWindow) {
  int opened = 0;
  frmMain::setAboutOpener([&](QWidget* owner) {
    ++opened;
    EXPECT_NE(owner, nullptr);
  });
  frmMain w;
  w.mnuHilfe_Click(11);
  EXPECT_EQ(opened, 1);
  frmMain::setAboutOpener(nullptr);
}
