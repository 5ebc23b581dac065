// What a pupil sees of a built exercise: gap boxes in the text layout and
// the printed pages.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>

#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "platform/docengine.h"
#include "word/druck.h"

using namespace qv;
using qvtest::u8;

namespace {

class Druck : public ::testing::Test {
 protected:
  void TearDown() override { qvtest::quitEngines(); }
  qvtest::Umgebung env;
  QTemporaryDir dir;
};

// Where an empty field lies in the layout of text at that width: false when
// it is split between lines, narrower than its blanks or past the margin.
::testing::AssertionResult boxIsWhole(QTextDocument& text, const Field& f, double width) {
  text.setTextWidth(width);
  text.size();  // lays the text out
  const QTextBlock block = text.findBlock(f.result.start());
  const int s = f.result.start() - block.position(), e = f.result.end() - block.position();
  const QTextLine line = block.layout()->lineForTextPosition(s);
  if (!line.isValid() || block.layout()->lineForTextPosition(e - 1).lineNumber() != line.lineNumber())
    return ::testing::AssertionFailure() << f.form.name.toStdString() << " split at width " << width;
  const double x0 = line.cursorToX(s), x1 = line.cursorToX(e);
  QTextCursor c(&text);
  c.setPosition(f.result.start() + 1);
  const double blanks = QFontMetricsF(c.charFormat().font()).horizontalAdvance(f.result.text());
  if (x1 - x0 < 0.9 * blanks || x1 > line.x() + line.width() + 0.5)
    return ::testing::AssertionFailure() << f.form.name.toStdString() << " is " << x1 - x0 << " wide at " << x0
                                         << " on a line of " << line.width() << " (width " << width << ")";
  return ::testing::AssertionSuccess();
}

}  // namespace

// The shading the file carries is LibreOffice's check of every built
// exercise; our reader keeps backgrounds as the RTF round trip shows.
TEST_F(Druck, EmptyFieldsKeepTheirWholeBoxAtEveryWidth) {
  for (int form : {1, 3, 4}) {
    SCOPED_TRACE(form);
    engine::Document* d = qvtest::buildFromWorkbook(QStringLiteral(QV_SOURCE_DIR "/data/beispiel.qbm"), 1, form);
    ASSERT_NE(d, nullptr);
    std::unique_ptr<QTextDocument> text(d->data().body()->clone());
    int boxes = 0;
    for (const Field& f : d->data().fields()) {
      if (f.kind != FieldKind::FormText) continue;
      ASSERT_EQ(f.result.text(), engine::kEmptyFormFieldText);
      for (double width : {260.0, 430.0, 640.0}) EXPECT_TRUE(boxIsWhole(*text, f, width));
      ++boxes;
    }
    EXPECT_EQ(boxes, 10);
    qvtest::quitEngines();
  }
}

TEST_F(Druck, PagesCarryTheFirstPageHeaderAndThePageNumbers) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "pdftotext fehlt";
  qvtest::UebungVorgabe lang = qvtest::langeVorgabe();
  lang.headerLine = false;
  engine::Document* d = qvtest::makeExercise(lang);
  ASSERT_NE(d, nullptr);
  const QString pdf = dir.filePath("uebung.pdf");
  QString error;
  ASSERT_TRUE(SchreibePdf(d->data(), pdf, &error)) << error.toStdString();
  const auto seite = [&pdf](int n) { return qvtest::pdfText(pdf, n, {QStringLiteral("-raw")}); };
  const QString first = seite(1);
  // The first-page header, then the text without empty room above it.
  QStringList lines = first.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 4);
  EXPECT_TRUE(lines[0].contains(QStringLiteral("Name:")) && lines[0].contains(u8("Interaktive Übung"))) << first.toStdString();
  EXPECT_TRUE(lines[1].trimmed().startsWith(QStringLiteral("Am Montag"))) << first.toStdString();
  EXPECT_FALSE(first.contains(QStringLiteral("Seite")));
  int pages = 1;
  while (!seite(pages + 1).isEmpty()) ++pages;
  ASSERT_GE(pages, 2);
  for (int page = 2; page <= pages; ++page) {
    const QString text = seite(page);
    EXPECT_TRUE(text.contains(QStringLiteral("Seite %1").arg(page))) << page;
    EXPECT_TRUE(text.contains(u8("Interaktive Übung"))) << page << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Name:"))) << page;
  }
}
