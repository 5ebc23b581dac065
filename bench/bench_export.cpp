// Speed of the platform exports: 1,500 gaps over a 60,000-word text, from
// the gap list to the file's bytes (goal: under 20 ms each).
#include <benchmark/benchmark.h>

#include "export/h5ppaket.h"
#include "export/moodlexml.h"

namespace {

qv::ExportBlatt makeBlatt(int nWords, int nGaps) {
  const QStringList words = {QStringLiteral("Klassenfahrt"), QStringLiteral("Mühlsee"), QStringLiteral("fuhren"),
                             QStringLiteral("Schüler's"),    QStringLiteral("„gemeinsam“"), QStringLiteral("Straße"),
                             QStringLiteral("3*4"),          QStringLiteral("a/b:c"),   QStringLiteral("{}")};
  qv::ExportBlatt b;
  b.caption = QStringLiteral("Verben in der Vergangenheit");
  b.id = 11;
  b.uebungstyp = 101;
  b.wortliste = 1;
  const int step = nWords / nGaps;
  for (int i = 0; i < nWords; ++i) {
    const QString word = words[(i * 7 + i / 3) % words.size()];
    if (i % step == 0 && b.luecken.size() < nGaps) {
      qv::clsToken t;
      t.setAnfang(static_cast<int32_t>(b.text.size() + 1));
      t.setInhalt(word);
      t.setGrundform(word.toLower());
      t.setLoesung(word);
      b.luecken << t;
      b.alternativen << QStringList{word.toUpper()};
    }
    b.text += word;
    b.text += (i % 15 == 14) ? QStringLiteral(".\r\n") : QStringLiteral(" ");
  }
  return b;
}

void BM_MoodleXml(benchmark::State& state) {
  const qv::ExportBlatt b = makeBlatt(60000, 1500);
  for (auto _ : state) benchmark::DoNotOptimize(qv::BaueMoodleXml(QStringLiteral("Klassenfahrt"), {b}));
}
BENCHMARK(BM_MoodleXml)->Unit(benchmark::kMillisecond);

void BM_H5pPaket(benchmark::State& state) {
  const qv::ExportBlatt b = makeBlatt(60000, 1500);
  for (auto _ : state) benchmark::DoNotOptimize(qv::BaueH5pPaket(b));
}
BENCHMARK(BM_H5pPaket)->Unit(benchmark::kMillisecond);

}  // namespace
