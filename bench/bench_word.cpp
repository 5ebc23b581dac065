// Speed of the document engine: an exercise document from the template
// with its variables, and pupil copies.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "platform/docengine.h"
#include "word/modword.h"

namespace {

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

void prepare() {
  static bool done = false;
  if (done) return;
  done = true;
  QDir().mkpath(folder().filePath("Vorlagen"));
  qputenv("QV_TEMPLATES_DIR", folder().filePath("Vorlagen").toUtf8());
  qputenv("QV_PROGRAM_FOLDER", folder().path().toUtf8());
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"),
              folder().filePath("Vorlagen/Quillbee_Interaktiv_V2.dot"));
  qv::gTextTXT = QStringLiteral("Unsere Klassenfahrt an den Mühlsee. ").repeated(40);
  for (int i = 1; i <= 30; ++i)
    qv::gDetailZeilen << QStringLiteral("%1;Wort%2;Grund%2;;Wort%2;{AL};{TP}").arg(i * 10, 5, 10, QChar('0')).arg(i);
}

void BM_NewExerciseDocument(benchmark::State& state) {
  prepare();
  const QString path = folder().filePath("uebung.doc");
  QStringList words;
  for (int i = 0; i < 30; ++i) words << QStringLiteral("Wort%1").arg(i);
  for (auto _ : state) {
    qv::StartWord(true);
    qv::WriteDocumentVariables(30, words, words, true);
    qv::gWordDoc->saveAs(path);
    qv::gWordApp->quit();
    qv::StartWord(false);
  }
}
BENCHMARK(BM_NewExerciseDocument)->Unit(benchmark::kMillisecond);

void BM_ThousandPupilCopies(benchmark::State& state) {
  prepare();
  const QString master = folder().filePath("master.doc");
  qv::StartWord(true);
  qv::WriteDocumentVariables(0, std::nullopt, std::nullopt, true);
  qv::gWordDoc->saveAs(master);
  qv::gWordApp->quit();
  QDir().mkpath(folder().filePath("klasse"));
  for (auto _ : state) {
    qv::StartOrQuitWord(false);
    qv::OpenMasterDocument(master);
    for (int i = 0; i < 1000; ++i)
      qv::PersonaliseCopy(folder().filePath(QStringLiteral("klasse/%1_Schueler.doc").arg(i, 4, 10, QChar('0'))),
                          QStringLiteral("Schüler %1").arg(i), QStringLiteral("s%1").arg(i));
    qv::StartOrQuitWord(true);
  }
}
BENCHMARK(BM_ThousandPupilCopies)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
