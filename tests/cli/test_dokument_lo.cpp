// Built exercises as another word processor shows them: every worksheet of
// the test workbooks, in every output form its type allows, made by
// "vodedarivo doc" and converted by LibreOffice.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "cli/cli.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "platform/docengine.h"
#include "word/ausgabeoptionen.h"
#include "workbook/workbook.h"

using namespace qv;

namespace {

// The text styles with a background colour (the shading of a field).
QStringList shadedStyles(const QString& xml) {
  QStringList out;
  static const QRegularExpression style(
      "<style:style style:name=\"([^\"]+)\" style:family=\"text\">((?:(?!</style:style>).)*)</style:style>");
  for (auto it = style.globalMatch(xml); it.hasNext();) {
    const auto m = it.next();
    if (m.captured(2).contains("fo:background-color=\"#")) out << m.captured(1);
  }
  return out;
}

struct Felder {
  int leer = 0;        // form fields that show nothing but blanks
  int schattiert = 0;  // of these, the ones whose blanks are all shaded
  QStringList aussen;  // shaded text outside any form field
};

// Walks the text of content.xml: text between a FORMTEXT fieldmark's
// separator and its end belongs to the field.
Felder felder(const QString& xml) {
  const QStringList shaded = shadedStyles(xml);
  Felder f;
  QXmlStreamReader r(xml);
  bool inField = false;
  QString fieldText;
  bool fieldShaded = true;
  QList<bool> spanShaded{false};
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement()) {
      if (r.name() == QLatin1String("fieldmark-separator")) {
        inField = true;
        fieldText.clear();
        fieldShaded = true;
      } else if (r.name() == QLatin1String("fieldmark-end") && inField) {
        inField = false;
        if (!fieldText.isEmpty() && fieldText.trimmed().isEmpty()) {
          ++f.leer;
          if (fieldShaded) ++f.schattiert;
        }
      } else if (r.name() == QLatin1String("span")) {
        spanShaded << shaded.contains(r.attributes().value("text:style-name").toString());
      } else if (r.name() == QLatin1String("s") && inField) {
        const QStringView c = r.attributes().value("text:c");
        fieldText += QString(c.isEmpty() ? 1 : c.toInt(), QLatin1Char(' '));
      }
    } else if (r.isEndElement() && r.name() == QLatin1String("span")) {
      spanShaded.removeLast();
    } else if (r.isCharacters() && (inField || !r.isWhitespace())) {
      if (inField) {
        fieldText += r.text();
        fieldShaded = fieldShaded && spanShaded.last();
      } else if (spanShaded.last()) {
        f.aussen << r.text().toString();
      }
    }
  }
  return f;
}

// Top of the first occurrence of the word on page 1, in points from the
// top of the page (pdftotext -bbox).
double topOf(const QString& pdf, const QString& word) {
  const QString html = qvtest::pdfText(pdf, 1, {"-bbox"});
  const QRegularExpression w("yMin=\"([0-9.]+)\"[^>]*>" + QRegularExpression::escape(word) + "</word>");
  const auto m = w.match(html);
  return m.hasMatch() ? m.captured(1).toDouble() : 1e9;
}

struct Gebaut {
  QString datei, ersterText;
  int luecken;
};

}  // namespace

TEST(DokumentImTextprogramm, EveryWorksheetInEveryFormLooksAsTheTemplateSays) {
  if (qvtest::soffice().isEmpty()) GTEST_SKIP() << "soffice fehlt";
  qvtest::Umgebung env;
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  QList<Gebaut> gebaut;
  for (const QString& mappe :
       {qvtest::fixture("klassenfahrt.qbm"), qvtest::fixture("null-werte.qbm"),
        qvtest::fixture("ohne-text-tabelle.qbm"), QStringLiteral(QV_SOURCE_DIR "/data/beispiel.qbm")}) {
    const MappenInhalt m = LeseMappe(mappe);
    for (qsizetype n = 1; n <= m.arbeitsblaetter.size(); ++n) {
      const ArbeitsblattEintrag& e = m.arbeitsblaetter[n - 1];
      const AusgabeOptionen o = AusgabeOptionenFuer(e.Uebungstyp, e.Details);
      for (int form = 1; form <= 4; ++form) {
        if (!o.enabled[form - 1]) continue;
        const QString datei = QStringLiteral("%1-%2-%3.doc").arg(QFileInfo(mappe).baseName()).arg(n).arg(form);
        QString out, err;
        QTextStream os(&out), es(&err);
        ASSERT_EQ(runCli({"doc", mappe, QString::number(n), "--wortliste", QString::number(form), "-o", datei}, os, es),
                  0)
            << datei.toStdString() << err.toStdString();
        const QRegularExpression count("mit (\\d+) Lücken");
        const QString first = m.textTXT.section(QRegularExpression("\\s+"), 0, 0, QString::SectionSkipEmpty);
        gebaut << Gebaut{dir.filePath(datei), first, count.match(err).captured(1).toInt()};
      }
    }
  }
  QDir::setCurrent(previous);
  ASSERT_GE(gebaut.size(), 20);
  QStringList files;
  for (const Gebaut& g : gebaut) files << g.datei;
  qvtest::officeConvert("pdf", files, dir.path());
  qvtest::officeConvert("odt", files, dir.path());

  for (const Gebaut& g : gebaut) {
    const std::string name = QFileInfo(g.datei).fileName().toStdString();
    const QString stem = dir.filePath(QFileInfo(g.datei).completeBaseName());
    // The text begins at the top of page 1, below the header and the line
    // of words, not after a run of empty paragraphs.
    EXPECT_TRUE(g.ersterText.isEmpty() || topOf(stem + ".pdf", g.ersterText) < 300.0) << name;
    const QString content = qvtest::zipMember(stem + ".odt", "content.xml");
    ASSERT_FALSE(content.isEmpty()) << name;
    const Felder f = felder(content);
    EXPECT_EQ(f.leer, g.luecken) << name;
    EXPECT_EQ(f.schattiert, g.luecken) << name;
    EXPECT_TRUE(f.aussen.isEmpty()) << name << ": " << f.aussen.join(" | ").toStdString();
    // The template's first-page header table (a line under each cell, its
    // column widths) and its page number field in the footer.
    const QString styles = qvtest::zipMember(stem + ".odt", "styles.xml");
    EXPECT_TRUE(styles.contains("style:column-width=\"1.5743in\"") &&
                styles.contains("style:column-width=\"3.5444in\""))
        << name;
    const QRegularExpression cell("style:family=\"table-cell\"><style:table-cell-properties ([^/]*)/>");
    int cells = 0;
    for (auto it = cell.globalMatch(styles); it.hasNext(); ++cells) {
      const QString props = it.next().captured(1);
      EXPECT_TRUE(props.contains("fo:border-top=\"none\"") && props.contains("fo:border-left=\"none\"") &&
                  props.contains("fo:border-bottom=\"0.5pt solid"))
          << name << props.toStdString();
    }
    EXPECT_GT(cells, 0) << name;
    EXPECT_TRUE(styles.contains("<text:page-number")) << name;
  }
}

// A long exercise: every page after the first shows its own number.
TEST(DokumentImTextprogramm, EveryPageShowsItsNumber) {
  if (qvtest::soffice().isEmpty()) GTEST_SKIP() << "soffice fehlt";
  qvtest::Umgebung env;
  QTemporaryDir dir;
  const qvtest::UebungVorgabe lang = qvtest::langeVorgabe();
  engine::Document* d = qvtest::makeExercise(lang);
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(d->saveAs(dir.filePath("lang.doc")));
  qvtest::quitEngines();
  qvtest::officeConvert("pdf", {dir.filePath("lang.doc")}, dir.path());
  const QString pdf = dir.filePath("lang.pdf");
  int pages = 0;
  for (int page = 2; page < 20; ++page) {
    const QString text = qvtest::pdfText(pdf, page);
    if (text.trimmed().isEmpty()) break;
    EXPECT_TRUE(text.contains(QStringLiteral("Seite %1").arg(page))) << page;
    pages = page;
  }
  EXPECT_GE(pages, 2);
}
