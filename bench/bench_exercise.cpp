// Speed of the gap list builder and the string sort.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QRandomGenerator>
#include <algorithm>

#include "app/variablen.h"
#include "exercise/gaplist.h"
#include "exercise/helpers.h"

namespace {

const QStringList kWords = {QStringLiteral("Klassenfahrt"), QStringLiteral("Mühlsee"),  QStringLiteral("fuhren"),
                            QStringLiteral("Schüler"),      QStringLiteral("gemeinsam"), QStringLiteral("Straße"),
                            QStringLiteral("wanderten"),    QStringLiteral("Fuchs"),     QStringLiteral("Äpfel"),
                            QStringLiteral("großen"),       QStringLiteral("und"),       QStringLiteral("die")};

// A text of nWords words and Details rows for every (nWords / nGaps)-th
// word, shuffled.
struct Worksheet {
  QString text;
  QString details;
};

Worksheet makeWorksheet(int nWords, int nGaps) {
  QRandomGenerator rng(42);
  Worksheet w;
  QStringList rows;
  const int step = nWords / nGaps;
  for (int i = 0; i < nWords; ++i) {
    const QString word = kWords[rng.bounded(kWords.size())] + QString::number(i % 7);
    if (i % step == 0 && rows.size() < nGaps)
      rows << QString::number(w.text.size() + 1) + QLatin1Char(';') + word + QLatin1Char(';') + word.toLower() +
                  QLatin1Char(';');
    w.text += word;
    w.text += (i % 15 == 14) ? QStringLiteral(".\r\n") : QStringLiteral(" ");
  }
  std::shuffle(rows.begin(), rows.end(), std::mt19937(7));
  w.details = rows.join(QStringLiteral("\r\n"));
  return w;
}

QStringList makeStrings(int n) {
  QRandomGenerator rng(1);
  QStringList out;
  out.reserve(n);
  for (int i = 0; i < n; ++i)
    out << kWords[rng.bounded(kWords.size())] + QString::number(rng.bounded(1000000));
  return out;
}

void BM_BuildGapList1500(benchmark::State& state) {
  static const Worksheet w = makeWorksheet(60000, 1500);
  qv::gUebungstyp = 101;
  qv::gDetails = w.details;
  qv::gTextTXT = w.text;
  qv::gFormatDoc = false;
  for (auto _ : state) {
    bool withDetails = true;
    benchmark::DoNotOptimize(qv::BuildGapList(true, withDetails));
  }
}
BENCHMARK(BM_BuildGapList1500)->Unit(benchmark::kMillisecond);

void BM_SortStrings100k(benchmark::State& state) {
  const QStringList input = makeStrings(100000);
  for (auto _ : state) {
    state.PauseTiming();
    QStringList list = input;
    state.ResumeTiming();
    qv::SortStrings(list);
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_SortStrings100k)->Unit(benchmark::kMillisecond);

void BM_StdSort100kSameComparison(benchmark::State& state) {
  const QStringList input = makeStrings(100000);
  for (auto _ : state) {
    state.PauseTiming();
    QStringList list = input;
    state.ResumeTiming();
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) { return qv::CompareText(a, b) < 0; });
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_StdSort100kSameComparison)->Unit(benchmark::kMillisecond);

}  // namespace
