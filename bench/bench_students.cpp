// Speed of handing out one exercise to a class (goal: an exercise of 1,500
// gaps to 500 pupils in under 10 s): the whole distribution run of the
// student list through the real document engine, every copy personalised,
// protected and written to the pupil's folder.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "platform/docengine.h"
#include "students/schueler.h"
#include "word/modword.h"

namespace {

constexpr int kGaps = 1500;
constexpr int kPupils = 500;

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

// A master exercise from the template: a long text (about 40 words per gap)
// with one text form field per sentence, the exercise's variables, protected.
QString makeMaster() {
  QDir().mkpath(folder().filePath("Vorlagen"));
  qputenv("QV_TEMPLATES_DIR", folder().filePath("Vorlagen").toUtf8());
  qputenv("QV_PROGRAM_FOLDER", folder().path().toUtf8());
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"),
              folder().filePath("Vorlagen/" + qv::kTemplateName));
  // QV_BENCH_MASTER names a master kept from an earlier run, so that a
  // memory profile of the distribution sees nothing of building it.
  const QString kept = qEnvironmentVariable("QV_BENCH_MASTER");
  if (!kept.isEmpty() && QFileInfo::exists(kept)) return kept;
  const QStringList verbs = {"fuhren", "liefen", "schwammen", "aßen", "sahen", "riefen", "zählten", "fanden"};
  QString text;
  QList<std::pair<int, int>> gaps;
  QStringList words;
  for (int i = 0; i < kGaps; ++i) {
    if (i && i % 8 == 0) text += QChar('\r');
    text += QStringLiteral("Am Montagmorgen trafen sich alle Kinder der Klasse 4b schon um sieben Uhr vor der Schule, "
                           "und Frau Köhler zählte zweimal nach. Dann ");
    const QString verb = verbs[i % verbs.size()];
    gaps.append({int(text.size()), int(text.size() + verb.size())});
    words << verb;
    text += verb + QStringLiteral(" sie über die Brücke zum Mühlsee, wo die Enten schon auf das Brot warteten, "
                                  "das sie mitgebracht hatten. ");
  }
  qv::gTextTXT = text;
  qv::gCaption = QStringLiteral("Verben in der Vergangenheit");
  qv::gDetailZeilen.clear();
  for (int i = 0; i < kGaps; ++i)
    qv::gDetailZeilen << QStringLiteral("%1;%2;;;%2;;{TP}").arg(gaps[i].first, 5, 10, QChar('0')).arg(words[i]);

  qv::StartWord(true);
  qv::engine::Document* doc = qv::gWordDoc;
  doc->insertBefore(0, text);
  for (int i = kGaps - 1; i >= 0; --i)  // from the back, so positions stay valid
    doc->addTextFormField(gaps[i].first, gaps[i].second, QStringLiteral("Gap_%1").arg(i + 1),
                          QStringLiteral("Got_Focus"), QStringLiteral("Lost_Focus"));
  words.sort();
  qv::WriteDocumentVariables(kGaps, words, words, true);
  doc->protect(qv::engine::kProtectionFormFields, true, qv::ExercisePassword());
  const QString master = kept.isEmpty() ? folder().filePath("uebung.doc") : kept;
  doc->saveAs(master);
  qv::gWordApp->quit();
  qv::StartWord(false);
  // The distribution reads no worksheet: its memory is measured without one.
  qv::gTextTXT.clear();
  qv::gDetailZeilen.clear();
  return master;
}

const QString& masterFile() {
  static const QString master = makeMaster();
  return master;
}

// A class of 500 pupils, ten folders of 50, file names built.
void makeClass(qv::SchuelerListe& l, const QString& master) {
  for (int i = 1; i <= kPupils; ++i) {
    const QString sub = folder().filePath(QStringLiteral("klasse/gruppe%1").arg((i - 1) / 50 + 1));
    QDir().mkpath(sub);
    qv::SchuelerZeile z;
    z.ID = QStringLiteral("%1").arg(i, 3, 10, QChar('0'));
    z.Name = QStringLiteral("Müller, Kind %1").arg(i);
    z.Verzeichnis = sub;
    z.Rechnername = i % 2 ? QStringLiteral("kind%1").arg(i) : QString();
    z.key = z.Name;
    l.rows.append(z);
  }
  l.sortRows();
  l.ErzeugeDateinamen();
  l.txtQuelle = master;
  qv::gQuelle = master;
}

void BM_DistributeExerciseToClass(benchmark::State& state) {
  const QString& master = masterFile();
  qv::InstallDistributionEngine();
  qv::SchuelerListe l;
  makeClass(l, master);
  const qint64 masterSize = QFileInfo(master).size();
  int written = 0;
  qint64 ns = 0;
  QElapsedTimer t;
  for (auto _ : state) {
    // Every run writes new copies: the silent answer to the overwrite
    // question keeps an existing one.
    for (const auto& z : l.rows) QFile::remove(z.Dateiname);
    t.start();
    const qv::SchuelerListe::Ergebnis e = l.DupliziereUebungen();
    ns += t.nsecsElapsed();
    written = e.geschrieben;
  }
  if (written != kPupils) state.SkipWithError("not every copy was written");
  state.counters["gaps"] = kGaps;
  state.counters["pupils"] = kPupils;
  state.counters["master_KB"] = masterSize / 1024.0;
  state.counters["ms_per_copy"] = ns / 1e6 / double(state.iterations()) / kPupils;
}
BENCHMARK(BM_DistributeExerciseToClass)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The reference of the distribution: the master copied once per pupil with
// QFile::copy into the same folders (the distribution may take at most
// twice as long).
void BM_CopyMasterToClass(benchmark::State& state) {
  const QString& master = masterFile();
  qv::SchuelerListe l;
  makeClass(l, master);
  for (auto _ : state)
    for (const qv::SchuelerZeile& z : l.rows) {
      const QString target = z.Dateiname + QStringLiteral(".kopie");
      QFile::remove(target);
      if (!QFile::copy(master, target)) state.SkipWithError("copy failed");
    }
}
BENCHMARK(BM_CopyMasterToClass)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
