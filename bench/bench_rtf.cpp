// Reading 1 MB of RTF with our reader (goal: under 100 ms), against Qt's own
// HTML import of the same document. BM_ReadRtf carries the counter
// "ratio_vs_qt_html": our time divided by QTextDocument::setHtml's time for
// the toHtml() of the same document (measured once up front).
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextTable>

#include "platform/docmodel.h"
#include "platform/rtf_codec.h"

namespace {

// A worksheet-like document: headings, paragraphs with bold, italic,
// underlined, coloured and raised words, umlauts and typographic quotes,
// a small table every few paragraphs, a few fields and variables.
QByteArray makeRtf() {
  qv::RichDocument doc;
  QTextCursor c(doc.body());
  QTextCharFormat normal;
  normal.setFontFamilies({QStringLiteral("Times New Roman")});
  normal.setFontPointSize(12);
  QTextCharFormat bold = normal;
  bold.setFontWeight(QFont::Bold);
  QTextCharFormat italic = normal;
  italic.setFontItalic(true);
  QTextCharFormat red = normal;
  red.setForeground(QColor(200, 0, 0));
  red.setFontUnderline(true);
  QTextCharFormat sup = normal;
  sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  QTextCharFormat head = bold;
  head.setFontFamilies({QStringLiteral("Arial")});
  head.setFontPointSize(16);
  QTextBlockFormat para;
  para.setAlignment(Qt::AlignJustify);
  QTextBlockFormat centre;
  centre.setAlignment(Qt::AlignHCenter);

  c.setBlockFormat(centre);
  c.insertText(QStringLiteral("Verben in der Vergangenheit"), head);
  int gaps = 0;
  for (int i = 0; doc.toRtf().size() < 1024 * 1024 && i < 100000; ++i) {
    for (int k = 0; k < 40; ++k) {
      c.insertBlock(para, normal);
      c.insertText(QStringLiteral("Am Montagmorgen "), normal);
      c.insertText(QStringLiteral("trafen"), bold);
      c.insertText(QStringLiteral(" sich alle Kinder der Klasse "), normal);
      c.insertText(QStringLiteral("4b"), italic);
      c.insertText(QStringLiteral(" schon um sieben Uhr vor der Schule. Frau Köhler zählte "), normal);
      c.insertText(QStringLiteral("zweimal"), red);
      c.insertText(QStringLiteral(" nach, bevor der Bus über die Brücke zum Mühlsee fuhr. „Da vorne glitzert "
                                  "er!“, rief Jürgen"),
                   normal);
      c.insertText(QStringLiteral("1)"), sup);
      c.insertText(QStringLiteral(". Die Jungen und Mädchen stiegen aus und liefen zum Ufer, wo schon die "
                                  "Enten auf das Brot warteten, das sie mitgebracht hatten."),
                   normal);
      if (k % 10 == 0) {
        const int at = c.position();
        doc.insertField(at, QStringLiteral(" FORMTEXT "), QStringLiteral("_____"), qv::FieldKind::FormText,
                        qv::FormFieldData{QStringLiteral("Gap_%1").arg(++gaps), {}, {}, {}, 0});
        c.movePosition(QTextCursor::End);
      }
    }
    c.insertBlock(para, normal);
    QTextTable* t = c.insertTable(4, 3);
    for (int r = 0; r < 4; ++r)
      for (int col = 0; col < 3; ++col)
        t->cellAt(r, col).firstCursorPosition().insertText(QStringLiteral("Zelle %1/%2 ä").arg(r).arg(col),
                                                          r == 0 ? bold : normal);
    c.movePosition(QTextCursor::End);
  }
  doc.setVariable(QStringLiteral("APP"), QStringLiteral("Quillbee-Vodedarivo1.0.0"));
  doc.info().author = QStringLiteral("Frau Köhler");
  return doc.toRtf();
}

const QByteArray& input() {
  static const QByteArray bytes = makeRtf();
  return bytes;
}

const QString& html() {
  static const QString h = [] {
    qv::RichDocument d;
    d.readRtf(input());
    return d.body()->toHtml();
  }();
  return h;
}

double qtHtmlSeconds() {
  static const double s = [] {
    const QString& h = html();
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < 3; ++k) {
      QTextDocument d;
      d.setHtml(h);
      benchmark::DoNotOptimize(d.characterCount());
    }
    return t.nsecsElapsed() / 3e9;
  }();
  return s;
}

void BM_ReadRtf(benchmark::State& state) {
  const double qt = qtHtmlSeconds();
  QElapsedTimer t;
  int64_t n = 0;
  qint64 ns = 0;
  for (auto _ : state) {
    t.start();
    qv::RichDocument d;
    d.readRtf(input());
    benchmark::DoNotOptimize(d.body()->characterCount());
    ns += t.nsecsElapsed();
    ++n;
  }
  state.SetBytesProcessed(n * input().size());
  state.counters["MB"] = input().size() / 1048576.0;
  state.counters["ratio_vs_qt_html"] = ns / 1e9 / double(std::max<int64_t>(n, 1)) / qt;
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

void BM_QtSetHtml(benchmark::State& state) {
  const QString& h = html();
  for (auto _ : state) {
    QTextDocument d;
    d.setHtml(h);
    benchmark::DoNotOptimize(d.characterCount());
  }
  state.counters["MB_html"] = h.toUtf8().size() / 1048576.0;
}
BENCHMARK(BM_QtSetHtml)->Unit(benchmark::kMillisecond);

void BM_WriteRtf(benchmark::State& state) {
  qv::RichDocument d;
  d.readRtf(input());
  // The writer itself, without the body kept by RichDocument::toRtf().
  const int last = d.body()->characterCount() - 1;
  for (auto _ : state) benchmark::DoNotOptimize(qv::rtf::codec::write(*d.body(), 0, last, &d).size());
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

}  // namespace
