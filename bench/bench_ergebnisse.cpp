// Speed of collecting a class's work (goal: 500 copies of a 1,500-gap
// exercise in under 5 s): the student list read, every copy's form content
// read and each of its gaps judged against the master's rows. A quarter of
// the copies each is RTF as we write it, RTF as LibreOffice writes it, ODT
// and DOCX (LibreOffice's conversions of our copy). BM_CollectClassResults/4
// judges the whole class, /0 to /3 the 125 copies of one format.
// BM_ReadCopy: /0 a whole read of our copy, as a document is opened, /1 to
// /4 the judging read of one copy of each format, in that order.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
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
  QString listen[4];  // the class's copies of one format
};
const char* const kEndungen[] = {"doc", "rtf", "odt", "docx"};

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
  Klasse k{folder().filePath("uebung.doc"), folder().filePath("klasse.txt"), folder().filePath("kopie.doc"), {}};
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
  // LibreOffice's layouts of the copy: RTF (as .rtf), ODT, DOCX.
  QString fremd[4] = {k.kopie};
  for (int f = 1; f < 4; ++f) {
    const QString filter = f == 1 ? QStringLiteral("rtf:Rich Text Format") : QString::fromLatin1(kEndungen[f]);
    QProcess::execute(QStringLiteral("soffice"),
                      {QStringLiteral("-env:UserInstallation=file://") + folder().filePath(QStringLiteral("profil")),
                       QStringLiteral("--headless"), QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"),
                       folder().filePath(QStringLiteral("lo%1").arg(f)), k.kopie});
    fremd[f] = folder().filePath(QStringLiteral("lo%1/kopie.%2").arg(f).arg(f == 1 ? "rtf" : kEndungen[f]));
  }
  QStringList lines, je[4];
  for (int i = 1; i <= kPupils; ++i) {
    const QString sub = folder().filePath(QStringLiteral("klasse/gruppe%1").arg((i - 1) / 50 + 1));
    QDir().mkpath(sub);
    const int f = i % 4;
    const QString copy = QDir(sub).filePath(QStringLiteral("%1_Kind_%1.%2").arg(i, 3, 10, QChar('0')).arg(kEndungen[f]));
    QFile::copy(fremd[f], copy);
    lines << QStringLiteral("Müller, Kind %1;%2;%3;").arg(i).arg(sub, copy);
    je[f] << lines.last();
  }
  qv::textfile::writeLines(k.liste, lines);
  for (int f = 0; f < 4; ++f) {
    k.listen[f] = folder().filePath(QStringLiteral("klasse%1.txt").arg(f));
    qv::textfile::writeLines(k.listen[f], je[f]);
  }
  return k;
}

const Klasse& klasse() {
  static const Klasse k = makeClass();
  return k;
}

void BM_CollectClassResults(benchmark::State& state) {
  const Klasse& k = klasse();
  const auto vorlage = qv::LeseVorlage(k.master);
  const int format = static_cast<int>(state.range(0));
  const QString liste = format < 4 ? k.listen[format] : k.liste;
  const int kopien = format < 4 ? kPupils / 4 : kPupils;
  int gezaehlt = 0, richtig = 0;
  for (auto _ : state) {
    const qv::ErgebnisUebersicht e = qv::WerteAus(*vorlage, *qv::EinsendungenAusListe(liste));
    gezaehlt = e.gezaehlt();
    richtig = e.jeLuecke.value(3).richtig;  // gap 4 is answered right in every copy
    benchmark::DoNotOptimize(e.jeLuecke.size());
  }
  if (gezaehlt != kopien || richtig != kopien) state.SkipWithError("not every copy was judged");
  state.counters["gaps"] = kGaps;
  state.counters["pupils"] = kopien;
  state.counters["copy_KB"] = QFileInfo(k.kopie).size() / 1024.0;
}
BENCHMARK(BM_CollectClassResults)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ReadCopy(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0)) - 1;
  const QByteArray bytes = *qv::textfile::readBytes(
      format < 0 ? klasse().kopie : QStringLiteral("%1/klasse/gruppe1/%2_Kind_%2.%3").arg(folder().path()).arg(
                                        format ? format : 4, 3, 10, QChar('0')).arg(kEndungen[format < 0 ? 0 : format]));
  for (auto _ : state) {
    if (format >= 0) {
      benchmark::DoNotOptimize(qv::form::Read(bytes).content.has_value());
      continue;
    }
    qv::RichDocument d;
    benchmark::DoNotOptimize(d.readRtf(bytes));
  }
  state.counters["KB"] = bytes.size() / 1024.0;
}
BENCHMARK(BM_ReadCopy)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
