#include "word/modword.h"

#include <algorithm>

#include "app/variablen.h"
#include "exercise/gaplist.h"
#include "exercise/helpers.h"
#include "platform/docengine.h"
#include "platform/filehelper.h"
#include "platform/tools.h"
#include "platform/ui.h"
#include "version.h"

namespace qv {

namespace {
// The second line of the missing-template notice: how the teacher gets the
// template into the user-templates folder.
const QString kTemplateInstallHint = QStringLiteral(
    "Sie wird mit quillbee-vodedarivo-install eingerichtet (im Menü: \u201EQuillbee-Vodedarivo-Vorlage "
    "einrichten\u201C).");
}  // namespace

engine::Application* gWordApp = nullptr;
engine::Document* gWordDoc = nullptr;

QString ExercisePassword() {
  QString key = QStringLiteral("Lernfelder1997");
  std::reverse(key.begin(), key.end());
  return key;
}

bool StartWord(bool start) {
  gWordDoc = nullptr;
  gWordApp = nullptr;
  if (!start) return false;

  QString error;
  gWordApp = engine::Application::create(&error);
  if (!error.isEmpty()) WriteLog(QStringLiteral("Start Word: ") + error);
  if (!gWordApp) {
    showMessage(QStringLiteral("Word konnte nicht gestartet werden"), Icon::Exclamation, Buttons::Ok, kProductName);
    return false;
  }

  const QString templatePath = files::JoinPath(gWordApp->userTemplatesPath(), kTemplateName);
  if (!files::FileExists(templatePath))
    showMessage(QStringLiteral("Die Wordvorlage ") + kTemplateName + QStringLiteral(" wurde nicht gefunden!") +
                    QStringLiteral("\r\n") + kTemplateInstallHint,
                Icon::Exclamation, Buttons::Ok, QStringLiteral("Quillbee"), 0, true);

  error.clear();
  gWordDoc = gWordApp->addDocument(kTemplateName, &error);
  if (!error.isEmpty()) WriteLog(QStringLiteral("Load Template: ") + error);
  if (!gWordDoc) {
    showMessage(QStringLiteral("Die Wordvorlage '") + kTemplateName + QStringLiteral("' konnte nicht geöffnet werden"),
                Icon::Exclamation, Buttons::Ok, kProductName);
  } else {
    for (int i = gWordDoc->variableCount(); i >= 1; --i)
      if (!gWordDoc->deleteVariable(i)) WriteLog(QStringLiteral("Delvar: ") + gWordDoc->variableName(i));
  }
  return gWordApp != nullptr;
}

bool StartOrQuitWord(bool quit) {
  if (quit) {
    if (gWordDoc) gWordDoc->close();
    gWordDoc = nullptr;
    if (gWordApp) gWordApp->quit();
    gWordApp = nullptr;
    return false;
  }
  gWordApp = engine::Application::create();
  return gWordApp != nullptr;
}

void OpenMasterDocument(const QString& path) {
  if (!gWordApp) return;
  if (engine::Document* d = gWordApp->openDocument(path, true)) gWordDoc = d;
}

void ClearDocument() {
  if (!gWordDoc) return;
  for (int i = gWordDoc->variableCount(); i >= 1; --i) gWordDoc->deleteVariable(i);
  for (int i = gWordDoc->formFieldCount(); i >= 1; --i) gWordDoc->deleteFormField(i);
  for (int i = gWordDoc->bookmarkCount(); i >= 1; --i) gWordDoc->deleteBookmark(i);
  for (int i = gWordDoc->fieldCount(); i >= 1; --i) gWordDoc->deleteField(i);
}

void SwitchOffProofing() {
  if (gWordDoc) gWordDoc->setNoProofing(0, gWordDoc->length());
}

void WriteDocumentVariables(int32_t count, const std::optional<QStringList>& inhalt,
                            const std::optional<QStringList>& grundform, bool withDetails) {
  if (!gWordDoc) return;
  const QString key = ExercisePassword();
  engine::Document& d = *gWordDoc;
  d.addVariable(QStringLiteral("APP"), kProductName + QString::fromLatin1(kVersionText));
  d.addVariable(QStringLiteral("GUID"), NewGuidString());
  d.addVariable(QStringLiteral("CAPTION"), gCaption);
  d.addVariable(QStringLiteral("ORIGINAL"), gMappenPfad);
  d.addVariable(QStringLiteral("LSTDET"),
                withDetails ? XorWithKey(gDetailZeilen.join(QStringLiteral("\r\n")), key) : QString());
  d.addVariable(QStringLiteral("TXT"), gTextTXT);
  d.addVariable(QStringLiteral("WSTYP"), QString::number(gUebungstyp));
  d.addVariable(QStringLiteral("AUSART"), QString::number(gLueckenArt));
  d.addVariable(QStringLiteral("INTDIFF"), QString::number(gWortliste));
  d.addVariable(QStringLiteral("REATYP"), QString::number(gReaTyp));
  d.addVariable(QStringLiteral("COUNT"), QString::number(count));
  d.addVariable(QStringLiteral("LSTIH"), XorWithKey(JoinList(inhalt), key));
  d.addVariable(QStringLiteral("LSTGF"), XorWithKey(JoinList(grundform), key));
  d.addVariable(QStringLiteral("OUSER"));
  d.addVariable(QStringLiteral("SUSER"), QStringLiteral("?"));
  d.addVariable(QStringLiteral("TEMPLATE"), QStringLiteral("1"));
}

bool PersonaliseCopy(const QString& target, const QString& name, const QString& user, QString* error) {
  if (!gWordDoc) {
    if (error) *error = QStringLiteral("Kein Dokument geöffnet");
    return false;
  }
  engine::Document& d = *gWordDoc;
  const QString pw = ExercisePassword();
  if (d.protectionType() != engine::kProtectionNone) d.unprotect(pw);
  d.setAuthor(name);
  d.setFirstPageHeaderCell(1, 2, name);
  d.setVariable(QStringLiteral("SUSER"), user.isEmpty() ? QStringLiteral("?") : user);
  d.setVariable(QStringLiteral("TEMPLATE"), QStringLiteral("0"));
  if (d.protectionType() != engine::kProtectionFormFields) d.protect(engine::kProtectionFormFields, true, pw);
  return d.saveAs(target, error);
}

bool IstUebungsdokument(const engine::Document& doc) {
  return doc.variableValue(QStringLiteral("App")).value_or(QString()).contains(kProductName);
}

bool EngineRecognisesExercise(const QString& path) {
  bool result = false;
  if (engine::Application* app = engine::Application::create()) {
    if (engine::Document* doc = app->openDocument(path, true)) result = IstUebungsdokument(*doc);
    app->quit();
  }
  return result;
}

void InstallDocumentVariablesWriter() { setDocumentVariablesWriter(&WriteDocumentVariables); }

}  // namespace qv
