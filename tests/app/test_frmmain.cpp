#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTabBar>

#include "app/frmmain.h"
#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "platform/editor_widget.h"
#include "platform/widget_ui.h"

using namespace qv;

namespace {

ArbeitsblattEintrag sheet(int id, int typ, const QString& caption) {
  return {static_cast<int16_t>(typ), caption, QStringLiteral("5;ging;gehen;"), id,
          QByteArray(30, '\0') + "{\\rtf1\\ansi " + caption.toLatin1() + "}", {}};
}

}  // namespace

TEST(frmMain, FormatSwitchEnablesTheWorksheetEntries) {
  frmMain w;
  w.mnuAusgabeformat_Click(2);
  EXPECT_FALSE(w.menuEntry("mnuAusgabeformat", 1)->isChecked());
  EXPECT_FALSE(gFormatDoc);
  for (int e : {1, 2, 3}) EXPECT_EQ(w.menuEntry("mnuArbeitsblatt", e)->isEnabled(), e == 2) << e;
  w.mnuAusgabeformat_Click(1);
  EXPECT_TRUE(gFormatDoc);
  for (int e : {1, 2, 3}) EXPECT_TRUE(w.menuEntry("mnuArbeitsblatt", e)->isEnabled()) << e;
  EXPECT_FALSE(w.menuEntry("mnuArbeitsblatt", 4)->isVisible());
}

// Two worksheets loaded by hand, as the workbook loading leaves them.
TEST(frmMain, TabClickMakesTheWorksheetCurrentAndAnUnbuildableTypeDoesNothing) {
  ScriptedInteraction ui;
  frmMain w;
  gArbeitsblaetter = {sheet(11, 101, "Verben"), sheet(12, 201, "Satzglieder")};
  gTextRTF = QByteArray(30, '\0') + "{\\rtf1\\ansi Originaltext}";
  w.addTab("Arbeitsblatt 1");
  w.addTab("Arbeitsblatt 2");
  w.tabReg()->setCurrentIndex(1);
  EXPECT_EQ(std::tuple(gArbeitsblattID, gUebungstyp), std::tuple(11, 101));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillbee - Vodedarivo - Verben"));
  EXPECT_TRUE(txtText().text().contains("Verben"));
  EXPECT_TRUE(w.menuEntry("mnuMain", 30)->isEnabled());

  w.tabReg()->setCurrentIndex(0);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillbee - Vodedarivo"));
  EXPECT_FALSE(w.menuEntry("mnuMain", 30)->isEnabled());
  EXPECT_TRUE(txtText().text().contains("Originaltext"));

  // Type 201 cannot be built: nothing is shown, no wait cursor; separator
  // indexes stop too.
  w.tabReg()->setCurrentIndex(2);
  gDialogErgebnis = 1;
  w.mnuArbeitsblatt_Click(2);
  EXPECT_EQ(gDialogErgebnis, 2);
  w.mnuArbeitsblatt_Click(11);
  EXPECT_EQ(std::tuple(ui.shown().size(), ui.waitCursorChanges()), std::tuple(0, 0));
}

TEST(frmMain, NarrowWindowKeepsTheTabStripAndPlacesTheEditorInIt) {
  frmMain w;
  w.show();
  w.resize(800, 600);
  QApplication::processEvents();
  const QRect before = w.tabFrame()->geometry();
  const QRect editorBefore = w.editor()->geometry();
  EXPECT_TRUE(before.contains(editorBefore));
  // An inner width below 120 twips leaves the tab strip where it was.
  w.centralWidget()->resize(twipsToPixels(100), w.centralWidget()->height());
  w.layoutControls();
  EXPECT_EQ(std::tuple(w.tabFrame()->geometry(), w.editor()->geometry()), std::tuple(before, editorBefore));
}
