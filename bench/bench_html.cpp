// Speed of writing the HTML page: 1,500 gaps over a 60,000-word text, from
// the gap list to the bytes on disk.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "html/htmlexercise.h"
#include "platform/textfile.h"

namespace {

const QStringList kWords = {QStringLiteral("Klassenfahrt"), QStringLiteral("Mühlsee"),  QStringLiteral("fuhren"),
                            QStringLiteral("Schüler"),      QStringLiteral("gemeinsam"), QStringLiteral("Straße"),
                            QStringLiteral("wanderten"),    QStringLiteral("Fuchs"),     QStringLiteral("Äpfel"),
                            QStringLiteral("großen"),       QStringLiteral("und"),       QStringLiteral("die")};

qv::HtmlSeite makeSeite(int nWords, int nGaps, int typ) {
  qv::HtmlSeite s;
  const int step = nWords / nGaps;
  for (int i = 0; i < nWords; ++i) {
    const QString word = kWords[(i * 7 + i / 3) % kWords.size()];
    if (i % step == 0 && s.luecken.size() < nGaps) {
      qv::clsToken t;
      t.setAnfang(static_cast<int32_t>(s.text.size() + 1));
      t.setInhalt(word);
      t.setGrundform(word.toLower());
      t.setBemerkung(word.left(2) + QLatin1Char('_'));
      s.luecken << t;
    }
    s.text += word;
    s.text += (i % 15 == 14) ? QStringLiteral(".\r\n") : QStringLiteral(" ");
  }
  s.uebungstyp = static_cast<int16_t>(typ);
  s.wortliste = 1;
  s.mappenPfad = QStringLiteral("/home/lehrer/Mappen/Klassenfahrt.qbm");
  s.vorlage = qv::textfile::read(QStringLiteral(QV_SOURCE_DIR "/data/template.html")).value_or(QString());
  return s;
}

void BM_HtmlPage(benchmark::State& state) {
  const qv::HtmlSeite s = makeSeite(60000, 1500, static_cast<int>(state.range(0)));
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath(QStringLiteral("Worksheet.html"));
  qint64 size = 0;
  for (auto _ : state) {
    const QByteArray bytes = qv::HtmlPageBytes(s);
    if (!qv::textfile::writeBytes(path, bytes)) state.SkipWithError("page not written");
    size = bytes.size();
  }
  state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_HtmlPage)->Arg(101)->Arg(301)->Unit(benchmark::kMillisecond);

// A page of 20,000 gaps over a 10 MB text.
void BM_HtmlPage20000(benchmark::State& state) {
  qv::HtmlSeite s = makeSeite(20000, 20000, 101);
  const QString rest = QStringLiteral("Der Fuchs läuft über die Wiese und sucht Mäuse. ");
  while (s.text.size() < 10'000'000) s.text += rest;
  for (auto _ : state) benchmark::DoNotOptimize(qv::HtmlPageBytes(s));
}
BENCHMARK(BM_HtmlPage20000)->Unit(benchmark::kMillisecond);

// The page's bytes alone, without writing them (goal for 1,500 gaps: 3 ms).
void BM_HtmlPageBytes(benchmark::State& state) {
  const qv::HtmlSeite s = makeSeite(60000, 1500, 101);
  for (auto _ : state) benchmark::DoNotOptimize(qv::HtmlPageBytes(s));
}
BENCHMARK(BM_HtmlPageBytes)->Unit(benchmark::kMillisecond);

}  // namespace

