#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/frmmain.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/umgebung.h"
#include "help/frmanleitung.h"
#include "help/frmueber.h"
#include "platform/editor_widget.h"
#include "platform/filehelper.h"

using namespace qv;
using qvtest::u8;

// The shipped guide, read whole and shown from its beginning.
TEST(QuickGuide, OpensOnlyWhenTheGuideExists) {
  QTemporaryDir dir;
  qvtest::Env env{{"QV_PROGRAM_FOLDER", dir.path().toUtf8()}};
  EXPECT_FALSE(frmAnleitung::zeige(nullptr));

  ASSERT_TRUE(QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Anleitung.doc"), dir.filePath("Anleitung.doc")));
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
  for (const char* part : {"Kurzanleitung", "Übung duplizieren", "Quillbee_Interaktiv_V2.dot"})
    EXPECT_TRUE(seen.contains(u8(part))) << part;
  EXPECT_FALSE(seen.contains(QStringLiteral("\\'"))) << "RTF escapes left in the text";
  EXPECT_EQ(cursor, 0);  // shown from its beginning
}

// Data files are looked for beside the program, then in the installed
// layout's data folder; the quick guide's menu entry follows them.
TEST(DataFiles, BesideTheProgramThenInstalledLayoutAndTheHelpMenu) {
  QTemporaryDir dir;
  const QString bin = dir.filePath("usr/bin"), share = dir.filePath("usr/share/quillbee-vodedarivo");
  QDir().mkpath(bin);
  QDir().mkpath(share);
  qvtest::Env env{{"QV_PROGRAM_FOLDER", bin.toUtf8()}};
  // Missing everywhere: the place beside the program, which does not exist.
  EXPECT_EQ(files::dataFile("template.html"), QDir(bin).filePath("template.html"));
  qvtest::writeFile(QDir(share).filePath("template.html"), "installiert");
  EXPECT_EQ(files::dataFile("template.html"), QDir(share).filePath("template.html"));
  qvtest::writeFile(QDir(bin).filePath("template.html"), "daneben");
  EXPECT_EQ(files::dataFile("template.html"), QDir(bin).filePath("template.html"));

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
  // The about entry opens its window over the main window.
  QWidget* aboutOwner = nullptr;
  frmMain::setAboutOpener([&](QWidget* owner) { aboutOwner = owner; });
  w.mnuHilfe_Click(11);
  EXPECT_EQ(aboutOwner, &w);
  frmMain::setAboutOpener(nullptr);
}

class About : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  qvtest::Env path{{"PATH", dir.path().toUtf8()}};
  QStringList started;
  void SetUp() override {
    frmUeber::setStarter([this](const QString& p) {
      started << p;
      return true;
    });
  }
  void TearDown() override { frmUeber::setStarter(nullptr); }
  QString fakeProgram(const QString& name) {
    const QString p = dir.filePath(name);
    qvtest::writeFile(p, "#!/bin/sh\n");
    QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return p;
  }
};

// None found, the desktop's own one first, then any; one that fails to
// start is told as none found.
TEST_F(About, SystemInformationStartsTheDesktopsOwnProgramFirstAndTellsWhenNoneStarts) {
  frmUeber w;
  w.show();
  w.cmdSysInfo->click();
  EXPECT_TRUE(started.isEmpty());
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_EQ(ui.messages()[0].text, u8("Systeminformationen sind momentan nicht verfügbar"));
  EXPECT_EQ(ui.messages()[0].buttons, Buttons::Ok);
  const QString hardinfo = fakeProgram("hardinfo"), gnome = fakeProgram("gnome-system-monitor");
  qvtest::Env desk{{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
  w.cmdSysInfo->click();
  EXPECT_EQ(started, QStringList{gnome});
  desk.set("XDG_CURRENT_DESKTOP", "");
  started.clear();
  frmUeber::StartSysInfo();
  EXPECT_EQ(started, QStringList{hardinfo});
  EXPECT_EQ(ui.messages().size(), 1);
  frmUeber::setStarter([](const QString&) { return false; });
  frmUeber::StartSysInfo();
  EXPECT_EQ(ui.messageTexts(), QStringList(2, ui.messages()[0].text));
  w.cmdOK->click();
  EXPECT_FALSE(w.isVisible());
}
