#include "word/druck.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "platform/docengine.h"
#include "platform/docmodel.h"
#include "platform/filehelper.h"
#include "platform/richeditor.h"
#include "platform/ui.h"
#include "word/uebungsmakros.h"

namespace qv {
namespace {

constexpr double kTwipsPerInch = 1440.0;

// The field results of a header that stand for the page number or the
// number of pages, as (start, end, number) from the last to the first.
void setzeSeitenzahlen(QTextDocument* d, int page, int pages) {
  struct Stelle {
    int start, end;
    QString zahl;
  };
  QList<Stelle> stellen;
  for (QTextBlock b = d->begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      const QString typ =
          f.charFormat().stringProperty(kFieldInstructionProperty).section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toUpper();
      if (typ == QLatin1String("PAGE")) stellen.prepend({f.position(), f.position() + f.length(), QString::number(page)});
      else if (typ == QLatin1String("NUMPAGES"))
        stellen.prepend({f.position(), f.position() + f.length(), QString::number(pages)});
    }
  for (const Stelle& s : stellen) {
    QTextCursor c(d);
    c.setPosition(s.start + 1);
    const QTextCharFormat fmt = c.charFormat();
    c.setPosition(s.start);
    c.setPosition(s.end, QTextCursor::KeepAnchor);
    c.insertText(s.zahl, fmt);
  }
}

// A header or footer laid out for the device at the width of the text.
std::unique_ptr<QTextDocument> kopie(const QTextDocument* h, QPagedPaintDevice& device, double breite, int page,
                                     int pages) {
  if (!h || h->isEmpty()) return nullptr;
  std::unique_ptr<QTextDocument> c(KopfzeileFuerSeite(*h, page, pages, nullptr));
  c->documentLayout()->setPaintDevice(&device);
  c->setDocumentMargin(0);
  c->setTextWidth(breite);
  return c;
}

// A copy of the exercise for paper: fields unshaded, header words unmarked;
// each gap field k handed to fill (with its row, or nullptr without one).
std::unique_ptr<RichDocument> papierKopie(const engine::Document& doc,
                                          const std::function<void(Field&, const LueckenZeile*)>& fill) {
  auto copy = std::make_unique<RichDocument>();
  if (!copy->readRtf(doc.data().toRtf())) return nullptr;
  copy->setFormShading(false);
  const QList<LueckenZeile> rows = LueckenZeilen(doc);
  for (Field& f : copy->fields()) {
    if (f.kind == FieldKind::MacroButton) f.result.clearProperties({QTextFormat::FontStrikeOut, QTextFormat::ForegroundBrush});
    if (f.kind != FieldKind::FormText) continue;
    f.result.clearProperties({QTextFormat::BackgroundBrush});
    const int k = GapNumber(f.form.name);
    fill(f, k >= 1 && k <= rows.size() ? &rows[k - 1] : nullptr);
  }
  return copy;
}

QTextCharFormat formatAm(const TextRange& r) {
  QTextCursor c = r.cursor();
  c.setPosition(r.start() + (r.isEmpty() ? 0 : 1));
  return c.charFormat();
}

}  // namespace

std::unique_ptr<RichDocument> Loesungsblatt(const engine::Document& doc) {
  if (LueckenZeilen(doc).isEmpty()) return nullptr;
  auto blatt = papierKopie(doc, [](Field& f, const LueckenZeile* row) {
    if (!row) return;
    // An alternative asked for may repeat the solution or another one.
    QStringList antworten = row->loesungen();
    antworten.removeDuplicates();
    f.result.setText(antworten.join(QStringLiteral(" / ")));
    QTextCharFormat fmt;
    fmt.setFontWeight(QFont::Bold);
    fmt.setFontUnderline(true);
    fmt.setForeground(QColor(170, 0, 0));
    f.result.cursor().mergeCharFormat(fmt);
  });
  if (!blatt) return nullptr;
  // The heading in a paragraph of its own above the text.
  QTextCursor c(blatt->body());
  c.insertBlock();
  c.movePosition(QTextCursor::Start);
  QTextBlockFormat absatz;
  absatz.setBottomMargin(12);
  c.setBlockFormat(absatz);
  QTextCharFormat titel = c.charFormat();
  titel.clearProperty(QTextFormat::BackgroundBrush);
  titel.setFontWeight(QFont::Bold);
  titel.setFontPointSize(14);
  const QString caption = doc.variableValue(QStringLiteral("CAPTION")).value_or(QString()).trimmed();
  c.insertText(QStringLiteral("Lösungsblatt: ") + caption, titel);
  return blatt;
}

std::unique_ptr<RichDocument> Papierblatt(const engine::Document& doc) {
  // Every line is as long as the longest solution needs (half as long again),
  // so that neither a pupil's answer nor the line's length gives one away.
  QString laengste;
  {
    const QFontMetricsF fm(QFont{});
    for (const LueckenZeile& row : LueckenZeilen(doc))
      for (const QString& l : row.loesungen())
        if (fm.horizontalAdvance(l) > fm.horizontalAdvance(laengste)) laengste = l;
  }
  return papierKopie(doc, [&laengste](Field& f, const LueckenZeile*) {
    const QFontMetricsF fm(formatAm(f.result).font());
    const double breite = std::max(8 * fm.horizontalAdvance(QStringLiteral("n")), 1.5 * fm.horizontalAdvance(laengste));
    const int n = std::max(1, static_cast<int>(std::ceil(breite / fm.horizontalAdvance(kEmptyFieldChar))));
    f.result.setText(QString(n, kEmptyFieldChar));
    QTextCharFormat linie;
    linie.setFontUnderline(true);
    f.result.cursor().mergeCharFormat(linie);
  });
}

QTextDocument* KopfzeileFuerSeite(const QTextDocument& header, int page, int pages, QObject* parent) {
  QTextDocument* c = header.clone(parent);
  setzeSeitenzahlen(c, page, pages);
  return c;
}

int DruckeUebung(const RichDocument& doc, QPagedPaintDevice& device) {
  const PageSetup& pg = doc.page();
  const double mm = 25.4 / kTwipsPerInch;
  device.setPageLayout(QPageLayout(QPageSize(QSizeF(pg.paperWidth * mm, pg.paperHeight * mm), QPageSize::Millimeter),
                                   QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  const double dpi = device.logicalDpiY();
  auto px = [dpi](int twips) { return twips * dpi / kTwipsPerInch; };
  const double seiteH = px(pg.paperHeight);
  const double links = px(pg.marginLeft);
  const double breite = std::max(1.0, px(pg.paperWidth) - links - px(pg.marginRight));

  const bool ersteEigene = doc.titlePage();
  auto kopfArt = [&](int page) { return page == 1 && ersteEigene ? HeaderKind::FirstHeader : HeaderKind::Header; };
  auto fussArt = [&](int page) { return page == 1 && ersteEigene ? HeaderKind::FirstFooter : HeaderKind::Footer; };
  // A header taller than the top margin pushes the text down, a footer
  // taller than the bottom margin pushes its end up, as word processors do.
  auto oben = [&](int page) {
    const auto h = kopie(doc.existingHeader(kopfArt(page)), device, breite, page, page);
    return std::max(px(pg.marginTop), h ? px(pg.headerDistance) + h->size().height() : 0.0);
  };
  auto unten = [&](int page) {
    const auto f = kopie(doc.existingHeader(fussArt(page)), device, breite, page, page);
    return std::max(px(pg.marginBottom), f ? px(pg.footerDistance) + f->size().height() : 0.0);
  };
  const double obenErste = oben(1), obenSonst = oben(2);
  const double textH = std::max(dpi, seiteH - std::max(obenErste, obenSonst) - std::max(unten(1), unten(2)));

  std::unique_ptr<QTextDocument> text(doc.body()->clone());
  text->documentLayout()->setPaintDevice(&device);
  text->setDocumentMargin(0);
  text->setPageSize(QSizeF(breite, textH));
  const int seiten = std::max(1, text->pageCount());
  // The layout moves a line that does not fit to the next page; what rises
  // above its top (raised gap numbers) still lies before the page break.
  // Each page therefore shows from the end of the previous page's last line
  // to the end of its own.
  std::vector<double> ende(seiten);
  for (int k = 0; k < seiten; ++k) ende[k] = (k + 1) * textH;
  std::vector<bool> gesehen(seiten, false);
  for (QTextBlock b = text->begin(); b.isValid(); b = b.next()) {
    const QTextLayout* l = b.layout();
    if (!l || QTextCursor(b).currentTable()) continue;
    for (int i = 0; i < l->lineCount(); ++i) {
      const QTextLine line = l->lineAt(i);
      const double y0 = l->position().y() + line.y(), y1 = y0 + line.height();
      const int k = std::clamp(static_cast<int>(y0 / textH), 0, seiten - 1);
      ende[k] = gesehen[k] ? std::max(ende[k], y1) : y1;
      gesehen[k] = true;
    }
  }
  for (int k = 0; k < seiten; ++k)
    if (!gesehen[k]) ende[k] = (k + 1) * textH;

  QPainter p(&device);
  for (int page = 1; page <= seiten; ++page) {
    if (page > 1) device.newPage();
    if (const auto h = kopie(doc.existingHeader(kopfArt(page)), device, breite, page, seiten)) {
      p.save();
      p.translate(links, px(pg.headerDistance));
      h->drawContents(&p);
      p.restore();
    }
    if (const auto f = kopie(doc.existingHeader(fussArt(page)), device, breite, page, seiten)) {
      p.save();
      p.translate(links, seiteH - px(pg.footerDistance) - f->size().height());
      f->drawContents(&p);
      p.restore();
    }
    p.save();
    const double von = page == 1 ? 0 : ende[page - 2];
    const QRectF ausschnitt(0, von, breite, ende[page - 1] - von);
    p.translate(links, (page == 1 ? obenErste : obenSonst) - (page - 1) * textH);
    p.setClipRect(ausschnitt);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = ausschnitt;
    ctx.palette.setColor(QPalette::Text, Qt::black);
    text->documentLayout()->draw(&p, ctx);
    p.restore();
  }
  return seiten;
}

bool SchreibePdf(const RichDocument& doc, const QString& path, QString* error) {
  QString reason;
  const bool ok = files::saveWhole(
      path,
      [&doc](QIODevice& file) {
        QPdfWriter pdf(&file);
        pdf.setResolution(600);
        pdf.setCreator(kProductName);
        pdf.setTitle(doc.info().title);
        DruckeUebung(doc, pdf);
        return true;
      },
      &reason);
  if (!ok && error)
    *error = QStringLiteral("Die PDF-Datei konnte nicht geschrieben werden:\r\n") + path + QStringLiteral("\r\n") + reason;
  return ok;
}

}  // namespace qv
