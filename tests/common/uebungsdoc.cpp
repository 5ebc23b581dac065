#include "common/uebungsdoc.h"

#include <QTextDocument>

#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "exercise/uebungstyp.h"
#include "platform/docengine.h"
#include "platform/rtf.h"
#include "platform/tools.h"
#include "word/exercisewindow.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"
#include "word/wordexercise.h"
#include "workbook/workbook.h"

using namespace qv;

namespace qvtest {

UebungVorgabe langeVorgabe() {
  const UebungVorgabe kurz;
  UebungVorgabe lang;
  lang.text.clear();
  lang.gaps.clear();
  for (int i = 0; i < 80; ++i) {
    lang.text += kurz.text + QLatin1Char(i % 8 == 7 ? '\n' : ' ');
    lang.gaps += kurz.gaps;
  }
  return lang;
}

engine::Document* makeExercise(const UebungVorgabe& vorgabe) {
  // Plain text and the gap rows of a worksheet.
  QString plain;
  QStringList details;
  for (qsizetype i = 0; i < vorgabe.text.size(); ++i) {
    if (vorgabe.text[i] == QLatin1Char('[')) {
      const qsizetype close = vorgabe.text.indexOf(QLatin1Char(']'), i);
      const Gap& g = vorgabe.gaps.value(details.size());
      details << QStringLiteral("%1;%2;%3;").arg(plain.size() + 1).arg(g.word, g.grundform);
      plain += vorgabe.text.mid(i + 1, close - i - 1);
      i = close;
    } else {
      plain += vorgabe.text[i];
    }
  }
  QTextDocument text;
  text.setPlainText(plain);
  gTextTXT = plain;
  gTextRTF = QByteArray(kStoredRichTextHeader, '\0') + rtf::write(text);
  gArbeitsblattRTF.clear();
  gDetails = details.join(QStringLiteral("\r\n"));
  gCaption = QStringLiteral("Ein Ausflug");
  gMappenPfad = QStringLiteral("/home/lehrer/ausflug.qbm");
  gUebungstyp = 101;
  gWortliste = static_cast<int16_t>(vorgabe.wortliste ? vorgabe.wortliste : vorgabe.headerLine ? 1 : 4);
  gFormatDoc = true;

  // The builder asks for the alternatives gap by gap; its questions are
  // answered here and kept away from the test's own dialogs.
  ScriptedInteraction dialogs;
  dialogs.answerMessage(Answer::Yes);
  for (const Gap& g : vorgabe.gaps) dialogs.answerInput(g.alternativen.join(QLatin1Char(';')));
  InstallDocumentVariablesWriter();
  CreateWordExercise(gUebungstyp, vorgabe.withDetails ? 1 : 4);

  if (engine::Application::runningCount() == 0) return nullptr;
  return engine::Application::running().back()->activeDocument();
}

engine::Document* buildFromWorkbook(const QString& mappe, int nummer, int wortliste, int menuIndex) {
  const MappenInhalt m = LeseMappe(mappe);
  if (nummer < 1 || nummer > m.arbeitsblaetter.size()) return nullptr;
  UebernimmMappe(mappe, m);
  SetCurrentWorksheet(m.arbeitsblaetter[nummer - 1]);
  if (uebungstyp::loesung(gUebungstyp) == uebungstyp::Loesung::Haelfte) LoadRichText(txtText(), gArbeitsblattRTF);
  gWortliste = static_cast<int16_t>(wortliste);
  gFormatDoc = true;
  // The builder's questions get their defaults, away from the test's own dialogs.
  ScriptedInteraction dialogs;
  engine::Document* built = nullptr;
  InstallDocumentVariablesWriter();
  InstallExerciseMacros();
  setExerciseWindowOpener([&built](engine::Document* d) { built = d; });
  CreateWordExercise(gUebungstyp, static_cast<int16_t>(menuIndex));
  setExerciseWindowOpener({});
  return built;
}

int fieldIndex(const engine::Document& doc, const QString& name) {
  for (int i = 1; i <= doc.fieldCount(); ++i)
    if (doc.field(i)->kind == FieldKind::FormText && doc.field(i)->form.name == name) return i;
  return 0;
}

QString answer(engine::Document& doc, int k, const QString& text) {
  const QString name = QStringLiteral("Gap_") + QString::number(k);
  doc.selectField(fieldIndex(doc, name));
  doc.application()->run(QStringLiteral("Got_Focus"), &doc);
  doc.setFormFieldResult(name, text);
  doc.application()->run(QStringLiteral("Lost_Focus"), &doc);
  doc.selectField(0);
  return Rueckmeldung(doc, k);
}

void quitEngines() {
  while (engine::Application::runningCount() > 0) engine::Application::running().front()->quit();
  gWordApp = nullptr;
  gWordDoc = nullptr;
}

}  // namespace qvtest
