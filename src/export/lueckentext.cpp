#include "export/lueckentext.h"

#include <algorithm>

#include "exercise/helpers.h"
#include "exercise/uebungstyp.h"

namespace qv {

namespace {
bool erlaubt(const QString& s, qsizetype i) {
  const QChar c = s[i];
  const char16_t u = c.unicode();
  // DEL and the C1 controls are control characters too, though XML allows them.
  if (u >= 0x7F && u <= 0x9F) return false;
  if (u >= 0x20 && u < 0xD800) return true;
  if (c.isHighSurrogate()) return i + 1 < s.size() && s[i + 1].isLowSurrogate();
  if (c.isLowSurrogate()) return i > 0 && s[i - 1].isHighSurrogate();
  return u == '\t' || u == '\n' || u == '\r' || (u >= 0x20 && u != 0xFFFE && u != 0xFFFF);
}
}  // namespace

QString OhneSteuerzeichen(const QString& s) {
  qsizetype i = 0;
  while (i < s.size() && erlaubt(s, i)) ++i;
  if (i == s.size()) return s;
  QString out = s.left(i);
  for (; i < s.size(); ++i)
    if (erlaubt(s, i)) out += s[i];
  return out;
}

void AppendHtml(QString& out, QStringView s, char16_t mark, QLatin1String ref) {
  qsizetype von = 0;
  for (qsizetype i = 0; i < s.size(); ++i) {
    const char16_t u = s[i].unicode();
    if (u > '>' && u != mark) continue;
    QLatin1String e;
    if (u == '&') e = QLatin1String("&amp;");
    else if (u == '<') e = QLatin1String("&lt;");
    else if (u == '>') e = QLatin1String("&gt;");
    else if (u == '"') e = QLatin1String("&quot;");
    else if (u == mark && mark != 0) e = ref;
    else continue;
    out += s.mid(von, i - von);
    out += e;
    von = i + 1;
  }
  out += s.mid(von);
}

QString HtmlText(const QString& s) {
  QString out;
  AppendHtml(out, s);
  return out;
}

QStringList Schreibvarianten(const QString& antwort) {
  static const QString apostrophe = QStringLiteral("’'‘ʼ");
  static const QString anfuehrung = QStringLiteral("„“”\"");
  const auto hat = [&](const QString& zeichen) {
    return std::any_of(antwort.begin(), antwort.end(), [&](QChar c) { return zeichen.contains(c); });
  };
  // Every mark of a kind written the same way; for quotation marks also the
  // German („…“) and English (“…”) pairs, alternating opening and closing.
  const auto formen = [](const QStringList& von, const QString& zeichen) {
    QStringList out;
    for (const QString& s : von) {
      for (QChar z : zeichen) {
        QString v = s;
        for (QChar& c : v)
          if (zeichen.contains(c)) c = z;
        out << v;
      }
    }
    return out;
  };
  QStringList out{antwort};
  if (hat(apostrophe)) out += formen(out, apostrophe);
  if (hat(anfuehrung)) {
    QStringList paare;
    for (const QString& s : std::as_const(out))
      for (const auto& [auf, zu] : {std::pair{u'„', u'“'}, std::pair{u'“', u'”'}}) {
        QString v = s;
        bool offen = false;
        for (QChar& c : v)
          if (anfuehrung.contains(c)) c = (offen = !offen) ? QChar(auf) : QChar(zu);
        paare << v;
      }
    out += formen(out, anfuehrung) + paare;
  }
  out.removeDuplicates();
  return out;
}

namespace {

// Where the pupil writes inside the gap word: the visible beginning, the
// answer and the visible end. The answer is empty when the gap cannot be
// placed in the word (the word then stays as text).
struct Teilung {
  QString vor, antwort, nach;
};

Teilung teile(const clsToken& t, int16_t typ) {
  const QString w = t.Inhalt();
  Teilung d{{}, t.Loesung(), {}};
  switch (uebungstyp::loesung(typ)) {
    case uebungstyp::Loesung::Wort: break;
    case uebungstyp::Loesung::Wortende:
      d.vor = w.left(w.size() - d.antwort.size());
      break;
    case uebungstyp::Loesung::Haelfte:
    case uebungstyp::Loesung::Unterstrich: {
      // The page's rule (the pattern's "_" stands for the answer), with the
      // visible parts taken from the word itself.
      const QString muster = t.Bemerkung();
      const qsizetype erst = muster.indexOf(QLatin1Char('_'));
      const qsizetype zweit = muster.indexOf(QLatin1Char('_'), erst + 1);
      const qsizetype hinten = (zweit < 0 ? muster.size() : zweit) - erst - 1;
      d.antwort = GapPartOfWord(w, muster);
      d.vor = w.left(erst);
      d.nach = w.right(hinten);
      break;
    }
  }
  if (d.antwort.trimmed().isEmpty() || d.vor + d.antwort + d.nach != w) d.antwort.clear();
  return d;
}

// Appends plain text to the paragraphs, starting a new one at each line end
// (CR LF, LF or a lone CR).
void haengeAn(QList<QList<TextStueck>>& absaetze, const QString& roh) {
  const QString s = OhneSteuerzeichen(roh);
  qsizetype von = 0;
  for (qsizetype i = 0; i <= s.size(); ++i) {
    const bool ende = i == s.size();
    if (!ende && s[i] != QLatin1Char('\n') && s[i] != QLatin1Char('\r')) continue;
    if (i > von) {
      QList<TextStueck>& a = absaetze.last();
      if (!a.isEmpty() && a.last().luecke < 0)
        a.last().text += QStringView(s).mid(von, i - von);
      else
        a.append(TextStueck{s.mid(von, i - von)});
    }
    if (ende) break;
    if (s[i] == QLatin1Char('\r') && i + 1 < s.size() && s[i + 1] == QLatin1Char('\n')) ++i;
    absaetze.append(QList<TextStueck>{});
    von = i + 1;
  }
}

}  // namespace

LueckenText ZerlegeBlatt(const ExportBlatt& b) {
  LueckenText out;
  out.anleitung = QStringLiteral("Setze die richtigen Wörter ein");
  if (b.wortliste == 1 || b.wortliste == 2) {
    QStringList liste;
    for (const clsToken& t : b.luecken) liste << (b.wortliste == 1 ? t.Inhalt() : t.Grundform());
    SortStrings(liste);
    out.wortliste = OhneSteuerzeichen(JoinList(liste));
  }
  const QString& text = b.text;
  const bool grundformDahinter = b.wortliste == 3 && uebungstyp::grundformHinterLueckeImNetz(b.uebungstyp);
  out.absaetze.append(QList<TextStueck>{});
  qsizetype cursor = 0;
  const qsizetype len = text.size();
  for (qsizetype i = 0; i < b.luecken.size(); ++i) {
    const clsToken& t = b.luecken[i];
    // As on the page: a gap never reaches back into the one before it, and
    // positions beyond the text put it at the text's end.
    const qsizetype start = std::clamp<qsizetype>(qsizetype(t.Anfang()) - 1, cursor, len);
    const qsizetype end = std::clamp<qsizetype>(start + t.Inhalt().size(), start, len);
    haengeAn(out.absaetze, text.mid(cursor, start - cursor));
    const Teilung d = teile(t, b.uebungstyp);
    if (d.antwort.isEmpty()) {
      haengeAn(out.absaetze, t.Inhalt());
    } else {
      haengeAn(out.absaetze, d.vor);
      QStringList antworten;
      for (const QString& a : QStringList{d.antwort} + b.alternativen.value(i))
        if (!a.trimmed().isEmpty()) antworten += Schreibvarianten(OhneSteuerzeichen(a));
      antworten.removeDuplicates();
      out.absaetze.last().append(TextStueck{{}, out.antworten.size()});
      out.antworten << antworten;
      out.nummern << int(i + 1);
      haengeAn(out.absaetze, d.nach);
    }
    if (grundformDahinter)
      haengeAn(out.absaetze, QStringLiteral(" (") + t.Grundform() + QLatin1Char(')'));
    cursor = end;
  }
  haengeAn(out.absaetze, text.mid(cursor));
  return out;
}

namespace exporttexte {

QString einzeilig(const QString& s, const QString& ersatz) {
  QString out = OhneSteuerzeichen(s);
  for (QChar& c : out)
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
  out = out.trimmed();
  return out.isEmpty() ? ersatz : out;
}

QString gekuerzt(const QString& s, qsizetype max, bool utf8Bytes) {
  qsizetype n = 0, i = 0;
  while (i < s.size()) {
    const bool paar = s[i].isHighSurrogate() && i + 1 < s.size();
    const char16_t u = s[i].unicode();
    const qsizetype laenge = !utf8Bytes ? 1 : paar ? 4 : u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    if (n + laenge > max) break;
    n += laenge;
    i += paar ? 2 : 1;
  }
  return s.left(i);
}

QString tilde(const QString& caption, int luecke, const QString& antwort) {
  return QStringLiteral("Die %1. Lücke des Arbeitsblatts „%2“ hat die Antwort „%3“. Das Zeichen „~“ kann in "
                        "Moodle-Lückentexten nicht sicher geschrieben werden. Bitte die Antwort ändern; es wurde "
                        "keine Datei erstellt.")
      .arg(luecke)
      .arg(caption, antwort);
}

QString keineLuecken() {
  return QStringLiteral("Das Arbeitsblatt enthält keine Lücken. Es wurde keine Datei erstellt.");
}

}  // namespace exporttexte

}  // namespace qv
