#include "word/uebungsdoc.h"

#include <QFile>

#include "app/variablen.h"
#include "exercise/helpers.h"
#include "platform/docengine.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"

using namespace qv;

namespace qvtest {

TemplateFolder::TemplateFolder() {
  qputenv("QV_TEMPLATES_DIR", dir_.path().toUtf8());
  qunsetenv("QV_ENGINE_UNAVAILABLE");
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"), dir_.filePath(kTemplateName));
}

TemplateFolder::~TemplateFolder() { qunsetenv("QV_TEMPLATES_DIR"); }

engine::Document* makeExercise(const UebungVorgabe& vorgabe) {
  engine::Application* app = engine::Application::create();
  if (!app) return nullptr;
  engine::Document* doc = app->addDocument(kTemplateName);
  if (!doc) return nullptr;
  for (int i = doc->variableCount(); i >= 1; --i) doc->deleteVariable(i);

  // Plain text and the gap positions.
  QString plain;
  QList<std::pair<int, int>> spans;
  for (qsizetype i = 0; i < vorgabe.text.size(); ++i) {
    if (vorgabe.text[i] == QLatin1Char('[')) {
      const qsizetype close = vorgabe.text.indexOf(QLatin1Char(']'), i);
      const QString w = vorgabe.text.mid(i + 1, close - i - 1);
      spans.append({static_cast<int>(plain.size()), static_cast<int>(plain.size() + w.size())});
      plain += w;
      i = close;
    } else {
      plain += vorgabe.text[i];
    }
  }
  doc->setText(0, doc->length(), plain);

  QStringList rows, inhalt, grundform;
  for (int k = 1; k <= spans.size(); ++k) {
    const Gap& g = vorgabe.gaps.value(k - 1);
    QString alt = QStringLiteral("{AL}");
    if (!g.alternativen.isEmpty()) {
      alt = QString(QChar(0));
      for (const QString& a : g.alternativen) alt += a + QChar(0);
    }
    rows << QStringLiteral("%1;%2;%3;;%4;%5;{TP}")
                .arg(spans[k - 1].first + 1, 5, 10, QLatin1Char('0'))
                .arg(g.word, g.grundform, g.word, alt);
    inhalt << g.word;
    grundform << g.grundform;
  }
  SortStrings(inhalt);
  SortStrings(grundform);
  // Gaps from the last to the first, so earlier positions stay valid.
  for (int k = static_cast<int>(spans.size()); k >= 1; --k) {
    const auto [s, e] = spans[k - 1];
    const QString number = QString::number(k) + QLatin1Char(')');
    doc->insertBefore(e, number);
    doc->setBold(e, e + static_cast<int>(number.size()), true);
    doc->setSuperscript(e, e + static_cast<int>(number.size()), true);
    doc->addTextFormField(s, e, QStringLiteral("Gap_") + QString::number(k), QStringLiteral("Got_Focus"),
                          QStringLiteral("Lost_Focus"));
  }
  if (vorgabe.headerLine && !inhalt.isEmpty()) {
    doc->insertBefore(0, QStringLiteral("\r"));
    for (qsizetype i = inhalt.size() - 1; i >= 0; --i) {
      doc->addField(0, QStringLiteral("MACROBUTTON MarkSingleField ") + inhalt[i]);
      if (i > 0) doc->insertBefore(0, QStringLiteral(", "));
    }
    const int end = doc->text().indexOf(QLatin1Char('\r'));
    doc->addBookmark(QStringLiteral("Kopf"), 0, end);
    doc->setFontSize(0, end, 10);
  }

  gWordDoc = doc;
  gDetailZeilen = rows;
  gCaption = QStringLiteral("Ein Ausflug");
  gMappenPfad = QStringLiteral("/home/lehrer/ausflug.qbm");
  gTextTXT = plain;
  gUebungstyp = 101;
  gLueckenArt = 0;
  gWortliste = vorgabe.headerLine ? 1 : 4;
  WriteDocumentVariables(static_cast<int32_t>(spans.size()), inhalt, grundform, vorgabe.withDetails);
  gWordDoc = nullptr;
  if (vorgabe.protect) doc->protect(engine::kProtectionFormFields, true, ExercisePassword());
  return doc;
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
