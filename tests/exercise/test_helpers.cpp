#include <gtest/gtest.h>

#include "exercise/helpers.h"

using namespace qv;

TEST(GapPartOfWord, PatternsCutTheWord) {
  const struct {
    const char *word, *pattern, *part;
  } cases[] = {
      {"gefahren", "ge_en", "fahr"}, {"gefahren", "_en", "gefahr"}, {"gefahren", "ge_", "fahren"},
      {"gefahren", "_", ""}, {"gefahren", "gefahren", ""},
      // Only lengths count, and a word shorter than prefix and suffix gives "".
      {"Haus", "xx_y", "u"}, {"Ha", "Hau_s", ""},
      // A second "_" ends the suffix: only its length counts.
      {"Schlüssel", "Schl_ss_l", "üss"}};
  for (const auto& c : cases)
    EXPECT_EQ(GapPartOfWord(QString::fromUtf8(c.word), QString::fromUtf8(c.pattern)), QString::fromUtf8(c.part))
        << c.word << " " << c.pattern;
}

TEST(GapKindFromText, KindOfTheFirstItem) {
  const struct {
    QString text;
    int kind;
  } cases[] = {
      {"1) Hau_\u00A0_\u00A0_ 2) Bau_", 3}, {"1) _us 2) x", 1},
      {"1) H_s 2) x", 2}, {"1) Haus 2) Maus", 0}, {QString(), 0},
      // Punctuation around the word does not count as part of it.
      {"1) (\"Hau_\"). 2)", 3},
      // "2)" before "1)" or no "2)": the whole text is examined.
      {"2) _ab 1) cd_", 1}, {"Wörter: x 1) Ki_", 3},
      // Only line feeds are removed: the CR keeps the gap from the word's end.
      {"1) Hau_\r\nweiter 2)", 2},
      {"1) Ha" + QString(5000, QLatin1Char('_')) + " 2)", 3}};
  for (const auto& c : cases) EXPECT_EQ(GapKindFromText(c.text), c.kind) << c.text.left(40).toStdString();
}

TEST(SortStrings, AgreesWithStdSortAndSortsUmlautsWithTheirLetter) {
  QStringList list;
  for (int i = 0; i < 3000; ++i) list << QString::number((i * 7919) % 3001) + (i % 2 ? "a" : "B");
  QStringList expected = list;
  std::sort(expected.begin(), expected.end(), [](const QString& x, const QString& y) { return CompareText(x, y) < 0; });
  SortStrings(list);
  for (qsizetype i = 0; i < list.size(); ++i) EXPECT_EQ(CompareText(list[i], expected[i]), 0) << i;
  QStringList c{"Birne", "apfel", "Äpfel", "Zitrone", "B"};
  SortStrings(c);
  EXPECT_EQ(c.first(), "apfel");
  EXPECT_EQ(c.last(), "Zitrone");
  QStringList a{"d", "c", "b", "a"};
  SortStrings(a, 1, 2);
  EXPECT_EQ(a, QStringList({"d", "b", "c", "a"}));
  QStringList same(500, "x"), empty;
  SortStrings(same);
  SortStrings(empty);
  EXPECT_EQ(same.size(), 500);
}
