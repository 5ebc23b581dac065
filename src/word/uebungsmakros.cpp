#include "word/uebungsmakros.h"

#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

#include "platform/docengine.h"
#include "platform/filehelper.h"
#include "platform/formcontent.h"
#include "platform/lastfolder.h"
#include "platform/textfile.h"
#include "platform/tools.h"
#include "platform/ui.h"
#include "word/modword.h"

namespace qv {
namespace {

const QString kSep = QStringLiteral(";");
const QString kCrLf = QStringLiteral("\r\n");
const QString kMarkSingleField = QStringLiteral("MarkSingleField");

QString unscrambled(const engine::Document& doc, const QString& name) {
  return XorWithKey(doc.variableValue(name).value_or(QString()), ExercisePassword());
}

QChar urteilCode(Urteil u) {
  switch (u) {
    case Urteil::NichtGeprueft: return QLatin1Char('N');
    case Urteil::Leer: return QLatin1Char('L');
    case Urteil::Richtig: return QLatin1Char('R');
    case Urteil::Gross: return QLatin1Char('G');
    case Urteil::Umlaut: return QLatin1Char('U');
    case Urteil::Falsch: return QLatin1Char('F');
  }
  return QLatin1Char('N');
}

Urteil urteilAus(const QString& code) {
  for (Urteil u : {Urteil::Leer, Urteil::Richtig, Urteil::Gross, Urteil::Umlaut, Urteil::Falsch})
    if (code == QString(urteilCode(u))) return u;
  return Urteil::NichtGeprueft;
}

bool istFalsch(Urteil u) { return u == Urteil::Falsch || u == Urteil::Gross || u == Urteil::Umlaut; }

// True when the answer writes ae, oe, ue or ss where the solution has ä, ö,
// ü or ß, and is otherwise the solution (compared in small letters).
bool umschrieben(const QString& antwort, const QString& loesung) {
  const QString a = antwort.toLower(), l = loesung.toLower();
  static const QMap<QChar, QString> umschrift = {{QChar(0xE4), QStringLiteral("ae")},
                                                 {QChar(0xF6), QStringLiteral("oe")},
                                                 {QChar(0xFC), QStringLiteral("ue")},
                                                 {QChar(0xDF), QStringLiteral("ss")}};
  qsizetype j = 0;
  bool found = false;
  for (const QChar c : l) {
    const auto u = umschrift.constFind(c);
    if (u != umschrift.cend() && a.mid(j, 2) == *u) {
      j += 2;
      found = true;
    } else if (j < a.size() && a[j] == c) {
      ++j;
    } else {
      return false;
    }
  }
  return found && j == a.size();
}

// The character format of the whole range changed by merging.
void merge(const TextRange& range, const QTextCharFormat& f) {
  if (range.isNull() || range.isEmpty()) return;
  range.cursor().mergeCharFormat(f);
}

void background(const TextRange& range, const QColor& colour) {
  QTextCharFormat f;
  f.setBackground(colour);
  merge(range, f);
}

QColor lookOf(Urteil u) {
  if (u == Urteil::Richtig) return farbe::kRichtig;
  if (istFalsch(u)) return farbe::kFalsch;
  return farbe::kFeld;
}

const Field* selected(const engine::Document& doc) { return doc.field(doc.selectedField()); }

// The header buttons: MACROBUTTON fields that run MarkSingleField, in order.
QList<const Field*> kopfKnoepfe(const engine::Document& doc) {
  QList<const Field*> out;
  for (int i = 1; i <= doc.fieldCount(); ++i) {
    const Field* f = doc.field(i);
    if (f->kind == FieldKind::MacroButton && f->macroName().compare(kMarkSingleField, Qt::CaseInsensitive) == 0)
      out << f;
  }
  return out;
}

void zeigeMarke(const Field& f, bool markiert) {
  if (markiert) {
    QTextCharFormat fmt;
    fmt.setFontStrikeOut(true);
    fmt.setForeground(farbe::kMarkiert);
    merge(f.result, fmt);
  } else {
    f.result.clearProperties({QTextFormat::FontStrikeOut, QTextFormat::ForegroundBrush});
  }
}

}  // namespace

// ---- Gap rows and verdicts

QStringList LueckenZeile::loesungen() const {
  QStringList out{loesung};
  out += alternativen;
  return out;
}

namespace {
// The rows of a descrambled LSTDET; empty when the exercise has no solutions.
QStringList zeilenAus(const QString& text) {
  if (text.isEmpty()) return {};
  QStringList rows = text.split(kCrLf);
  if (rows.size() > 1 && rows.last().isEmpty()) rows.removeLast();
  return rows;
}

// Solutions that do not descramble into COUNT rows of fields. Word
// processors that drop control characters from variables when they save
// (LibreOffice keeps only the tab) take characters out of the scrambled
// text, and everything behind the first of them descrambles with the key
// shifted.
bool beschaedigt(const QString& lstdet, const QString& count) {
  const QStringList rows = zeilenAus(XorWithKey(lstdet, ExercisePassword()));
  bool ok = false;
  const int n = count.toInt(&ok);
  if (rows.isEmpty() || !ok) return false;
  return rows.size() != n ||
         std::any_of(rows.begin(), rows.end(), [](const QString& r) { return r.count(kSep) < 4; });
}

bool beschaedigt(const engine::Document& doc) {
  return beschaedigt(doc.variableValue(QStringLiteral("LSTDET")).value_or(QString()),
                     doc.variableValue(QStringLiteral("COUNT")).value_or(QString()));
}

// The masters known on this machine: the one the student list window hands
// out (kept in its settings file) and the one the results window judged last.
QStringList bekannteVorlagen() {
  QStringList out;
  if (const auto text = textfile::read(files::studentListIni()))
    out << textfile::splitLines(*text).value(0).split(QLatin1Char(';')).value(1).trimmed();
  out << lastfolder::stored(lastfolder::kLetzteVorlage).toString();
  out.removeAll(QString());
  return out;
}

// Takes the scrambled variables from a known master with the copy's GUID.
bool stelleLoesungenWiederHer(engine::Document& doc) {
  const QString guid = doc.variableValue(QStringLiteral("GUID")).value_or(QString());
  if (guid.isEmpty()) return false;
  for (const QString& pfad : bekannteVorlagen()) {
    const auto bytes = textfile::readBytes(pfad);
    if (!bytes) continue;
    const form::ReadResult r = form::Read(*bytes);
    if (!r.content || r.content->variable(QStringLiteral("GUID")) != guid) continue;
    const QString lstdet = r.content->variable(QStringLiteral("LSTDET")).value_or(QString());
    if (lstdet.isEmpty() || beschaedigt(lstdet, r.content->variable(QStringLiteral("COUNT")).value_or(QString())))
      continue;
    const bool saved = doc.saved();
    for (const QString& name : {QStringLiteral("LSTDET"), QStringLiteral("LSTIH"), QStringLiteral("LSTGF")})
      doc.setVariable(name, r.content->variable(name).value_or(QString()));
    doc.setSaved(saved);
    return true;
  }
  return false;
}
}  // namespace

QList<LueckenZeile> LueckenZeilen(const engine::Document& doc) {
  // Damaged solutions would judge every answer wrong: none at all instead.
  if (beschaedigt(doc)) return {};
  const QStringList rows = zeilenAus(unscrambled(doc, QStringLiteral("LSTDET")));
  QList<LueckenZeile> out;
  for (const QString& row : rows) {
    const QStringList f = row.split(kSep);
    LueckenZeile z;
    if (f.size() >= 5) {
      z.inhalt = f[1];
      z.grundform = f[2];
      z.loesung = f[4];
      // Alternatives: NUL, first, NUL, second, NUL ...; "{AL}" when none
      // were asked for.
      if (f.size() > 5 && f[5] != QLatin1String("{AL}"))
        for (const QString& alt : f[5].split(QChar(0), Qt::SkipEmptyParts)) z.alternativen << alt;
    }
    out << z;
  }
  return out;
}

QStringList KopfWoerter(const engine::Document& doc) {
  const QString form = doc.variableValue(QStringLiteral("INTDIFF")).value_or(QString());
  QString list;
  if (form == QLatin1String("1")) list = unscrambled(doc, QStringLiteral("LSTIH"));
  else if (form == QLatin1String("2")) list = unscrambled(doc, QStringLiteral("LSTGF"));
  if (list.isEmpty()) return {};
  return list.split(QStringLiteral(", "));
}

QString NormalisiereAntwort(const QString& answer) {
  QString s = answer.normalized(QString::NormalizationForm_C);
  static const QString apostrophe = QString::fromUtf16(u"\u2018\u2019\u201A\u201B\u2032\u2039\u203A\u00B4\u0060");
  static const QString quote = QString::fromUtf16(u"\u201C\u201D\u201E\u201F\u2033\u00AB\u00BB");
  for (QChar& c : s) {
    if (apostrophe.contains(c)) c = QLatin1Char('\'');
    else if (quote.contains(c)) c = QLatin1Char('"');
  }
  return s.trimmed();
}

Urteil BewerteAntwort(const QString& answer, const QStringList& loesungen) {
  const QString a = NormalisiereAntwort(answer);
  QStringList l;
  for (const QString& s : loesungen) l << NormalisiereAntwort(s);
  for (const QString& s : l)
    if (a == s) return Urteil::Richtig;
  if (a.isEmpty()) return Urteil::Leer;
  for (const QString& s : l)
    if (a.compare(s, Qt::CaseInsensitive) == 0) return Urteil::Gross;
  for (const QString& s : l)
    if (umschrieben(a, s)) return Urteil::Umlaut;
  return Urteil::Falsch;
}

QString Hinweis(Urteil urteil, int fehlversuche, const QString& grundform) {
  if (!istFalsch(urteil)) return {};
  QStringList h;
  if (urteil == Urteil::Gross) h << QStringLiteral("Achte auf Groß- und Kleinschreibung");
  if (urteil == Urteil::Umlaut) h << QStringLiteral("Schreibe ä, ö, ü und ß");
  if (fehlversuche >= 2 && !grundform.isEmpty())
    h << QStringLiteral("Tipp: Grundform \u201E") + grundform + QStringLiteral("\u201C");
  return h.join(QStringLiteral(". "));
}

// ---- Saved progress

UebungsStand UebungsStand::lesen(const engine::Document& doc) {
  return ausText(doc.variableValue(kStandVariable).value_or(QString()));
}

UebungsStand UebungsStand::ausText(const QString& text) {
  UebungsStand st;
  for (const QString& line : text.split(kCrLf, Qt::SkipEmptyParts)) {
    const QStringList f = line.split(kSep);
    if (f.value(0) == QLatin1String("L") && f.size() >= 6) {
      const int k = f[1].toInt();
      if (k < 1) continue;
      LueckenStand l;
      l.versuche = std::max(0, f[2].toInt());
      l.fehlversuche = std::max(0, f[3].toInt());
      l.urteil = urteilAus(f[4]);
      l.gezaehlt = QUrl::fromPercentEncoding(f[5].toLatin1());
      st.luecken.insert(k, l);
    } else if (f.value(0) == QLatin1String("M") && f.size() >= 2) {
      for (const QString& n : f[1].split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (n.toInt() > 0 && !st.markiert.contains(n.toInt())) st.markiert << n.toInt();
      std::sort(st.markiert.begin(), st.markiert.end());
    }
  }
  return st;
}

void UebungsStand::schreiben(engine::Document& doc) const {
  QStringList lines;
  for (auto it = luecken.cbegin(); it != luecken.cend(); ++it) {
    const LueckenStand& l = it.value();
    lines << QStringList{QStringLiteral("L"),
                         QString::number(it.key()),
                         QString::number(l.versuche),
                         QString::number(l.fehlversuche),
                         QString(urteilCode(l.urteil)),
                         QString::fromLatin1(QUrl::toPercentEncoding(l.gezaehlt))}
                 .join(kSep);
  }
  if (!markiert.isEmpty()) {
    QStringList n;
    for (int m : markiert) n << QString::number(m);
    lines << QStringLiteral("M;") + n.join(QLatin1Char(','));
  }
  doc.setVariable(kStandVariable, lines.join(kCrLf));
}

namespace {
bool ausgefuellt(const Field& f) {
  const QString text = f.result.text();
  return f.kind == FieldKind::FormText && !isEmptyFieldText(text) && !NormalisiereAntwort(text).isEmpty();
}
}  // namespace

bool HatAntworten(const engine::Document& doc) {
  const auto& felder = doc.data().fields();
  return !doc.variableValue(kStandVariable).value_or(QString()).isEmpty() ||
         std::any_of(felder.begin(), felder.end(), ausgefuellt);
}

void LeereAntworten(engine::Document& doc) {
  for (Field& f : doc.data().fields())
    if (ausgefuellt(f)) f.result.setText(engine::kEmptyFormFieldText);
  for (int i = doc.variableCount(); i >= 1; --i)
    if (doc.variableName(i).compare(kStandVariable, Qt::CaseInsensitive) == 0) doc.deleteVariable(i);
  // The looks follow the (now empty) state.
  DocumentOpen(doc);
  doc.setSaved(false);
}

int GapNumber(const QString& fieldName) {
  if (!fieldName.startsWith(QLatin1String("Gap_"))) return 0;
  bool ok = false;
  const int k = fieldName.mid(4).toInt(&ok);
  return ok && k > 0 ? k : 0;
}

// ---- Macros

void DocumentOpen(engine::Document& doc) {
  // A copy saved by another word processor may have lost the gaps' macros
  // (LibreOffice keeps a text field's name only): they are the gaps' own.
  const QList<Field>& felder = std::as_const(doc.data()).fields();
  for (qsizetype i = 0; i < felder.size(); ++i) {
    const Field& f = felder[i];
    if (f.kind != FieldKind::FormText || GapNumber(f.form.name) == 0 ||
        (!f.form.entryMacro.isEmpty() && !f.form.exitMacro.isEmpty()))
      continue;
    FormFieldData& form = doc.data().fields()[i].form;
    if (form.entryMacro.isEmpty()) form.entryMacro = QStringLiteral("Got_Focus");
    if (form.exitMacro.isEmpty()) form.exitMacro = QStringLiteral("Lost_Focus");
  }
  if (beschaedigt(doc) && !stelleLoesungenWiederHer(doc))
    showMessage(QStringLiteral("Die Lösungen dieser Kopie sind beim Speichern in einem anderen Programm verloren "
                               "gegangen. Die Lücken können nicht geprüft werden."),
                Icon::Exclamation);
  const UebungsStand st = UebungsStand::lesen(doc);
  const bool judged = !LueckenZeilen(doc).isEmpty();
  int first = 0, gap1 = 0;
  for (int i = 1; i <= doc.fieldCount(); ++i) {
    const Field* f = doc.field(i);
    if (f->kind != FieldKind::FormText) continue;
    if (!first) first = i;
    const int k = GapNumber(f->form.name);
    if (k == 1) gap1 = i;
    background(f->result, judged && k > 0 ? lookOf(st.luecken.value(k).urteil) : farbe::kFeld);
  }
  const QList<const Field*> knoepfe = kopfKnoepfe(doc);
  for (int i = 0; i < knoepfe.size(); ++i) zeigeMarke(*knoepfe[i], st.markiert.contains(i + 1));
  doc.selectField(gap1 ? gap1 : first);

  QString caption;
  if (doc.variableValue(QStringLiteral("TEMPLATE")).value_or(QString()) == QLatin1String("0"))
    caption = doc.firstPageHeaderCell(1, 2).value_or(QString()).trimmed();
  doc.setWindowCaption(caption);
}

void GotFocus(engine::Document& doc) {
  const Field* f = selected(doc);
  if (f && f->kind == FieldKind::FormText) background(f->result, farbe::kFokus);
}

void LostFocus(engine::Document& doc) {
  const Field* f = selected(doc);
  if (!f || f->kind != FieldKind::FormText) return;
  const int k = GapNumber(f->form.name);
  const QList<LueckenZeile> rows = LueckenZeilen(doc);
  if (k < 1 || k > rows.size()) {
    background(f->result, farbe::kFeld);
    return;
  }
  const QString answer = NormalisiereAntwort(f->result.text());
  const Urteil u = BewerteAntwort(answer, rows[k - 1].loesungen());
  UebungsStand st = UebungsStand::lesen(doc);
  const UebungsStand before = st;
  if (u == Urteil::Leer && !st.luecken.contains(k)) {
    background(f->result, farbe::kFeld);
    return;
  }
  LueckenStand& l = st.luecken[k];
  // An answer counts once, however often the field is left with it.
  if (u != Urteil::Leer && answer != l.gezaehlt) {
    ++l.versuche;
    if (u != Urteil::Richtig) ++l.fehlversuche;
    l.gezaehlt = answer;
  }
  l.urteil = u;
  if (!(st == before)) st.schreiben(doc);
  background(f->result, lookOf(u));
}

void MarkSingleField(engine::Document& doc) {
  const Field* f = selected(doc);
  const QList<const Field*> knoepfe = kopfKnoepfe(doc);
  const int n = static_cast<int>(knoepfe.indexOf(f)) + 1;
  if (n < 1) return;
  UebungsStand st = UebungsStand::lesen(doc);
  const bool mark = !st.markiert.contains(n);
  if (mark) {
    st.markiert << n;
    std::sort(st.markiert.begin(), st.markiert.end());
  } else {
    st.markiert.removeAll(n);
  }
  st.schreiben(doc);
  zeigeMarke(*f, mark);
}

QString Rueckmeldung(const engine::Document& doc, int k) {
  const QList<LueckenZeile> rows = LueckenZeilen(doc);
  if (k < 1 || k > rows.size()) return {};
  const LueckenStand l = UebungsStand::lesen(doc).luecken.value(k);
  QString text = QStringLiteral("Lücke ") + QString::number(k) + QStringLiteral(": ");
  if (l.urteil == Urteil::Richtig) return text + QStringLiteral("richtig");
  if (!istFalsch(l.urteil)) return text + QStringLiteral("noch leer");
  text += QStringLiteral("falsch");
  const QString h = Hinweis(l.urteil, l.fehlversuche, rows[k - 1].grundform);
  return h.isEmpty() ? text : text + QStringLiteral(". ") + h;
}

int RichtigeLuecken(const engine::Document& doc) {
  // The saved state may name gaps the document has no field for (a copy
  // edited elsewhere): only gaps with a field count.
  QSet<int> felder;
  for (int i = 1; i <= doc.formFieldCount(); ++i) felder.insert(GapNumber(doc.formField(i)->form.name));
  int n = 0;
  const UebungsStand st = UebungsStand::lesen(doc);
  for (auto it = st.luecken.cbegin(); it != st.luecken.cend(); ++it)
    if (it->urteil == Urteil::Richtig && felder.contains(it.key())) ++n;
  return n;
}

void InstallExerciseMacros() {
  engine::Application::setMacroHandler([](engine::Document* doc, const QString& macro) {
    if (!doc) return;
    if (macro.compare(QLatin1String("Document_Open"), Qt::CaseInsensitive) == 0) DocumentOpen(*doc);
    else if (macro.compare(QLatin1String("Got_Focus"), Qt::CaseInsensitive) == 0) GotFocus(*doc);
    else if (macro.compare(QLatin1String("Lost_Focus"), Qt::CaseInsensitive) == 0) LostFocus(*doc);
    else if (macro.compare(kMarkSingleField, Qt::CaseInsensitive) == 0) MarkSingleField(*doc);
  });
}

engine::Document* OpenExerciseDocument(const QString& path, QString* error) {
  engine::Application* app = engine::Application::create(error);
  if (!app) return nullptr;
  engine::Document* doc = app->openDocument(path, false, error);
  if (doc && !IstUebungsdokument(*doc)) {
    if (error) *error = QStringLiteral("Die Datei ") + path + QStringLiteral(" ist keine interaktive Übung.");
    doc = nullptr;
  }
  if (!doc) {
    app->quit();
    return nullptr;
  }
  app->run(QStringLiteral("Document_Open"), doc);
  return doc;
}

}  // namespace qv
