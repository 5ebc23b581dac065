// Documents the engine saves, opened by a real word processor.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "word/modword.h"

using namespace qv;

// A pupil's copy of the sample workbook's first worksheet, built with the
// header line of words.
TEST(WordProcessor, KeepsFieldsButtonsTextVariablesAndThePupilsName) {
  if (qvtest::soffice().isEmpty()) GTEST_SKIP() << "soffice fehlt";
  qvtest::Umgebung env;
  QTemporaryDir dir;
  gWordDoc = qvtest::buildFromWorkbook(qvtest::fixture("klassenfahrt.qbm"), 1, 1, 1);
  ASSERT_NE(gWordDoc, nullptr);
  const QString path = dir.filePath("uebung.doc");
  ASSERT_TRUE(PersonaliseCopy(path, QStringLiteral("Jörg Schüler"), QStringLiteral("js")));
  qvtest::quitEngines();

  qvtest::officeConvert(QStringLiteral("odt"), {path}, dir.path());
  const QString odt = dir.filePath("uebung.odt");
  const QString c = qvtest::zipMember(odt, "content.xml");
  // Every gap is a text form field of its name, in text order.
  int from = 0;
  for (int k = 1; k <= 10; ++k) {
    const int at = static_cast<int>(c.indexOf(QStringLiteral("text:name=\"Gap_%1\" field:type=\"vnd.oasis.opendocument.field.FORMTEXT\"").arg(k), from));
    ASSERT_GT(at, from) << k;
    from = at;
  }
  // The header line: ten buttons under the bookmark, then the text.
  EXPECT_EQ(c.count(QStringLiteral("<text:execute-macro>")), 10);
  const qsizetype start = c.indexOf(QStringLiteral("bookmark-start text:name=\"Kopf\""));
  const qsizetype end = c.indexOf(QStringLiteral("bookmark-end text:name=\"Kopf\""));
  ASSERT_GE(start, 0);
  EXPECT_GT(end, c.lastIndexOf(QStringLiteral("</text:execute-macro>")));
  EXPECT_LT(end, c.indexOf(QStringLiteral("Unsere Klassenfahrt"), start));
  EXPECT_TRUE(c.contains(QStringLiteral("Am Montagmorgen ")));
  EXPECT_TRUE(c.contains(QStringLiteral("Mühlsee")));
  // Document variables become user fields.
  EXPECT_TRUE(c.contains("CAPTION")) << "variables lost";
  EXPECT_TRUE(c.contains(QStringLiteral("Verben in der Vergangenheit")));
  // The pupil's name as author and in the first-page header.
  EXPECT_TRUE(qvtest::zipMember(odt, "meta.xml").contains(QStringLiteral("Jörg Schüler")));
  EXPECT_TRUE(qvtest::zipMember(odt, "styles.xml").contains(QStringLiteral("Jörg Schüler")));
}
