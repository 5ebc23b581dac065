// Speed of collecting a class's work (goal: 500 copies of a 1,500-gap
// exercise in under 5 s): the student list read, every copy read through
// the RTF reader and each of its gaps judged against the master's rows.
// BM_ReadCopyRtf gives the share of one copy's time that reading alone takes:
// /0 a whole read, as a document is opened, /1 the fields only, as the
// judging reads.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "platform/docengine.h"
#include "platform/formcontent.h"
#include "platform/textfile.h"
#include "students/ergebnisse.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"

namespace {

constexpr int kGaps = 1500;
constexpr int kPupils = 500;

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

// The master (a long text, one field per sentence, the exercise's
// variables) and one pupil's copy with every other gap answered through
// the exit macro, right and wrong in turn; the class list names 500 copies
// of it.
struct Klasse {
  QString master, liste, kopie;
};

Klasse makeClass() {
  QDir().mkpath(folder().filePath("Vorlagen"));
  qputenv("QV_TEMPLATES_DIR", folder().filePath("Vorlagen").toUtf8());
  qputenv("QV_PROGRAM_FOLDER", folder().path().toUtf8());
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"), folder().filePath("Vorlagen/" + qv::kTemplateName));
  const QStringList verbs = {"fuhren", "liefen", "schwammen", "aßen", "sahen", "riefen", "zählten", "fanden"};
  QString text;
  QList<std::pair<int, int>> gaps;
  QStringList words;
  for (int i = 0; i < kGaps; ++i) {
    if (i && i % 8 == 0) text += QChar('\r');
    text += QStringLiteral("Am Montagmorgen trafen sich alle Kinder der Klasse 4b schon um sieben Uhr vor der Schule. Dann ");
    const QString verb = verbs[i % verbs.size()];
    gaps.append({int(text.size()), int(text.size() + verb.size())});
    words << verb;
    text += verb + QStringLiteral(" sie über die Brücke zum Mühlsee, wo die Enten schon warteten. ");
  }
  qv::gTextTXT = text;
  qv::gDetailZeilen.clear();
  for (int i = 0; i < kGaps; ++i)
    qv::gDetailZeilen << QStringLiteral("%1;%2;;;%2;;{TP}").arg(gaps[i].first, 5, 10, QChar('0')).arg(words[i]);
  qv::StartWord(true);
  qv::engine::Document* doc = qv::gWordDoc;
  doc->insertBefore(0, text);
  for (int i = kGaps - 1; i >= 0; --i)
    doc->addTextFormField(gaps[i].first, gaps[i].second, QStringLiteral("Gap_%1").arg(i + 1), QStringLiteral("Got_Focus"),
                          QStringLiteral("Lost_Focus"));
  words.sort();
  qv::WriteDocumentVariables(kGaps, words, words, true);
  doc->protect(qv::engine::kProtectionFormFields, true, qv::ExercisePassword());
  Klasse k{folder().filePath("uebung.doc"), folder().filePath("klasse.txt"), folder().filePath("kopie.doc")};
  doc->saveAs(k.master);
  doc->setVariable(QStringLiteral("TEMPLATE"), QStringLiteral("0"));
  qv::InstallExerciseMacros();
  for (int i = 1; i <= doc->fieldCount(); ++i) {
    const int g = qv::GapNumber(doc->field(i)->form.name);
    if (g % 2) continue;
    doc->setFormFieldResult(doc->field(i)->form.name, g % 4 ? words.value(0) : verbs[(g - 1) % verbs.size()]);
    doc->selectField(i);
    qv::gWordApp->run(QStringLiteral("Lost_Focus"), doc);
  }
  doc->saveAs(k.kopie);
  qv::gWordApp->quit();
  qv::StartWord(false);
  QStringList lines;
  for (int i = 1; i <= kPupils; ++i) {
    const QString sub = folder().filePath(QStringLiteral("klasse/gruppe%1").arg((i - 1) / 50 + 1));
    QDir().mkpath(sub);
    const QString copy = QDir(sub).filePath(QStringLiteral("%1_Kind_%1.doc").arg(i, 3, 10, QChar('0')));
    QFile::copy(k.kopie, copy);
    lines << QStringLiteral("Müller, Kind %1;%2;%3;").arg(i).arg(sub, copy);
  }
  qv::textfile::writeLines(k.liste, lines);
  return k;
}

const Klasse& klasse() {
  static const Klasse k = makeClass();
  return k;
}

void BM_CollectClassResults(benchmark::State& state) {
  const Klasse& k = klasse();
  const auto vorlage = qv::LeseVorlage(k.master);
  int gezaehlt = 0;
  for (auto _ : state) {
    const qv::ErgebnisUebersicht e = qv::WerteAus(*vorlage, *qv::EinsendungenAusListe(k.liste));
    gezaehlt = e.gezaehlt();
    benchmark::DoNotOptimize(e.jeLuecke.size());
  }
  if (gezaehlt != kPupils) state.SkipWithError("not every copy was judged");
  state.counters["gaps"] = kGaps;
  state.counters["pupils"] = kPupils;
  state.counters["copy_KB"] = QFileInfo(k.kopie).size() / 1024.0;
}
BENCHMARK(BM_CollectClassResults)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ReadCopyRtf(benchmark::State& state) {
  const QByteArray bytes = *qv::textfile::readBytes(klasse().kopie);
  for (auto _ : state) {
    if (state.range(0)) {
      benchmark::DoNotOptimize(qv::form::ReadRtf(bytes).content.has_value());
      continue;
    }
    qv::RichDocument d;
    benchmark::DoNotOptimize(d.readRtf(bytes));
  }
}
BENCHMARK(BM_ReadCopyRtf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

}  // namespace
