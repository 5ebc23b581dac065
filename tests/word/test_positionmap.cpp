#include <gtest/gtest.h>

#include "word/positionmap.h"

using qv::PositionMap;

namespace {
// Where word w starts in each text.
int at(const QString& s, const QString& w) { return static_cast<int>(s.indexOf(w)); }
}  // namespace

TEST(PositionMap, CrLfIsOneParagraphEnd) {
  const QString plain = QStringLiteral("Titel\r\nErster Absatz mit Haus.\r\nZweiter Absatz mit Baum.");
  const QString doc = QStringLiteral("Titel\u2029Erster Absatz mit Haus.\u2029Zweiter Absatz mit Baum.");
  PositionMap map(plain, doc);
  for (const char* w : {"Titel", "Erster", "Haus", "Zweiter", "Baum"})
    EXPECT_EQ(map.toDocument(at(plain, w)), at(doc, w)) << w;
  EXPECT_EQ(map.toDocument(at(plain, "Baum") + 4), at(doc, "Baum") + 4);
}

TEST(PositionMap, SmallDifferencesDoNotShiftLaterWords) {
  const QString plain = QStringLiteral("Sie sagten: \"Hallo\" und gingen.\r\n\r\nDann kam der Fuchs.");
  // Typographic quotes, a no-break space, an empty paragraph dropped, an extra blank.
  const QString doc = QStringLiteral("Sie sagten: \u201EHallo\u201C und\u00A0gingen.\u2029Dann  kam der Fuchs.");
  PositionMap map(plain, doc);
  EXPECT_EQ(map.toDocument(at(plain, "Hallo")), at(doc, "Hallo"));
  EXPECT_EQ(map.toDocument(at(plain, "gingen")), at(doc, "gingen"));
  EXPECT_EQ(map.toDocument(at(plain, "Fuchs")), at(doc, "Fuchs"));
  EXPECT_EQ(map.toDocument(at(plain, "Dann")), at(doc, "Dann"));
}

TEST(PositionMap, OutOfRangeAndEmptyTexts) {
  PositionMap empty{QString(), QString()};
  EXPECT_EQ(empty.toDocument(0), 0);
  PositionMap m(QStringLiteral("abc"), QStringLiteral("abc"));
  EXPECT_EQ(m.toDocument(-5), 0);
  EXPECT_EQ(m.toDocument(3), 3);
  EXPECT_EQ(m.toDocument(10), 10);
}
