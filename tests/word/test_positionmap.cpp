#include <gtest/gtest.h>

#include <QRegularExpression>

#include "word/positionmap.h"

using qv::PositionMap;

namespace {
// Where word w starts in each text.
int at(const QString& s, const QString& w) { return static_cast<int>(s.indexOf(w)); }
}  // namespace

// Each word of the plain text is found at its place in the document's text.
TEST(PositionMap, WordsKeepTheirPlaceAcrossParagraphEndsAndSmallDifferencesAndOutOfRange) {
  const struct {
    QString plain, doc;
  } faelle[] = {
      {QStringLiteral("Titel\r\nErster Absatz mit Haus.\r\nZweiter Absatz mit Baum."),
       QStringLiteral("Titel\u2029Erster Absatz mit Haus.\u2029Zweiter Absatz mit Baum.")},
      // Typographic quotes, a no-break space, an empty paragraph dropped, an extra blank.
      {QStringLiteral("Sie sagten: \"Hallo\" und gingen.\r\n\r\nDann kam der Fuchs."),
       QStringLiteral("Sie sagten: \u201EHallo\u201C und\u00A0gingen.\u2029Dann  kam der Fuchs.")},
  };
  for (const auto& f : faelle) {
    PositionMap map(f.plain, f.doc);
    for (const QString& w : f.plain.split(QRegularExpression(QStringLiteral("\\W+")), Qt::SkipEmptyParts))
      EXPECT_EQ(map.toDocument(at(f.plain, w)), at(f.doc, w)) << w.toStdString();
  }
  PositionMap map(faelle[0].plain, faelle[0].doc);
  EXPECT_EQ(map.toDocument(at(faelle[0].plain, "Baum") + 4), at(faelle[0].doc, "Baum") + 4);
  // Out of range and empty texts.
  PositionMap empty{QString(), QString()};
  EXPECT_EQ(empty.toDocument(0), 0);
  PositionMap m(QStringLiteral("abc"), QStringLiteral("abc"));
  EXPECT_EQ(std::tuple(m.toDocument(-5), m.toDocument(3), m.toDocument(10)), std::tuple(0, 3, 10));
}
