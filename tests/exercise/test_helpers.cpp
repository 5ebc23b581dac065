#include <gtest/gtest.h>

#include "exercise/helpers.h"

using namespace qv;

TEST(GapPartOfWord, PrefixSuffixCombinations) {
  EXPECT_EQ(GapPartOfWord("gefahren", "ge_en"), "fahr");
  EXPECT_EQ(GapPartOfWord("gefahren", "_en"), "gefahr");
  EXPECT_EQ(GapPartOfWord("gefahren", "ge_"), "fahren");
  EXPECT_EQ(GapPartOfWord("gefahren", "_"), "");
  EXPECT_EQ(GapPartOfWord("gefahren", "gefahren"), "");
  // Only lengths count, and a word shorter than prefix and suffix gives "".
  EXPECT_EQ(GapPartOfWord("Haus", "xx_y"), "u");
  EXPECT_EQ(GapPartOfWord("Ha", "Hau_s"), "");
  // A second "_" ends the suffix: only its length counts.
  EXPECT_EQ(GapPartOfWord(QStringLiteral("Schlüssel"), QStringLiteral("Schl_ss_l")), QStringLiteral("üss"));
}

TEST(GapKindFromText, KindsOfTheFirstItem) {
  EXPECT_EQ(GapKindFromText(QStringLiteral("1) Hau_\u00A0_\u00A0_ 2) Bau_")), 3);
  EXPECT_EQ(GapKindFromText(QStringLiteral("1) _us 2) x")), 1);
  EXPECT_EQ(GapKindFromText(QStringLiteral("1) H_s 2) x")), 2);
  EXPECT_EQ(GapKindFromText(QStringLiteral("1) Haus 2) Maus")), 0);
  EXPECT_EQ(GapKindFromText(QString()), 0);
  // Punctuation around the word does not count as part of it.
  EXPECT_EQ(GapKindFromText(QStringLiteral("1) (\"Hau_\"). 2)")), 3);
}

TEST(GapKindFromText, WholeTextWhenItemsAreMissingOrOutOfOrder) {
  // "2)" before "1)": the whole text, whose first marked word is "_ab".
  EXPECT_EQ(GapKindFromText(QStringLiteral("2) _ab 1) cd_")), 1);
  // Without "2)" the whole text is examined too.
  EXPECT_EQ(GapKindFromText(QStringLiteral("Wörter: x 1) Ki_")), 3);
}

TEST(GapKindFromText, OnlyLineFeedsAreRemoved) {
  // The CR stays part of the word, so the gap is no longer at its end.
  EXPECT_EQ(GapKindFromText(QStringLiteral("1) Hau_\r\nweiter 2)")), 2);
}

TEST(GapKindFromText, LongUnderscoreRunsStillCollapse) {
  const QString runs = QStringLiteral("1) Ha") + QString(5000, QLatin1Char('_')) + QStringLiteral(" 2)");
  EXPECT_EQ(GapKindFromText(runs), 3);
}

TEST(SortStrings, CaseInsensitiveAndByZeroFilledNumber) {
  QStringList a{"b", "A", "c"};
  SortStrings(a);
  EXPECT_EQ(a, QStringList({"A", "b", "c"}));
  QStringList b{"00012;x", "00005;y"};
  SortStrings(b);
  EXPECT_EQ(b, QStringList({"00005;y", "00012;x"}));
  QStringList c{"Birne", "apfel", QStringLiteral("Äpfel"), "Zitrone"};
  SortStrings(c);
  EXPECT_EQ(c.first(), "apfel");
  EXPECT_EQ(c.last(), "Zitrone");  // the umlaut sorts with its base letter
}

TEST(SortStrings, AgreesWithStdSortOnManyStrings) {
  QStringList list;
  for (int i = 0; i < 3000; ++i) list << QString::number((i * 7919) % 3001) + (i % 2 ? "a" : "B");
  QStringList expected = list;
  std::sort(expected.begin(), expected.end(), [](const QString& x, const QString& y) { return CompareText(x, y) < 0; });
  SortStrings(list);
  for (qsizetype i = 0; i < list.size(); ++i) EXPECT_EQ(CompareText(list[i], expected[i]), 0) << i;
}

TEST(SortStrings, SubRangeAndDegenerateInput) {
  QStringList a{"d", "c", "b", "a"};
  SortStrings(a, 1, 2);
  EXPECT_EQ(a, QStringList({"d", "b", "c", "a"}));
  QStringList empty;
  SortStrings(empty);
  QStringList same(500, "x");
  SortStrings(same);
  EXPECT_EQ(same.size(), 500);
}

TEST(JoinList, Forms) {
  EXPECT_EQ(JoinList(QStringList{"Haus"}), "Haus");
  EXPECT_EQ(JoinList(QStringList({"Haus", "Baum"})), "Haus, Baum");
  EXPECT_EQ(JoinList(QStringList({"Haus", "", "Haus"})), "Haus, , Haus");
  EXPECT_EQ(JoinList(QStringList{}), "");
  EXPECT_EQ(JoinList(std::nullopt), "");
}
