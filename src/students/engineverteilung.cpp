// The document engine as the distribution's engine: wired where the
// program starts, so that the engine's callers need not know the students.
#include "platform/docengine.h"
#include "students/schueler.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"

namespace qv {

namespace {

// One engine instance per distribution run, on the shared references.
class EngineDistribution final : public DistributionEngine {
 public:
  bool start() override { return StartOrQuitWord(false); }
  bool openMaster(const QString& path) override {
    gWordDoc = nullptr;
    OpenMasterDocument(path);
    return gWordDoc != nullptr;
  }
  bool personaliseCopy(const QString& target, const QString& name, const QString& user, QString* error) override {
    return PersonaliseCopy(target, name, user, error);
  }
  void quit() override { StartOrQuitWord(true); }
  bool masterHasAnswers() override { return gWordDoc && HatAntworten(*gWordDoc); }
  void emptyAnswers() override {
    if (gWordDoc) LeereAntworten(*gWordDoc);
  }
};

}  // namespace

void InstallDistributionEngine() {
  static EngineDistribution engine;
  setDistributionEngine(&engine);
  setExerciseRecognizer(&EngineRecognisesExercise);
}

}  // namespace qv
