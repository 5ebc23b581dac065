// The whole road in the main window: open the sample workbook, pick a
// worksheet, choose the output options and build the page and the form.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include "app/frmmain.h"
#include "app/variablen.h"
#include "common/fitcheck.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "html/htmlexercise.h"
#include "platform/cp1252.h"
#include "platform/docengine.h"
#include "common/scripted_ui.h"
#include "platform/shell.h"
#include "word/exercisewindow.h"
#include "word/frmablueckewa.h"
#include "word/modword.h"

using namespace qv;

namespace {

// Answers the output options dialog once it is shown: picks the option and
// presses "Erstellen".
void answerOptionsDialog(int option) {
  QTimer::singleShot(0, [option] {
    auto* dlg = qobject_cast<frmABLueckeWA*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    dlg->optAusgabe(option)->setChecked(true);
    dlg->cmdButton(0)->click();
  });
}

}  // namespace

TEST(Road, FromWorkbookToHtmlPageAndForm) {
  qvtest::Umgebung env;
  QTemporaryDir user;
  env.env.set("QV_USER_DATA", user.path().toUtf8());
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/template.html"), env.program.filePath("template.html"));
  QStringList opened;
  shell::setOpener([&opened](const QString& p) {
    opened << p;
    return true;
  });
  engine::Document* form = nullptr;
  setExerciseWindowOpener([&form](engine::Document* d) { form = d; });
  InstallDocumentVariablesWriter();

  frmMain w;
  ScriptedInteraction dialogs;
  w.resize(900, 640);
  w.show();

  // Open the workbook through the file menu.
  dialogs.answerOpenFile(qvtest::fixture("klassenfahrt.qbm"));
  w.menuEntry("mnuDatei", 1)->trigger();
  ASSERT_EQ(w.tabReg()->count(), 7);
  EXPECT_EQ(w.tabReg()->tabText(0) + "|" + w.tabReg()->tabText(6), "Original|Arbeitsblatt 6");
  EXPECT_TRUE(w.statusPanel()->text().contains("klassenfahrt.qbm"));
  EXPECT_NE(dialogs.shown().value(0).file.initialFolder, env.program.path());
  // Every worksheet tab shows its caption as tool tip before it is clicked.
  for (int k = 1; k < 7; ++k) EXPECT_EQ(w.tabReg()->tabToolTip(k), gArbeitsblaetter[k - 1].Caption) << k;

  // Worksheet 1 as an HTML page with the words at the top.
  w.tabReg()->setCurrentIndex(1);
  EXPECT_EQ(gCaption, "Verben in der Vergangenheit");
  w.menuEntry("mnuAusgabeformat", 2)->trigger();
  answerOptionsDialog(0);
  // The save dialog proposes the caption as name, away from the program's
  // folder; a name without extension gets ".html".
  dialogs.clear();
  const QString page = user.filePath("Verben.html");
  dialogs.answerSaveFile(user.filePath("Verben"));
  w.menuEntry("mnuArbeitsblatt", 2)->trigger();
  EXPECT_TRUE(w.isEnabled());
  ASSERT_EQ(opened, QStringList{page});
  EXPECT_EQ(std::tuple(dialogs.shown().value(0).file.fileName, dialogs.shown().value(0).file.initialFolder == env.program.path()),
            std::tuple(QStringLiteral("Verben in der Vergangenheit.html"), false));
  const QString html = cp1252::decode(qvtest::readFile(page));
  EXPECT_EQ(html.count(QStringLiteral("<input")), 10);
  EXPECT_TRUE(html.contains(QStringLiteral("erreichten, erzählte")));
  EXPECT_TRUE(qvtest::readFile(page).endsWith("</html>\r\n\r\n"));
  ASSERT_FALSE(dialogs.messages().isEmpty());
  const MessageBoxRequest saved = dialogs.messages().last();
  EXPECT_EQ(std::tuple(saved.text, saved.icon, saved.systemModal, saved.title),
            std::tuple(htmlGespeichertText(10, page), Icon::Information, true, kProductName));

  EXPECT_TRUE(qvtest::saveScreenshot(&w, "hauptfenster"));

  // Again: the dialog starts in the folder of the last page; Cancel writes
  // and shows nothing.
  dialogs.clear();
  answerOptionsDialog(0);
  w.menuEntry("mnuArbeitsblatt", 2)->trigger();
  EXPECT_EQ(std::tuple(dialogs.shown().value(0).file.initialFolder, dialogs.shown().size(), opened.size()),
            std::tuple(user.path(), 1, 1));

  // The same worksheet as a form document with the base forms behind the gaps.
  w.menuEntry("mnuAusgabeformat", 1)->trigger();
  answerOptionsDialog(2);
  w.menuEntry("mnuArbeitsblatt", 2)->trigger();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->formFieldCount(), 10);
  EXPECT_TRUE(form->text().contains(QStringLiteral(" (treffen)1)")));
  EXPECT_EQ(dialogs.messageTexts().last(), QStringLiteral("Es wurde eine Lückenübung mit 10 Lücken erstellt"));
  EXPECT_TRUE(w.isEnabled());

  // A worksheet whose gaps miss the text (this workbook has none): one
  // message naming the first such gap, before any question; nothing built.
  gTextTXT.clear();
  dialogs.answerOpenFile(qvtest::fixture("ohne-text-tabelle.qbm"));
  w.menuEntry("mnuDatei", 1)->trigger();
  w.tabReg()->setCurrentIndex(1);
  dialogs.clear();
  w.menuEntry("mnuArbeitsblatt", 2)->trigger();
  ASSERT_EQ(dialogs.messageTexts().size(), 1);
  EXPECT_TRUE(dialogs.messageTexts()[0].contains(QStringLiteral("Stelle 53 steht nicht das Wort \u201Etrafen\u201C der 1. Lücke")));

  setExerciseWindowOpener(nullptr);
  shell::setOpener(nullptr);
  qvtest::quitEngines();
}

// A worksheet to Moodle: the options dialog, the alternatives question, the
// save dialog proposing the caption, the closing message.
TEST(Road, WorksheetToMoodleWithAlternatives) {
  qvtest::Umgebung env;
  QTemporaryDir dir;
  frmMain w;
  ScriptedInteraction dialogs;
  dialogs.answerOpenFile(qvtest::fixture("klassenfahrt.qbm"));
  w.menuEntry("mnuDatei", 1)->trigger();
  w.tabReg()->setCurrentIndex(1);
  w.menuEntry("mnuAusgabeformat", 3)->trigger();
  EXPECT_FALSE(w.menuEntry("mnuAusgabeformat", 2)->isChecked() || w.menuEntry("mnuArbeitsblatt", 1)->isEnabled());
  dialogs.answerMessage(Answer::Yes);
  dialogs.answerInput("begegneten, sahen");
  const QString path = dir.filePath("blatt 2.1.xml");
  dialogs.answerSaveFile(dir.filePath("blatt 2.1"));  // the extension is added
  answerOptionsDialog(3);
  dialogs.clear();
  w.menuEntry("mnuArbeitsblatt", 2)->trigger();
  EXPECT_TRUE(w.isEnabled());
  EXPECT_EQ(dialogs.shown()[dialogs.shown().size() - 2].file.fileName, "Verben in der Vergangenheit.xml");
  EXPECT_EQ(dialogs.messageTexts().last(), htmlGespeichertText(10, path));
  EXPECT_TRUE(qvtest::readFile(path).contains("~=begegneten~=sahen}"));
}
