#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTabBar>

#include "app/frmmain.h"
#include "app/variablen.h"
#include "platform/editor_widget.h"
#include "platform/richeditor.h"
#include "common/scripted_ui.h"
#include "platform/widget_ui.h"

using namespace qv;

namespace {

struct MenuRow {
  const char* menu;
  int index;
  const char* caption;
  bool visible;
  bool enabled;
};

// Every entry with its caption and state at start.
const MenuRow kMenu[] = {
    {"mnuMain", 10, "Datei", true, true},
    {"mnuDatei", 1, "Quillbee-Mappe &öffnen", true, true},
    {"mnuDatei", 2, "Übung duplizieren", true, true},
    {"mnuDatei", 3, "Ergebnisverwaltung", true, true},
    {"mnuDatei", 10, "-", true, true},
    {"mnuDatei", 11, "Beenden", true, true},
    {"mnuMain", 30, "Arbeitsblätter", true, true},
    {"mnuArbeitsblatt", 1, "Mit vollständiger Lösung und Hilfe", true, false},
    {"mnuArbeitsblatt", 2, "Mit vollständiger Lösung", true, true},
    {"mnuArbeitsblatt", 3, "Mit richtig/falsch Information", true, false},
    {"mnuArbeitsblatt", 4, "Arbeitsblatt ohne Lösung", false, true},
    {"mnuArbeitsblatt", 10, "-", false, true},
    {"mnuArbeitsblatt", 11, "Mutiple Choice", false, true},
    {"mnuMain", 40, "Kontrollfunktion", false, false},
    {"mnuKontrolle", 1, "Fertige Übungen prüfen", true, false},
    {"mnuKontrolle", 2, "Vodedarivo prüfen", true, false},
    {"mnuKontrolle", 10, "-", true, true},
    {"mnuMain", 50, "Ausgabeformat", true, true},
    {"mnuAusgabeformat", 1, "DOC - Format", true, true},
    {"mnuAusgabeformat", 2, "HTM - Format", true, true},
    {"mnuMain", 80, "Extras", false, false},
    {"mnuMain", 99, "&?", true, true},
    {"mnuHilfe", 1, "Kurzanleitung", false, true},
    {"mnuHilfe", 2, "Quillbee im Web", true, true},
    {"mnuHilfe", 10, "-", true, true},
    {"mnuHilfe", 11, "About", true, true},
    {"mnuHilfe", 99, "kk", false, true},
};

ArbeitsblattEintrag sheet(int id, int typ, const QString& caption) {
  ArbeitsblattEintrag e;
  e.ID = id;
  e.Uebungstyp = static_cast<int16_t>(typ);
  e.Caption = caption;
  e.Details = QStringLiteral("5;ging;gehen;");
  e.ArbeitsblattRTF = QByteArray(30, '\0') + "{\\rtf1\\ansi " + caption.toLatin1() + "}";
  return e;
}

// A main window with two worksheets loaded by hand, as the workbook loading
// leaves it.
void loadTwoSheets(frmMain& w) {
  gArbeitsblaetter = {sheet(11, 101, "Verben"), sheet(12, 201, "Satzglieder")};
  gTextRTF = QByteArray(30, '\0') + "{\\rtf1\\ansi Originaltext}";
  w.addTab("Arbeitsblatt 1");
  w.addTab("Arbeitsblatt 2");
}

}  // namespace

TEST(frmMain, MenusAtStart) {
  frmMain w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillbee - Vodedarivo"));
  for (const MenuRow& r : kMenu) {
    QAction* a = w.menuEntry(r.menu, r.index);
    ASSERT_NE(a, nullptr) << r.menu << r.index;
    EXPECT_EQ(a->isSeparator() ? QStringLiteral("-") : a->text(), QString::fromUtf8(r.caption)) << r.menu << r.index;
    EXPECT_EQ(a->isVisible(), r.visible) << r.menu << r.index;
    // Qt reports a hidden entry as disabled; hidden entries never show.
    if (r.visible) {
      EXPECT_EQ(a->isEnabled(), r.enabled) << r.menu << r.index;
    }
  }
  EXPECT_TRUE(w.menuEntry("mnuAusgabeformat", 1)->isChecked());
  EXPECT_FALSE(w.menuEntry("mnuAusgabeformat", 2)->isChecked());
  EXPECT_TRUE(w.menuEntry("mnuDatei", 10)->isSeparator());
  EXPECT_FALSE(w.tabFrame()->isVisibleTo(&w));
  EXPECT_TRUE(w.logo()->isVisibleTo(&w));
  EXPECT_EQ(w.centralWidget()->palette().color(QPalette::Window), QColor(255, 192, 128));
}

TEST(frmMain, FormatSwitchEnablesTheWorksheetEntries) {
  frmMain w;
  w.mnuAusgabeformat_Click(2);
  EXPECT_TRUE(w.menuEntry("mnuAusgabeformat", 2)->isChecked());
  EXPECT_FALSE(w.menuEntry("mnuAusgabeformat", 1)->isChecked());
  EXPECT_FALSE(gFormatDoc);
  EXPECT_FALSE(w.menuEntry("mnuArbeitsblatt", 1)->isEnabled());
  EXPECT_TRUE(w.menuEntry("mnuArbeitsblatt", 2)->isEnabled());
  EXPECT_FALSE(w.menuEntry("mnuArbeitsblatt", 3)->isEnabled());
  w.mnuAusgabeformat_Click(1);
  EXPECT_TRUE(gFormatDoc);
  for (int e : {1, 2, 3}) EXPECT_TRUE(w.menuEntry("mnuArbeitsblatt", e)->isEnabled()) << e;
  EXPECT_FALSE(w.menuEntry("mnuArbeitsblatt", 4)->isVisible());
}

TEST(frmMain, TabClickMakesTheWorksheetCurrent) {
  frmMain w;
  loadTwoSheets(w);
  w.tabReg()->setCurrentIndex(1);
  EXPECT_EQ(gArbeitsblattID, 11);
  EXPECT_EQ(gCaption, "Verben");
  EXPECT_EQ(gUebungstyp, 101);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillbee - Vodedarivo - Verben"));
  EXPECT_EQ(w.tabReg()->tabToolTip(1), "Verben");
  EXPECT_TRUE(txtText().text().contains("Verben"));
  EXPECT_TRUE(w.menuEntry("mnuMain", 30)->isEnabled());

  w.tabReg()->setCurrentIndex(0);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillbee - Vodedarivo"));
  EXPECT_FALSE(w.menuEntry("mnuMain", 30)->isEnabled());
  EXPECT_TRUE(txtText().text().contains("Originaltext"));
}

TEST(frmMain, UnbuildableTypeDoesNothingAndSeparatorIndexesStop) {
  ScriptedInteraction ui;
  frmMain w;
  loadTwoSheets(w);
  w.tabReg()->setCurrentIndex(2);  // type 201
  gDialogErgebnis = 1;
  w.mnuArbeitsblatt_Click(2);
  EXPECT_EQ(gDialogErgebnis, 2);
  EXPECT_TRUE(ui.shown().isEmpty());
  EXPECT_EQ(ui.waitCursorChanges(), 0);
  w.mnuArbeitsblatt_Click(11);
  EXPECT_TRUE(ui.shown().isEmpty());
}

TEST(frmMain, NarrowWindowKeepsTheTabStripAndPlacesTheEditorInIt) {
  frmMain w;
  w.show();
  w.resize(800, 600);
  QApplication::processEvents();
  const QRect before = w.tabFrame()->geometry();
  const QRect editorBefore = w.editor()->geometry();
  EXPECT_GT(before.width(), 0);
  EXPECT_NEAR(editorBefore.left(), before.left() + twipsToPixels(60), 1);
  EXPECT_NEAR(editorBefore.top(), before.top() + twipsToPixels(360, false), 1);
  // An inner width below 120 twips leaves the tab strip where it was.
  w.centralWidget()->resize(twipsToPixels(100), w.centralWidget()->height());
  w.layoutControls();
  EXPECT_EQ(w.tabFrame()->geometry(), before);
  EXPECT_EQ(w.editor()->geometry(), editorBefore);
}
