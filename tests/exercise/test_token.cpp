#include <gtest/gtest.h>

#include "exercise/token.h"

using qv::clsToken;

TEST(Token, FreshTokenHasInitialValues) {
  clsToken t;
  EXPECT_EQ(t.Anfang(), 0);
  EXPECT_EQ(t.Fehlerversuche(), 0);
  EXPECT_EQ(t.Wortart(), 0);
  for (const QString& s : {t.Inhalt(), t.Grundform(), t.Loesung(), t.Papiertext(), t.Tipp(), t.Alternativen(),
                           t.Bemerkung()})
    EXPECT_TRUE(s.isEmpty());
}

TEST(Token, FehlerversucheOverflowIsAnErrorAndKeepsTheValue) {
  clsToken t;
  t.setFehlerversuche(32767);
  EXPECT_EQ(t.Fehlerversuche(), 32767);
  EXPECT_THROW(t.setFehlerversuche(40000), qv::OverflowError);
  EXPECT_THROW(t.setFehlerversuche(-32769), qv::OverflowError);
  EXPECT_EQ(t.Fehlerversuche(), 32767);
  t.setFehlerversuche(-32768);
  EXPECT_EQ(t.Fehlerversuche(), -32768);
}

TEST(Token, SettersCopyTheValue) {
  clsToken t;
  QString s = QStringLiteral("Haus");
  t.setInhalt(s);
  s[0] = QLatin1Char('M');
  EXPECT_EQ(t.Inhalt(), QStringLiteral("Haus"));
}
