#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "platform/produkt.h"

namespace qv {

namespace engine {
class Application;
class Document;
}  // namespace engine

// The program's link to the document engine: shared references, never
// owners. Dropping them neither closes a document nor quits the engine.
extern engine::Application* gWordApp;
extern engine::Document* gWordDoc;

// The key of scrambled document variables and the protection password.
QString ExercisePassword();

// Starts the engine with a fresh document from the template (start true), or
// drops the references (start false). True while an engine is running.
bool StartWord(bool start);
// Starts a bare engine (quit false) or closes the document and quits it.
bool StartOrQuitWord(bool quit);
void OpenMasterDocument(const QString& path);
void ClearDocument();
void SwitchOffProofing();

// The sixteen variables of an exercise document, on gWordDoc.
void WriteDocumentVariables(int32_t count, const std::optional<QStringList>& inhalt,
                            const std::optional<QStringList>& grundform, bool withDetails);
// Personalises gWordDoc for one pupil and saves it under target. Returns
// whether the copy was written (the reason in *error otherwise).
bool PersonaliseCopy(const QString& target, const QString& name, const QString& user, QString* error = nullptr);

// True when the document carries the product name in its variable "APP".
bool IstUebungsdokument(const engine::Document& doc);
// True when the engine opens the file as an exercise document made by this
// program (its variable "App" holds the product name). The student list's
// IsExerciseDocument asks this, around the wait pointer.
bool EngineRecognisesExercise(const QString& path);


// Hands the document-variable writer to the gap list builder.
void InstallDocumentVariablesWriter();

}  // namespace qv
