// Gap rows and text as the HTML writer and the form builder take them.
// Input: one byte for the exercise type and output form, the text, a NUL,
// the Details rows.

#include <QFile>

#include "app/variablen.h"
#include "exercise/gaplist.h"
#include "fuzz.h"
#include "html/htmlexercise.h"
#include "platform/docengine.h"
#include "word/modword.h"
#include "word/wordexercise.h"

int fuzzOne(const uint8_t* data, size_t size) {
  static const QString vorlage = [] {
    QFile f(QStringLiteral(QV_SOURCE_DIR "/data/template.html"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }();
  if (size < 1) return 0;
  static const int16_t typen[] = {101, 102, 103, 104, 105, 106, 301, 107};
  const int16_t typ = typen[data[0] & 7];
  const int16_t wortliste = static_cast<int16_t>(1 + ((data[0] >> 3) & 3));
  const QByteArray in = qvfuzz::bytes(data + 1, size - 1);
  const qsizetype nul = in.indexOf('\0');
  const QString text = QString::fromUtf8(in.left(nul));
  const QString details = nul < 0 ? QString() : QString::fromUtf8(in.mid(nul + 1));
  const qv::GapList g = qv::BuildGapRows(typ, details, [&] { return (data[0] >> 5) % 3; });
  qvfuzz::expect(g.failed || g.zeilen.size() == g.luecken.size(), "one gap per row");

  qv::HtmlSeite seite{text, g.luecken, typ, wortliste, QStringLiteral("/tmp/Mappe.qbm"), vorlage};
  qv::HtmlPageBytes(seite);

  qv::gLuecken = g.luecken;
  qv::gTextTXT = text;
  qv::gUebungstyp = typ;
  qv::gWortliste = wortliste;
  qv::engine::Document doc(nullptr, std::make_unique<qv::RichDocument>(), QString(), false);
  doc.insertBefore(0, text);
  qv::gWordDoc = &doc;
  qvfuzz::expect(qv::CreateGapFields() == g.luecken.size(), "every gap built");
  qv::gWordDoc = nullptr;
  qvfuzz::expect(doc.formFieldCount() <= g.luecken.size(), "at most one field per gap");
  return 0;
}
