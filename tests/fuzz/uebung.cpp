// Opening an exercise document: variables, fields and the saved state of a
// pupil; every field entered and left, the state saved and read again.

#include "fuzz.h"
#include "platform/docengine.h"
#include "word/uebungsmakros.h"

int fuzzOne(const uint8_t* data, size_t size) {
  using qvfuzz::expect;
  [[maybe_unused]] static const bool installed = (qv::InstallExerciseMacros(), true);
  const QString path = qvfuzz::scratch(QStringLiteral("uebung.doc"), qvfuzz::bytes(data, size));
  qv::engine::Document* doc = qv::OpenExerciseDocument(path);
  if (!doc) return 0;
  expect(qv::RichtigeLuecken(*doc) <= doc->formFieldCount(), "no more right gaps than fields");
  const int rows = static_cast<int>(qv::LueckenZeilen(*doc).size());
  qv::KopfWoerter(*doc);
  for (int k = 0; k <= rows + 1; ++k) qv::Rueckmeldung(*doc, k);
  for (int i = 1; i <= std::min(doc->fieldCount(), 64); ++i) {
    doc->selectField(i);
    for (const char* macro : {"Got_Focus", "Lost_Focus", "MarkSingleField"}) doc->application()->run(macro, doc);
  }
  const qv::UebungsStand stand = qv::UebungsStand::lesen(*doc);
  const int right = qv::RichtigeLuecken(*doc);
  expect(right <= doc->formFieldCount(), "no more right gaps than fields after judging");
  const QString saved = qvfuzz::scratchFolder() + QStringLiteral("/gespeichert.doc");
  const bool ok = doc->saveAs(saved);
  doc->application()->quit();
  if (!ok) return 0;
  doc = qv::OpenExerciseDocument(saved);
  expect(doc, "saved exercise opens again");
  expect(qv::UebungsStand::lesen(*doc) == stand && qv::RichtigeLuecken(*doc) == right, "state survives saving");
  doc->application()->quit();
  return 0;
}
