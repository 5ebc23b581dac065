#include "exercise/gaplist.h"

#include "app/variablen.h"
#include "exercise/helpers.h"
#include "exercise/uebungstyp.h"
#include "platform/richeditor.h"
#include "platform/ui.h"

namespace qv {
namespace {

DocumentVariablesWriter& documentVariablesWriter() {
  static DocumentVariablesWriter writer;
  return writer;
}

void collapseUnderscores(QString& row) {
  while (row.contains(QStringLiteral("_ _"))) row.replace(QStringLiteral("_ _"), QStringLiteral("_"));
  while (row.contains(QStringLiteral("__"))) row.replace(QStringLiteral("__"), QStringLiteral("_"));
}

}  // namespace

void setDocumentVariablesWriter(DocumentVariablesWriter writer) { documentVariablesWriter() = std::move(writer); }

GapList BuildGapRows(int typ, const QString& details, const std::function<int()>& gapKind) {
  using uebungstyp::Loesung;
  const Loesung art = uebungstyp::loesung(typ);
  GapList out;
  const QStringList rows = details.split(QStringLiteral("\r\n"));

  for (QString row : rows) {
    if (uebungstyp::zeilenMitMuster(typ)) collapseUnderscores(row);
    const qsizetype p = row.indexOf(QLatin1Char(';')) + 1;  // 1-based, 0 = none
    if (6 - p < 0) {
      // A start field of more than five digits: the run fails as a whole.
      out = GapList{};
      out.failed = out.zuWeit = true;
      return out;
    }
    row.prepend(QString(6 - p, QLatin1Char('0')));
    if (!row.contains(QLatin1Char(';'))) continue;
    if (uebungstyp::nurEinUnterstrich(typ) && row.count(QLatin1Char('_')) > 1) {
      ++out.skipped;
      continue;
    }
    out.zeilen << row;
  }
  if (out.zeilen.isEmpty()) {
    out = GapList{};
    out.failed = true;
    return out;
  }

  SortStrings(out.zeilen);
  if (art == Loesung::Haelfte) out.lueckenArt = gapKind ? gapKind() : 0;

  const qsizetype k = out.zeilen.size();
  out.arrInhalt.reserve(k);
  out.arrGrundform.reserve(k);
  out.luecken.reserve(k);
  for (qsizetype i = 0; i < k; ++i) {
    QString& row = out.zeilen[i];
    QStringList f = row.split(QLatin1Char(';'));
    const QString w = f.value(1);
    const qsizetype len = w.size();
    if (art == Loesung::Haelfte) {
      if (out.lueckenArt == 1) {
        const qsizetype na = len / 2 + len % 2;
        row += QLatin1Char('_') + w.mid(na) + QLatin1Char(';') + w.left(na);
      } else if (out.lueckenArt == 2) {
        row += w.left(1) + QLatin1Char('_') + (len > 1 ? w.right(1) : QString()) + QLatin1Char(';') +
               w.mid(1, std::max<qsizetype>(0, len - 2));
      } else {
        const qsizetype na = len / 2;
        row += w.left(na) + QStringLiteral("_;") + w.mid(na);
      }
    } else if (art == Loesung::Wortende) {
      const QString v = QString(f.value(3)).remove(QLatin1Char('_'));
      // A given beginning as long as the word (or longer) leaves nothing to fill.
      row += QLatin1Char(';') + (v.size() >= len ? QString() : w.right(len - v.size()));
    } else if (art == Loesung::Unterstrich) {
      row += QLatin1Char(';') + GapPartOfWord(w, f.value(3));
    } else {
      row += QLatin1Char(';') + w;
    }
    row += QStringLiteral(";{AL};{TP}");
    f = row.split(QLatin1Char(';'));

    if (art == Loesung::Haelfte) {
      out.arrInhalt << f.value(4);
      out.arrGrundform << QString();
    } else {
      out.arrInhalt << f.value(1);
      out.arrGrundform << f.value(2);
    }

    clsToken t;
    t.setAnfang(f.value(0).toInt());
    t.setInhalt(f.value(1));
    t.setGrundform(f.value(2));
    t.setBemerkung(f.value(3));
    t.setLoesung(f.value(4));
    out.luecken << t;
  }
  SortStrings(out.arrInhalt);
  SortStrings(out.arrGrundform);
  return out;
}

std::optional<QString> LueckeAusserhalbDesTextes(int typ, const QString& details, const QString& text) {
  const GapList list = BuildGapRows(typ, details, {});
  for (qsizetype i = 0; i < list.luecken.size(); ++i) {
    const clsToken& t = list.luecken[i];
    if (text.mid(t.Anfang() - 1, t.Inhalt().size()) == t.Inhalt()) continue;
    return QStringLiteral("Das Arbeitsblatt passt nicht zum Text der Mappe: an Stelle %1 steht nicht das Wort "
                          "\u201E%2\u201C der %3. Lücke.\r\nEs wird keine Übung erstellt.")
        .arg(t.Anfang())
        .arg(t.Inhalt())
        .arg(i + 1);
  }
  return std::nullopt;
}

bool LueckenPassenZumText() {
  const auto meldung = LueckeAusserhalbDesTextes(gUebungstyp, gDetails, gTextTXT);
  if (meldung) showMessage(*meldung, Icon::Exclamation, Buttons::Ok, kProductName);
  return !meldung;
}

int32_t BuildGapList(bool forHtml, bool& withDetails) {
  gLuecken.clear();
  GapList list = BuildGapRows(gUebungstyp, gDetails, [] { return GapKindFromText(); });
  gDetailZeilen = list.zeilen;
  if (uebungstyp::loesung(gUebungstyp) == uebungstyp::Loesung::Haelfte && !list.failed) gLueckenArt = static_cast<int16_t>(list.lueckenArt);
  if (list.zuWeit)
    showMessage(QStringLiteral("Das Arbeitsblatt hat Lücken hinter dem 99999. Zeichen des Textes. So weit hinten "
                               "kann keine Lücke stehen; die Lücken dieses Arbeitsblatts werden nicht verwendet."),
                Icon::Exclamation, Buttons::Ok, kProductName);
  if (list.failed) return 0;

  gLuecken = list.luecken;
  if (list.skipped > 0) {
    showMessage(QString::number(list.skipped) +
                    QStringLiteral(" Wort/Wörter kann/können nicht in die Übung aufgenommen werden, ") +
                    QStringLiteral("\r\n") + QStringLiteral("da diese(s) mehr als 1 Lücke hat/haben!"),
                Icon::Information, Buttons::Ok, kProductName);
  }
  if (uebungstyp::fragtAlternativen(gUebungstyp) && gFormatDoc && !forHtml) AskAlternatives(gDetailZeilen);

  const int32_t count = static_cast<int32_t>(gLuecken.size());
  if (!forHtml && documentVariablesWriter())
    documentVariablesWriter()(count, list.arrInhalt, list.arrGrundform, withDetails);
  return count;
}

QString NormaliseAlternatives(const QString& answer) {
  const QChar nul(u'\0');
  QString a = answer;
  a.replace(QStringLiteral("  "), QStringLiteral(" "));
  a.replace(QLatin1Char(','), QLatin1Char(';'));
  a.replace(QStringLiteral("; "), QString(nul));
  a.replace(QStringLiteral(" ;"), QString(nul));
  a.replace(QLatin1Char(';'), nul);
  return nul + a + nul;
}

void AskAlternatives(QStringList& zeilen) {
  if (showMessage(QStringLiteral("Sollen auch alternative Lösungen definiert werden?"), Icon::Question,
                  Buttons::YesNo, kProductName, 1, true) != Answer::Yes)
    return;
  RichEditor& editor = txtText();
  editor.setSelStart(0);
  for (qsizetype i = 0; i < zeilen.size(); ++i) {
    const int k = static_cast<int>(i + 1);
    const QStringList f = zeilen[i].split(QLatin1Char(';'));
    // Brings the numbered gap of the worksheet into view while the teacher answers.
    editor.find(QString::number(k), editor.selStart(), 16);
    InputBoxRequest r;
    r.title = QStringLiteral("Alternativlösungen für das ") + QString::number(k) + QStringLiteral(". Wort ");
    r.preset = f.value(1);
    r.prompt =
        QStringLiteral("Bei Wörtern, für die es keine Alternative gibt, einfach den Defaultwert stehen lassen und "
                       "auf 'OK' klicken.") +
        QStringLiteral("\r\n") +
        QStringLiteral("Wenn es für ein Wort mehrere Alternativen gibt kann ein Semikolon (;) oder Komma zur "
                       "Trennung verwendet werden. ") +
        QStringLiteral("Es sind dabei beliebig viele Alternativlösungen für jedes Wort zulässig.") +
        QStringLiteral("\r\n\r\n\r\n") + QStringLiteral("Bitte die Alternativen für '") + f.value(1) +
        QStringLiteral("' eingeben.");
    const std::optional<QString> answer = ui().inputBox(r);
    if (!answer) {
      // "Abbrechen" ends the round: the gaps answered so far keep their
      // alternatives, this one and the rest get none.
      for (qsizetype j = i; j < zeilen.size(); ++j) zeilen[j].replace(QStringLiteral(";{AL}"), QStringLiteral(";"));
      break;
    }
    if (answer->isEmpty()) {
      zeilen[i].replace(QStringLiteral(";{AL}"), QStringLiteral(";"));
      continue;
    }
    zeilen[i].replace(QStringLiteral(";{AL}"), QLatin1Char(';') + NormaliseAlternatives(*answer));
  }
  editor.setSelStart(0);
  editor.setSelLength(0);
}

}  // namespace qv
