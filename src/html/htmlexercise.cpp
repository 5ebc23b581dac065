#include "html/htmlexercise.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <optional>

#include "app/variablen.h"
#include "exercise/uebungstyp.h"
#include "exercise/gaplist.h"
#include "exercise/helpers.h"
#include "platform/bigbuffer.h"
#include "platform/cp1252.h"
#include "platform/filehelper.h"
#include "platform/lastfolder.h"
#include "platform/shell.h"
#include "platform/textfile.h"
#include "platform/ui.h"

namespace qv {
namespace {

const QString kVorlageName = QStringLiteral("template.html");
const QString kSeiteName = QStringLiteral("Worksheet.html");
const QString kCrLf = QStringLiteral("\r\n");


// Plain text as page text: "&", "<", ">" and '"' become entities. With
// lineBreaks, CR LF and LF become "<br>" (a lone CR stays), as the exercise
// text's line breaks are shown.
void appendHtmlText(QString& out, QStringView s, bool lineBreaks) {
  const qsizetype n = s.size();
  const QChar* d = s.data();
  qsizetype run = 0;  // start of the characters not yet appended
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = d[i].unicode();
    if (u > '>' || (u != '&' && u != '<' && u != '>' && u != '"' && u != '\n' && u != '\r')) continue;
    if (u == '\r' && !(lineBreaks && i + 1 < n && d[i + 1] == QLatin1Char('\n'))) continue;
    if (u == '\n' && !lineBreaks) continue;
    out.append(d + run, i - run);
    switch (u) {
      case '&': out += QLatin1String("&amp;"); break;
      case '<': out += QLatin1String("&lt;"); break;
      case '>': out += QLatin1String("&gt;"); break;
      case '"': out += QLatin1String("&quot;"); break;
      case '\r': ++i; [[fallthrough]];
      default: out += QLatin1String("<br>");
    }
    run = i + 1;
  }
  out.append(d + run, n - run);
}

QString htmlText(const QString& s) {
  QString out;
  out.reserve(s.size() + 8);
  appendHtmlText(out, s, false);
  return out;
}

// The content of a single-quoted script string. Quotes, backslashes and
// "<" are written as hexadecimal escapes, so that a backslash is never
// followed by another one (a doubled backslash followed by "p" marks a line
// end in the page), the string cannot end the script element, and "[" stays
// out of the script so that no placeholder is found in it.
void appendScriptString(QString& out, const QString& s) {
  static const char hex[] = "0123456789ABCDEF";
  const QChar* d = s.data();
  qsizetype run = 0;  // start of the characters not yet appended
  for (qsizetype i = 0; i < s.size(); ++i) {
    const char16_t u = d[i].unicode();
    const bool plain = u >= 0x20 && u != '\\' && u != '\'' && u != '"' && u != '<' && u != '>' && u != '&' &&
                       u != '[' && u != ']' && u != 0x2028 && u != 0x2029;
    if (plain) continue;
    out.append(d + run, i - run);
    run = i + 1;
    if (u == '\r') {
      out += QLatin1String("\\r");
    } else if (u == '\n') {
      out += QLatin1String("\\n");
    } else if (u >= 0x2028) {
      out += u == 0x2028 ? QLatin1String("\\u2028") : QLatin1String("\\u2029");
    } else {
      out += QLatin1String("\\x");
      out += QLatin1Char(hex[u >> 4]);
      out += QLatin1Char(hex[u & 0xF]);
    }
  }
  out.append(d + run, s.size() - run);
}

// The input field of gap n (0-based) with the given class.
void appendField(QString& out, const QString& n, QLatin1String klasse) {
  out += QLatin1String("<input type=\"text\" class=\"");
  out += klasse;
  out += QLatin1String("\" name=\"T");
  out += n;
  out += QLatin1String("\" onFocus=\"this.style.backgroundColor='#ffff00'\" onBlur=\"CheckInput(this)\">");
}

// The script lines of the array I, one block per gap; lines end in CR LF.
QString scriptArray(const HtmlSeite& s) {
  const bool wortteil = uebungstyp::feldImWort(s.uebungstyp);
  QString out;
  bigbuffer::reserve(out, 24 + s.luecken.size() * 180);
  out += QLatin1String("I = new Array();\r\n");
  for (qsizetype i = 0; i < s.luecken.size(); ++i) {
    const clsToken& t = s.luecken[i];
    const QString n = QString::number(i);
    // "I[n" and the rest of the line, appended without a temporary string.
    const auto element = [&](QLatin1String rest) {
      out += QLatin1String("I[");
      out += n;
      out += rest;
    };
    element(QLatin1String("] = new Array();\r\n"));
    element(QLatin1String("][1] = new Array();\r\n"));
    element(QLatin1String("][1][0] = new Array();\r\n"));
    element(QLatin1String("][1][0][0] = '"));
    appendScriptString(out, wortteil ? GapPartOfWord(t.Inhalt(), t.Bemerkung()) : t.Inhalt());
    out += QLatin1String("';\r\n");
    element(QLatin1String("][2] = '"));
    appendScriptString(out, t.Grundform());
    out += QLatin1String("';\r\n");
    element(QLatin1String("][3] = 0;\r\n\r\n"));
  }
  return out;
}

// The exercise text with one field (or word span) per gap, as page text.
// Built front to back in one pass; the text between the gaps is escaped
// piece by piece, so the gap positions keep referring to the plain text.
QString textWithFields(const HtmlSeite& s) {
  const QString& text = s.text;
  const qsizetype len = text.size();
  const bool grundformDahinter = s.wortliste == 3 && uebungstyp::grundformHinterLueckeImNetz(s.uebungstyp);
  const bool wortteil = uebungstyp::feldImWort(s.uebungstyp);
  // The page's style tells the two kinds of word-part field apart.
  QLatin1String klasse("eingabe");
  if (wortteil) klasse = uebungstyp::loesung(s.uebungstyp) == uebungstyp::Loesung::Unterstrich
                             ? QLatin1String("eingabe2")
                             : QLatin1String("eingabe103");

  QString out;
  bigbuffer::reserve(out, len + len / 8 + s.luecken.size() * 200);
  QString markup;
  qsizetype cursor = 0;
  for (qsizetype i = 0; i < s.luecken.size(); ++i) {
    const clsToken& t = s.luecken[i];
    // A gap never reaches back into the one before it; positions beyond the
    // text put the field at its end.
    const qsizetype start = std::clamp<qsizetype>(qsizetype(t.Anfang()) - 1, cursor, len);
    const qsizetype end = std::clamp<qsizetype>(qsizetype(t.Anfang()) - 1 + t.Inhalt().size(), start, len);
    appendHtmlText(out, QStringView(text).mid(cursor, start - cursor), true);

    const QString n = QString::number(i);
    markup.clear();
    if (wortteil) {
      markup += QLatin1String("<span class=\"one-word\">");
      const QStringList teile = t.Bemerkung().split(QLatin1Char('_'));
      for (qsizetype k = 0; k < teile.size(); ++k) {
        if (k > 0) appendField(markup, n, klasse);
        appendHtmlText(markup, teile[k], true);
      }
      markup += QLatin1String("</span>");
    } else {
      appendField(markup, n, klasse);
    }
    if (grundformDahinter) {
      markup += QLatin1String(" (");
      appendHtmlText(markup, t.Grundform(), true);
      markup += QLatin1String(") ");
    }
    qsizetype trail = markup.size();
    while (trail > 0 && markup[trail - 1] == QLatin1Char(' ')) --trail;
    out += QStringView(markup).left(trail);
    cursor = end;
  }
  appendHtmlText(out, QStringView(text).mid(cursor), true);
  return out;
}

QString wortlisteZeile(const HtmlSeite& s) {
  if (s.wortliste != 1 && s.wortliste != 2) return {};
  QStringList liste;
  liste.reserve(s.luecken.size());
  for (const clsToken& t : s.luecken) liste << (s.wortliste == 1 ? t.Inhalt() : t.Grundform());
  SortStrings(liste);
  return QStringLiteral("<tr><td><p class=\"wortliste\">") + htmlText(JoinList(liste)) +
         QStringLiteral("<hr></p></td></tr>");
}

// Where the page's head ends: at "</head", else at "<body", else at the end.
qsizetype headEnd(const QString& page) {
  qsizetype end = page.indexOf(QLatin1String("</head"), 0, Qt::CaseInsensitive);
  if (end < 0) end = page.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
  return end < 0 ? page.size() : end;
}

// The head with its charset declarations set to charset; a head without
// one gets one as its first element.
QString withCharset(const QString& head, const QString& charset) {
  static const QRegularExpression decl(QStringLiteral("(<meta\\b[^>]*?\\bcharset\\s*=\\s*[\"']?)([^\"'\\s;>/]+)"),
                                       QRegularExpression::CaseInsensitiveOption);
  QString out;
  qsizetype last = 0;
  for (auto it = decl.globalMatch(head); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    out += QStringView(head).mid(last, m.capturedStart(2) - last);
    out += charset;
    last = m.capturedEnd(2);
  }
  if (last > 0) {
    out += QStringView(head).mid(last);
    return out;
  }
  const QString meta = QStringLiteral("<meta charset=\"") + charset + QStringLiteral("\">");
  for (const char* p : {"<head\\b[^>]*>", "<html\\b[^>]*>", "<!doctype\\b[^>]*>"}) {
    const QRegularExpression re(QString::fromLatin1(p), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(head);
    if (m.hasMatch()) return QString(head).insert(m.capturedEnd(), meta);
  }
  return meta + head;
}

// The page as a list of pieces. Each placeholder is replaced over the whole
// list exactly as on one string (every occurrence, left to right), but an
// inserted text stays a piece of its own, so that the big pieces (the text,
// the script) are copied once, into the page's bytes, instead of once per
// placeholder that follows them.
class Seitenteile {
 public:
  explicit Seitenteile(const QString& vorlage) : teile_{{vorlage}} {}

  // Every placeholder starts with "[" and a letter or with two backslashes.
  // A text inserted with ohnePlatzhalter holds neither (the script: "["
  // only before an array index, a backslash only before an escape letter),
  // so no later placeholder lies inside it and its piece is not searched
  // again; an occurrence across its borders is still found, as for every
  // piece.
  void replace(const QString& platzhalter, const QString& durch, bool ohnePlatzhalter = false) {
    Q_ASSERT(!ohnePlatzhalter ||
             !durch.contains(QRegularExpression(QStringLiteral("\\[\\p{L}|\\\\\\\\"))));
    mergeWhereCrossing(platzhalter);
    QList<Teil> neu;
    neu.reserve(teile_.size() + 4);
    for (const Teil& teil : std::as_const(teile_)) {
      qsizetype from = 0;
      if (teil.durchsuchen) {
        for (qsizetype at; (at = teil.text.indexOf(platzhalter, from)) >= 0; from = at + platzhalter.size())
          neu << Teil{teil.text.mid(from, at - from)} << Teil{durch, !ohnePlatzhalter};
      }
      neu << (from == 0 ? teil : Teil{teil.text.mid(from)});
    }
    neu.removeIf([](const Teil& t) { return t.text.isEmpty(); });
    teile_ = std::move(neu);
  }

  // The pieces in their order, encoded into out: Windows-1252 while every
  // character fits (false at the first that does not), else UTF-8.
  bool appendCp1252(QByteArray& out) const {
    for (const Teil& t : teile_)
      if (!cp1252::append(out, t.text)) return false;
    return true;
  }
  void appendUtf8(QByteArray& out) const {
    for (const Teil& t : teile_) out += t.text.toUtf8();
  }

  qsizetype size() const {
    qsizetype n = 0;
    for (const Teil& t : teile_) n += t.text.size();
    return n;
  }

  QString joined() const {
    QString out;
    bigbuffer::reserve(out, size());
    for (const Teil& t : teile_) out += t.text;
    return out;
  }

 private:
  struct Teil {
    QString text;
    bool durchsuchen = true;
  };

  // An occurrence that runs over the border of two pieces would be missed
  // piece by piece: such neighbours become one piece first. Placeholders
  // cannot overlap themselves, so every other occurrence lies inside a piece.
  void mergeWhereCrossing(const QString& platzhalter) {
    const qsizetype reach = platzhalter.size() - 1;
    for (qsizetype i = 0; i + 1 < teile_.size();) {
      QString rand;  // up to reach characters either side of the border
      for (qsizetype k = i; k >= 0 && rand.size() < reach; --k)
        rand.prepend(teile_[k].text.right(reach - rand.size()));
      const qsizetype border = rand.size();
      for (qsizetype k = i + 1; k < teile_.size() && rand.size() < border + reach; ++k)
        rand += teile_[k].text.left(border + reach - rand.size());
      bool crossing = false;
      for (qsizetype at = rand.indexOf(platzhalter); at >= 0 && !crossing; at = rand.indexOf(platzhalter, at + 1))
        crossing = at < border && at + platzhalter.size() > border;
      if (crossing) {
        teile_[i] = {teile_[i].text + teile_[i + 1].text};
        teile_.removeAt(i + 1);
      } else {
        ++i;
      }
    }
  }

  QList<Teil> teile_;
};

std::optional<QString> readVorlage(const QString& path, QString* error) {
  std::optional<QString> vorlage;
  if (files::FileExists(path)) vorlage = textfile::read(path);
  if (!vorlage || !vorlage->contains(QStringLiteral("[ÜBUNGSTEXT]"))) {
    if (error) *error = htmlVorlageFehltText(path);
    return std::nullopt;
  }
  return vorlage;
}

}  // namespace

QString htmlVorlageFehltText(const QString& path) {
  return QStringLiteral("Die Seitenvorlage für die Web-Seite fehlt, kann nicht gelesen werden oder enthält keinen "
                        "Platzhalter [ÜBUNGSTEXT]:") +
         kCrLf + kCrLf + path + kCrLf + kCrLf + QStringLiteral("Es wurde keine Web-Seite erstellt.");
}

QString htmlKeineLueckenText() {
  return QStringLiteral("Das Arbeitsblatt enthält keine Lücken. Es wurde keine Web-Seite erstellt.");
}

QString htmlNichtGespeichertText(const QString& path, const QString& reason) {
  return QStringLiteral("Die Web-Seite konnte nicht gespeichert werden:") + kCrLf + kCrLf + path +
         (reason.isEmpty() ? QString() : kCrLf + reason);
}

QString htmlGespeichertText(int luecken, const QString& path) {
  return QStringLiteral("Die Übung mit ") + QString::number(luecken) +
         QStringLiteral(" Lücken wurde unter folgendem Namen gespeichert:") + kCrLf + kCrLf + path;
}

namespace {

// The page's pieces: the template with its placeholders filled in this
// order; the title and the line markers are replaced last, on the whole page.
Seitenteile seitenteile(const HtmlSeite& s, const QString& vorlage) {
  Seitenteile page{vorlage};
  page.replace(QStringLiteral("[DETAILS]"), scriptArray(s), true);
  page.replace(QStringLiteral("[ANLEITUNG]"), QStringLiteral("Setze die richtigen Wörter ein"));
  page.replace(QStringLiteral("[WORTLISTE]"), wortlisteZeile(s));
  page.replace(QStringLiteral("[ÜBUNGSTEXT]"), textWithFields(s));
  page.replace(QStringLiteral("[TITEL]"), htmlText(files::FileTitle(s.mappenPfad)));
  page.replace(QStringLiteral("\\\\p"), kCrLf);
  return page;
}

// The template with the charset declarations of its head set to charset.
QString vorlageMitCharset(const QString& vorlage, const QString& charset) {
  const qsizetype end = headEnd(vorlage);
  return withCharset(vorlage.left(end), charset) + vorlage.mid(end);
}

}  // namespace

QString BuildHtmlPage(const HtmlSeite& s) { return seitenteile(s, s.vorlage).joined(); }

QByteArray HtmlPageBytes(const HtmlSeite& s) {
  // The declaration is set in the template before its placeholders are
  // filled: everything put in is escaped text or fixed markup and declares
  // nothing. The pieces go straight into the bytes, without the page joined
  // as one text first. A page that needs UTF-8 is built a second time, with
  // that declaration.
  const Seitenteile page = seitenteile(s, vorlageMitCharset(s.vorlage, QStringLiteral("windows-1252")));
  QByteArray out;
  bigbuffer::reserve(out, page.size() + 2);
  if (page.appendCp1252(out)) return out.append("\r\n");
  out = QByteArray("\xEF\xBB\xBF", 3);
  seitenteile(s, vorlageMitCharset(s.vorlage, QStringLiteral("utf-8"))).appendUtf8(out);
  return out.append("\r\n");
}

bool WriteHtmlExercise(const QString& text, const QString& path, QString* error) {
  const std::optional<QString> vorlage = readVorlage(files::dataFile(kVorlageName), error);
  if (!vorlage) return false;
  if (gLuecken.isEmpty()) {
    if (error) *error = htmlKeineLueckenText();
    return false;
  }
  HtmlSeite s;
  s.text = text;
  s.luecken = gLuecken;
  s.uebungstyp = gUebungstyp;
  s.wortliste = gWortliste;
  s.mappenPfad = gMappenPfad;
  s.vorlage = *vorlage;
  QString reason;
  if (!files::saveWhole(path, HtmlPageBytes(s), &reason)) {
    if (error) *error = htmlNichtGespeichertText(path, reason);
    return false;
  }
  return true;
}

void CreateHtmlExercise(int16_t, int16_t) {
  if (!LueckenPassenZumText()) return;
  bool withDetails = true;
  BuildGapList(true, withDetails);
  // What keeps the page from being made is told before the teacher is asked
  // where to put it.
  QString error;
  if (!readVorlage(files::dataFile(kVorlageName), &error) || gLuecken.isEmpty()) {
    showMessage(error.isEmpty() ? htmlKeineLueckenText() : error, Icon::Exclamation);
    return;
  }
  // The teacher says where the page goes: a page in the program's folder is
  // not found there (and cannot be written on an installed system), and
  // each page would replace the one before without a question.
  FileDialogRequest r;
  r.title = QStringLiteral("Web-Seite speichern unter");
  r.filter = QStringLiteral("Web-Seite (*.html;*.htm)|*.html;*.htm|Alle Dateien|*.*");
  r.fileName = lastfolder::proposedName(gCaption, QStringLiteral("html"), QFileInfo(kSeiteName).completeBaseName());
  const QString path = lastfolder::askSavePath(r, lastfolder::kSeite, QStringLiteral("html"));
  if (path.isEmpty()) return;
  if (!WriteHtmlExercise(gTextTXT, path, &error)) {
    showMessage(error, Icon::Exclamation);
    return;
  }
  shell::OpenDocument(path);
  showMessage(htmlGespeichertText(static_cast<int>(gLuecken.size()), path), Icon::Information, Buttons::Ok,
              kProductName, 0, true);
}

}  // namespace qv
