#include <gtest/gtest.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "common/testutil.h"
#include "platform/scripted_ui.h"
#include "platform/widget_ui.h"
#include "students/frmschuelerliste.h"

using namespace qv;

class Window : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  void SetUp() override {
    qputenv("QV_PROGRAM_FOLDER", dir.path().toUtf8());
    gSchueler.clear();
  }
};

TEST_F(Window, EmptyGridButtonsWarn) {
  frmSchuelerListe w;
  for (int i = 1; i <= 3; ++i) w.cmdButton[i]->click();
  ASSERT_EQ(ui.messages().size(), 3);
  for (const auto& m : ui.messages()) {
    EXPECT_EQ(m.text, qvtest::u8("Es ist noch keine Schülerliste vorhanden!"));
    EXPECT_EQ(m.icon, Icon::Exclamation);
  }
}

TEST_F(Window, SpringsBackToMinimumSize) {
  frmSchuelerListe w;
  w.show();
  w.resize(50, 50);
  EXPECT_GE(w.width(), twipsToPixels(7875 + 120));
  EXPECT_GE(w.height(), twipsToPixels(3000, false));
}

TEST_F(Window, DoubleClickEditsRememberedPupil) {
  qvtest::writeFile(dir.filePath("l.txt"), "Zoe\r\nAnna\r\n");
  frmSchuelerListe w;
  w.liste().ImportiereDatei(dir.filePath("l.txt"), false);
  w.zeigeListe();
  ASSERT_EQ(w.lstListe->topLevelItem(0)->text(1), "Anna");
  w.klick(1);
  EXPECT_EQ(w.windowTitle(), "Zoe");
  ui.answerInput("");
  ui.answerInput("/x");
  ui.answerInput("");
  ui.answerInput("zo");
  w.doppelklick();
  EXPECT_EQ(ui.inputs().size(), 4);
  EXPECT_EQ(w.liste().rows[1].Name, "Zoe");
  EXPECT_EQ(w.liste().rows[1].ID, "1");
  EXPECT_EQ(gSchueler[0].Rechnername, "zo");
  EXPECT_EQ(gSchueler[0].Verzeichnis, "/x");
}

TEST_F(Window, DoubleClickOnEmptyGridAddsUncheckedRow) {
  frmSchuelerListe w;
  w.doppelklick();
  ASSERT_EQ(w.lstListe->topLevelItemCount(), 1);
  EXPECT_EQ(w.lstListe->topLevelItem(0)->text(0), "1");
  EXPECT_EQ(w.lstListe->topLevelItem(0)->checkState(0), Qt::Unchecked);
}
