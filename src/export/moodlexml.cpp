#include "export/moodlexml.h"

#include <QBuffer>
#include <QXmlStreamWriter>

#include "export/lueckentext.h"

namespace qv {
namespace {

// Text around the gaps: HTML-escaped, and "{" as a character reference so
// that no gap syntax can form from the workbook's text.
void appendText(QString& out, const QString& s) { AppendHtml(out, s, u'{', QLatin1String("&#123;")); }
QString clozeText(const QString& s) {
  QString out;
  appendText(out, s);
  return out;
}

// One answer inside a gap. The escapes hold on both cloze parsers Moodle has
// shipped: no numeric character reference (one parser splits at its "#"),
// and a closing blank behind a final "\" or "&", which Moodle trims again.
QString clozeAntwort(const QString& a) {
  QString out = HtmlText(a);
  out.replace(QLatin1Char('}'), QLatin1String("\\}"))
      .replace(QLatin1Char('#'), QLatin1String("\\#"))
      .replace(QLatin1Char('*'), QLatin1String("\\*"));
  if (a.endsWith(QLatin1Char('\\')) || a.endsWith(QLatin1Char('&'))) out += QLatin1Char(' ');
  return out;
}

// The paragraphs as HTML; a gap becomes what luecke makes of its answers.
template <typename F>
QString absaetze(const LueckenText& t, F luecke) {
  QString out;
  for (const QList<TextStueck>& absatz : t.absaetze) {
    out += QLatin1String("<p>");
    for (const TextStueck& s : absatz) {
      if (s.luecke < 0)
        appendText(out, s.text);
      else
        out += luecke(t.antworten[s.luecke]);
    }
    out += QLatin1String("</p>\n");
  }
  return out;
}

void textElement(QXmlStreamWriter& w, const QString& name, const QString& html) {
  w.writeStartElement(name);
  w.writeAttribute(QStringLiteral("format"), QStringLiteral("html"));
  w.writeStartElement(QStringLiteral("text"));
  w.writeCDATA(html);  // splits a "]]>" into two sections
  w.writeEndElement();
  w.writeEndElement();
}

}  // namespace

QString ClozeLuecke(const QStringList& antworten) {
  QString out = QStringLiteral("{1:SHORTANSWER_C:");
  for (qsizetype i = 0; i < antworten.size(); ++i) {
    if (i > 0) out += QLatin1Char('~');
    out += QLatin1Char('=') + clozeAntwort(antworten[i]);
  }
  return out + QLatin1Char('}');
}

ExportErgebnis BaueMoodleXml(const QString& mappenTitel, const QList<ExportBlatt>& blaetter) {
  ExportErgebnis e;
  QList<LueckenText> texte;
  for (const ExportBlatt& b : blaetter) {
    texte << ZerlegeBlatt(b);
    const LueckenText& t = texte.last();
    // "~" separates the answers; no escape of it works on every Moodle.
    for (qsizetype g = 0; g < t.antworten.size(); ++g)
      for (const QString& a : t.antworten[g])
        if (a.contains(QLatin1Char('~'))) {
          e.fehler = exporttexte::tilde(b.caption, t.nummern[g], a);
          return e;
        }
    e.luecken += int(t.antworten.size());
  }
  if (e.luecken == 0) {
    e.fehler = exporttexte::keineLuecken();
    return e;
  }

  QByteArray daten;
  QBuffer puffer(&daten);
  puffer.open(QIODevice::WriteOnly);
  QXmlStreamWriter w(&puffer);
  w.setAutoFormatting(true);
  w.writeStartDocument();
  w.writeStartElement(QStringLiteral("quiz"));
  w.writeStartElement(QStringLiteral("question"));
  w.writeAttribute(QStringLiteral("type"), QStringLiteral("category"));
  w.writeStartElement(QStringLiteral("category"));
  // A "/" inside a category name is written doubled.
  w.writeTextElement(QStringLiteral("text"),
                     QStringLiteral("$course$/top/") + exporttexte::einzeilig(mappenTitel, QStringLiteral("Quillbee-Mappe"))
                                                           .replace(QLatin1Char('/'), QLatin1String("//")));
  w.writeEndElement();
  w.writeEndElement();
  for (qsizetype k = 0; k < blaetter.size(); ++k) {
    const LueckenText& t = texte[k];
    if (t.antworten.isEmpty()) continue;
    w.writeStartElement(QStringLiteral("question"));
    w.writeAttribute(QStringLiteral("type"), QStringLiteral("cloze"));
    w.writeStartElement(QStringLiteral("name"));
    const QString name = exporttexte::einzeilig(blaetter[k].caption,
                                                QStringLiteral("Arbeitsblatt ") + QString::number(blaetter[k].id));
    w.writeTextElement(QStringLiteral("text"), exporttexte::gekuerzt(name, 255, false));
    w.writeEndElement();
    QString kopf = QLatin1String("<p>") + clozeText(t.anleitung) + QLatin1String("</p>\n");
    if (!t.wortliste.isEmpty()) kopf += QLatin1String("<p>") + clozeText(t.wortliste) + QLatin1String("</p>\n");
    textElement(w, QStringLiteral("questiontext"), kopf + absaetze(t, ClozeLuecke));
    textElement(w, QStringLiteral("generalfeedback"), absaetze(t, [](const QStringList& a) -> QString {
                  return QLatin1String("<strong>") + clozeText(a.value(0)) + QLatin1String("</strong>");
                }));
    w.writeTextElement(QStringLiteral("penalty"), QStringLiteral("0.3333333"));
    w.writeTextElement(QStringLiteral("hidden"), QStringLiteral("0"));
    w.writeTextElement(QStringLiteral("idnumber"), QString::number(blaetter[k].id));
    w.writeEndElement();
  }
  w.writeEndElement();
  w.writeEndDocument();
  e.daten = daten;
  return e;
}

}  // namespace qv
