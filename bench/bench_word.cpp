// Speed of the document engine: an exercise document from the template
// with its variables, and pupil copies.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "platform/docengine.h"
#include "platform/rtf_codec.h"
#include "word/modword.h"
#include "word/wordexercise.h"
#include "workbook/workbook.h"

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

// The whole form build of a worksheet with 1,500 gaps over the 60,000-word
// text of the large workbook: text, fields, header line, protection.
// Sets up worksheet `sheet` of the large workbook with output form `form`;
// false when the workbook cannot be read.
bool prepareLargeWorksheet(benchmark::State& state, int sheet, int form) {
  prepare();
  static const qv::MappenInhalt m = qv::LeseMappe(QStringLiteral(QV_FIXTURES_DIR "/grosse-mappe.qbm"));
  if (m.arbeitsblaetter.size() < 40) {
    state.SkipWithError("grosse-mappe.qbm nicht lesbar");
    return false;
  }
  const qv::ArbeitsblattEintrag& e = m.arbeitsblaetter[sheet];
  qv::gTextTXT = m.textTXT;
  qv::gTextRTF = m.textRTF;
  qv::gUebungstyp = e.Uebungstyp;
  qv::gDetails = e.Details;
  qv::gArbeitsblattRTF = e.ArbeitsblattRTF;
  qv::gWortliste = static_cast<int16_t>(form);
  qv::gFormatDoc = true;
  qv::InstallDocumentVariablesWriter();
  return true;
}

void quitEngines() {
  while (qv::engine::Application::runningCount() > 0) qv::engine::Application::running().front()->quit();
}

void BM_WordExercise1500Gaps(benchmark::State& state) {
  if (!prepareLargeWorksheet(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)))) return;
  for (auto _ : state) {
    qv::CreateWordExercise(qv::gUebungstyp, 1);
    state.PauseTiming();
    quitEngines();
    state.ResumeTiming();
  }
  state.SetLabel(QStringLiteral("Typ %1, Form %2, %3 Lücken")
                     .arg(qv::gUebungstyp).arg(state.range(1)).arg(qv::gLuecken.size()).toStdString());
}

// The reference of the form build: writing the finished document as RTF
// (the build may take at most ten times as long).
void BM_WordExercise1500GapsRtf(benchmark::State& state) {
  if (!prepareLargeWorksheet(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)))) return;
  qv::CreateWordExercise(qv::gUebungstyp, 1);
  const qv::RichDocument& doc = qv::engine::Application::running().front()->activeDocument()->data();
  // The writer itself, without the body kept by RichDocument::toRtf().
  const int last = doc.body()->characterCount() - 1;
  qint64 bytes = 0;
  for (auto _ : state) bytes = qv::rtf::codec::write(*doc.body(), 0, last, &doc).size();
  quitEngines();
  state.counters["rtf_KB"] = bytes / 1024.0;
}

// Worksheets 1 (type 101, header line of words), 4 (type 301) and 6 (type 105).
void largeWorksheets(benchmark::internal::Benchmark* b) {
  b->Args({0, 1})->Args({0, 4})->Args({3, 4})->Args({5, 3})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_WordExercise1500Gaps)->Apply(largeWorksheets)->Iterations(3);
BENCHMARK(BM_WordExercise1500GapsRtf)->Apply(largeWorksheets)->Iterations(10);

}  // namespace
