// Speed of writing the HTML page: 1,500 gaps over a 60,000-word text, from
// the gap list to the bytes on disk.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

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

// "Prüfen" on the page of 1,500 gaps in headless Chromium, every field
// filled by script (every third answer wrong); the time is what the page
// measures around the check with performance.now() (goal: under 50 ms).
void BM_HtmlPruefenChromium(benchmark::State& state) {
  const QString chromium = QStringLiteral("/usr/bin/chromium");
  if (!QFile::exists(chromium)) return state.SkipWithError("Chromium is not installed");
  qv::HtmlSeite s = makeSeite(60000, 1500, 101);
  s.vorlage.insert(s.vorlage.lastIndexOf(QLatin1String("</body>")), QStringLiteral(R"(<script>
window.addEventListener('load', function () {
  var f = qvAlleFelder();
  for (var i = 0; i < f.length; i++) {
    var n = parseInt(f[i].name.substring(1), 10);
    f[i].value = i % 3 ? I[n][1][0][0] : 'falsch';
  }
  var t0 = performance.now();
  document.getElementById('pruefen').click();
  var ms = performance.now() - t0;
  var pre = document.body.appendChild(document.createElement('pre'));
  pre.id = 'messung';
  pre.textContent = ms + ' ' + document.getElementById('ergebnis').textContent;
});
</script>)"));
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath(QStringLiteral("Worksheet.html"));
  if (!qv::textfile::writeBytes(path, qv::HtmlPageBytes(s))) return state.SkipWithError("page not written");
  for (auto _ : state) {
    QProcess p;
    p.start(chromium, {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                       QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
                       QStringLiteral("--user-data-dir=") + dir.filePath(QStringLiteral("profil")),
                       QStringLiteral("--virtual-time-budget=5000"), QStringLiteral("--dump-dom"),
                       QUrl::fromLocalFile(path).toString()});
    if (!p.waitForFinished(120000)) {
      p.kill();
      p.waitForFinished();
      return state.SkipWithError("the browser did not finish in time");
    }
    const QString dom = QString::fromUtf8(p.readAllStandardOutput()), open = QStringLiteral("<pre id=\"messung\">");
    const qsizetype a = dom.indexOf(open), b = dom.indexOf(QLatin1String("</pre>"), a);
    if (a < 0 || b < 0) return state.SkipWithError("the page reported no time");
    const QStringList m = dom.mid(a + open.size(), b - a - open.size()).split(QLatin1Char(' '));
    if (m.value(1) != QLatin1String("1000")) return state.SkipWithError("the page counted a wrong score");
    state.SetIterationTime(m.value(0).toDouble() / 1000.0);
  }
}
BENCHMARK(BM_HtmlPruefenChromium)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

