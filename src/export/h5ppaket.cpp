#include "export/h5ppaket.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <quazip.h>
#include <quazipfile.h>

namespace qv {
namespace {

// The syntax has no escapes and is split before character references are
// decoded: the marks that would split an answer go in as references.
QString blanksAntwort(const QString& a) {
  return HtmlText(a)
      .replace(QLatin1Char('*'), QLatin1String("&#42;"))
      .replace(QLatin1Char('/'), QLatin1String("&#47;"))
      .replace(QLatin1Char(':'), QLatin1String("&#58;"));
}


// The content type shows at most 31 text blocks and drops the rest.
constexpr qsizetype kMaxBloecke = 31;

QJsonObject texte(std::initializer_list<std::pair<const char*, const char*>> paare) {
  QJsonObject o;
  for (const auto& [k, v] : paare) o.insert(QLatin1String(k), QString::fromUtf8(v));
  return o;
}

bool schreibe(QuaZip& zip, const QString& name, const QByteArray& daten) {
  QuaZipFile f(&zip);
  const bool ok = f.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 8 /* deflate */, 6);
  return ok && f.write(daten) == daten.size() && (f.close(), f.getZipError() == 0);
}

}  // namespace

QString BlanksLuecke(const QStringList& antworten) {
  QStringList teile;
  for (const QString& a : antworten) teile << blanksAntwort(a);
  return QLatin1Char('*') + teile.join(QLatin1Char('/')) + QLatin1Char('*');
}

QByteArray H5pJson(const ExportBlatt& b) {
  QJsonObject o;
  o.insert(QStringLiteral("title"),
           exporttexte::gekuerzt(exporttexte::einzeilig(b.caption, QStringLiteral("Lückenübung")), 255, true));
  o.insert(QStringLiteral("language"), QStringLiteral("de"));
  o.insert(QStringLiteral("mainLibrary"), QStringLiteral("H5P.Blanks"));
  o.insert(QStringLiteral("embedTypes"), QJsonArray{QStringLiteral("iframe")});
  o.insert(QStringLiteral("license"), QStringLiteral("U"));
  o.insert(QStringLiteral("preloadedDependencies"),
           QJsonArray{QJsonObject{{QStringLiteral("machineName"), QStringLiteral("H5P.Blanks")},
                                  {QStringLiteral("majorVersion"), 1},
                                  {QStringLiteral("minorVersion"), 14}}});
  return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray H5pContentJson(const LueckenText& t) {
  QString kopf = QLatin1String("<p>") + HtmlText(t.anleitung) + QLatin1String("</p>");
  if (!t.wortliste.isEmpty()) kopf += QLatin1String("<p>") + HtmlText(t.wortliste) + QLatin1String("</p>");
  // The paragraphs, spread evenly over at most 31 blocks.
  const qsizetype n = t.absaetze.size();
  const qsizetype bloecke = std::min(n, kMaxBloecke);
  QStringList fragen(bloecke);
  for (qsizetype j = 0; j < n; ++j) {
    QString& f = fragen[j * bloecke / n];
    f += QLatin1String("<p>");
    for (const TextStueck& s : t.absaetze[j]) {
      if (s.luecke < 0)
        AppendHtml(f, s.text, u'*', QLatin1String("&#42;"));
      else
        f += BlanksLuecke(t.antworten[s.luecke]);
    }
    f += QLatin1String("</p>");
  }

  QJsonObject o = texte({
      {"showSolutions", "Lösung anzeigen"},
      {"tryAgain", "Wiederholen"},
      {"checkAnswer", "Überprüfen"},
      {"notFilledOut", "Bitte fülle alle Lücken aus, um die Lösung ansehen zu können"},
      {"answerIsCorrect", "':ans' ist korrekt"},
      {"answerIsWrong", "':ans' ist falsch"},
      {"answeredCorrectly", "Korrekt beantwortet"},
      {"answeredIncorrectly", "Falsch beantwortet"},
      {"solutionLabel", "Korrekte Antwort:"},
      {"inputLabel", "Lücke @num von @total"},
      {"inputHasTipLabel", "Tipp verfügbar"},
      {"tipLabel", "Tipp"},
      {"scoreBarLabel", "Du hast :num von :total Punkten erreicht."},
      {"a11yCheck", "Die Antworten überprüfen. Die Eingaben werden als richtig, falsch oder unbeantwortet markiert."},
      {"a11yShowSolution", "Die Lösung anzeigen. Die richtigen Lösungen werden in der Aufgabe angezeigt."},
      {"a11yRetry",
       "Die Aufgabe wiederholen. Alle Eingaben werden zurückgesetzt und die Aufgabe wird erneut gestartet."},
      {"a11yCheckingModeHeader", "Überprüfen-Modus aktiv"},
  });
  o.insert(QStringLiteral("confirmCheck"), texte({{"header", "Beenden?"},
                                                  {"body", "Ganz sicher beenden?"},
                                                  {"cancelLabel", "Abbrechen"},
                                                  {"confirmLabel", "Beenden"}}));
  o.insert(QStringLiteral("confirmRetry"), texte({{"header", "Wiederholen?"},
                                                  {"body", "Ganz sicher wiederholen?"},
                                                  {"cancelLabel", "Abbrechen"},
                                                  {"confirmLabel", "Bestätigen"}}));
  o.insert(QStringLiteral("text"), kopf);
  o.insert(QStringLiteral("questions"), QJsonArray::fromStringList(fragen));
  QJsonObject verhalten;
  for (const auto& [k, v] : std::initializer_list<std::pair<const char*, bool>>{
           {"enableRetry", true}, {"enableSolutionsButton", true}, {"enableCheckButton", true},
           {"autoCheck", false}, {"caseSensitive", true}, {"showSolutionsRequiresInput", true},
           {"separateLines", false}, {"confirmCheckDialog", false}, {"confirmRetryDialog", false},
           {"acceptSpellingErrors", false}})
    verhalten.insert(QLatin1String(k), v);
  o.insert(QStringLiteral("behaviour"), verhalten);
  return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

ExportErgebnis BaueH5pPaket(const ExportBlatt& b) {
  ExportErgebnis e;
  const LueckenText t = ZerlegeBlatt(b);
  e.luecken = int(t.antworten.size());
  if (e.luecken == 0) {
    e.fehler = exporttexte::keineLuecken();
    return e;
  }
  QByteArray daten;
  QBuffer puffer(&daten);
  QuaZip zip(&puffer);
  const bool ok = zip.open(QuaZip::mdCreate) && schreibe(zip, QStringLiteral("h5p.json"), H5pJson(b)) &&
                  schreibe(zip, QStringLiteral("content/content.json"), H5pContentJson(t));
  zip.close();
  if (ok && zip.getZipError() == 0)
    e.daten = daten;
  else
    e.fehler = QStringLiteral("Das H5P-Paket konnte nicht zusammengestellt werden.");
  return e;
}

}  // namespace qv
