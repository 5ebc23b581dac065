#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>

#include "app/variablen.h"
#include "word/ausgabeoptionen.h"
#include "word/frmablueckewa.h"
#include "word/frmprogress.h"

using namespace qv;

namespace {
std::array<bool, 4> all(bool a, bool b, bool c, bool d) { return {a, b, c, d}; }
}  // namespace

TEST(AusgabeOptionen, EnablingAndPreselectionPerType) {
  const QString full = QStringLiteral("5;ging;gehen;\r\n9;sah;sehen;");
  auto o = AusgabeOptionenFuer(101, full);
  EXPECT_EQ(o.enabled, all(true, true, true, true));
  EXPECT_EQ(o.selected, 2);
  o = AusgabeOptionenFuer(101, QStringLiteral("5;ging;;\r\n9;sah;sehen;"));
  EXPECT_EQ(o.enabled, all(true, false, false, true));
  EXPECT_EQ(o.selected, 3);
  o = AusgabeOptionenFuer(301, full);
  EXPECT_EQ(o.enabled, all(false, false, false, true));
  EXPECT_EQ(o.selected, 3);
  o = AusgabeOptionenFuer(106, full);
  EXPECT_EQ(o.enabled, all(true, false, false, true));
  EXPECT_EQ(o.selected, 0);
  o = AusgabeOptionenFuer(105, full);
  EXPECT_EQ(o.enabled, all(true, true, true, true));
  EXPECT_EQ(o.selected, 3);
  for (int typ : {102, 103, 104}) EXPECT_EQ(AusgabeOptionenFuer(typ, full).enabled, all(true, false, false, true));
  EXPECT_EQ(AusgabeOptionenFuer(107, full).enabled, all(true, true, true, true));
}

TEST(frmABLueckeWA, DialogShowsTheRulesAndSetsTheResults) {
  gUebungstyp = 101;
  gDetails = QStringLiteral("5;ging;gehen;");
  gWortliste = 1;
  {
    frmABLueckeWA dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Ausgabeform"));
    EXPECT_TRUE(dlg.optAusgabe(2)->isChecked());
    EXPECT_EQ(gWortliste, 3);
    EXPECT_EQ(dlg.optAusgabe(3)->text(), QStringLiteral("Nur die Lücke stehen lassen"));
    dlg.optAusgabe(0)->setChecked(true);
    EXPECT_EQ(gWortliste, 1);
    gDialogErgebnis = 2;
    dlg.cmdButton(2)->click();
    EXPECT_EQ(gDialogErgebnis, 2);  // cancel leaves the result as it was
    EXPECT_TRUE(dlg.cmdButton(0)->isDefault());
    dlg.cmdButton(0)->click();
    EXPECT_EQ(gDialogErgebnis, 1);
  }
  gUebungstyp = 301;
  frmABLueckeWA fresh;  // every showing starts from the rules again
  EXPECT_FALSE(fresh.optAusgabe(0)->isEnabled());
  EXPECT_TRUE(fresh.optAusgabe(3)->isChecked());
  EXPECT_EQ(gWortliste, 4);
}

TEST(frmProgress, AdvancesByAddToValue) {
  frmProgress p;
  EXPECT_EQ(p.windowTitle(), QStringLiteral("Fortschritt"));
  p.setMaximum(12);
  AddToValue(p, 1);
  AddToValue(p, 1);
  EXPECT_EQ(p.value(), 2);
  p.setValue(20);  // past the maximum stays visible
  EXPECT_EQ(p.value(), 20);
}
