#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>

#include "app/variablen.h"
#include "word/ausgabeoptionen.h"
#include "word/frmablueckewa.h"

using namespace qv;

namespace {
std::array<bool, 4> all(bool a, bool b, bool c, bool d) { return {a, b, c, d}; }
}  // namespace

TEST(AusgabeOptionen, EnablingAndPreselectionPerType) {
  const QString full = QStringLiteral("5;ging;gehen;\r\n9;sah;sehen;");
  const QString ohneGrundform = QStringLiteral("5;ging;;\r\n9;sah;sehen;");
  struct {
    int typ;
    QString details;
    std::array<bool, 4> enabled;
    int selected;  // -1: not checked
  } faelle[] = {
      {101, full, all(true, true, true, true), 2},    {101, ohneGrundform, all(true, false, false, true), 3},
      {301, full, all(false, false, false, true), 3}, {106, full, all(true, false, false, true), 0},
      {105, full, all(true, true, true, true), 3},    {102, full, all(true, false, false, true), -1},
      {103, full, all(true, false, false, true), -1}, {104, full, all(true, false, false, true), -1},
      {107, full, all(true, true, true, true), -1},
  };
  for (const auto& f : faelle) {
    const auto o = AusgabeOptionenFuer(f.typ, f.details);
    EXPECT_EQ(o.enabled, f.enabled) << f.typ;
    if (f.selected >= 0) {
      EXPECT_EQ(o.selected, f.selected) << f.typ;
    }
  }
}

TEST(frmABLueckeWA, DialogShowsTheRulesAndSetsTheResults) {
  gUebungstyp = 101;
  gDetails = QStringLiteral("5;ging;gehen;");
  gWortliste = 1;
  {
    frmABLueckeWA dlg;
    EXPECT_TRUE(dlg.optAusgabe(2)->isChecked());
    EXPECT_EQ(gWortliste, 3);
    // Choosing an option and "Erstellen" set the results as the road test
    // shows; cancel leaves the result as it was.
    gDialogErgebnis = 2;
    dlg.cmdButton(2)->click();
    EXPECT_EQ(gDialogErgebnis, 2);
  }
  gUebungstyp = 301;
  frmABLueckeWA fresh;  // every showing starts from the rules again
  EXPECT_FALSE(fresh.optAusgabe(0)->isEnabled());
  EXPECT_TRUE(fresh.optAusgabe(3)->isChecked());
  EXPECT_EQ(gWortliste, 4);
}
