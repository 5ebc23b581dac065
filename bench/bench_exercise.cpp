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

// A text of about textChars characters with nGaps Details rows, shuffled.
// A start field holds five digits, so the gaps lie on words in the first
// 99,999 characters, short words where they stand close together.
struct Worksheet {
  QString text;
  QString details;
};

Worksheet makeWorksheet(qsizetype textChars, int nGaps) {
  static const QStringList kurz = {QStringLiteral("Ei"), QStringLiteral("Uhr"), QStringLiteral("Tal"),
                                   QStringLiteral("Ast"), QStringLiteral("See")};
  const bool dicht = nGaps * 10 >= 99'999;
  const QStringList& woerter = dicht ? kurz : kWords;
  QRandomGenerator rng(42);
  Worksheet w;
  QStringList rows;
  const int step = std::max(1, 99'000 / (nGaps * 10));
  for (int i = 0; w.text.size() < textChars; ++i) {
    const QString word = woerter[rng.bounded(woerter.size())] + (dicht ? QString() : QString::number(i % 7));
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

// The big workbook's size (1,500 gaps over 380,000 characters), and a text
// of 10 MB with 20,000 gaps.
void BM_BuildGapList(benchmark::State& state) {
  const Worksheet w = makeWorksheet(state.range(0), static_cast<int>(state.range(1)));
  qv::gUebungstyp = 101;
  qv::gDetails = w.details;
  qv::gTextTXT = w.text;
  qv::gFormatDoc = false;
  for (auto _ : state) {
    bool withDetails = true;
    if (qv::BuildGapList(true, withDetails) != state.range(1)) state.SkipWithError("gaps missing");
  }
}
BENCHMARK(BM_BuildGapList)->Args({380'000, 1500})->Args({10'000'000, 20000})->Unit(benchmark::kMillisecond);

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
