// Opening the large workbook to its full worksheet list, beside mdb-export
// of the same two tables from the same database in the same run.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "workbook/workbook.h"

namespace {

QString fixtureDir() {
  const QString env = qEnvironmentVariable("QV_FIXTURES_DIR");
  return env.isEmpty() ? QStringLiteral(QV_FIXTURES_DIR) : env;
}
QString grosseMappe() { return QDir(fixtureDir()).filePath(QStringLiteral("grosse-mappe.qbm")); }

// The extracted database, shared by the database-only measurements.
const QString& database() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString p = dir.filePath(QStringLiteral("grosse.mdb"));
    qv::UnpackWorkbook(grosseMappe(), p);
    return p;
  }();
  return path;
}

void BM_LeseMappe_Archiv(benchmark::State& state) {
  for (auto _ : state) {
    const qv::MappenInhalt m = qv::LeseMappe(grosseMappe());
    if (m.arbeitsblaetter.size() != 40) state.SkipWithError("not 40 worksheets");
    benchmark::DoNotOptimize(m.textTXT.size());
  }
}
BENCHMARK(BM_LeseMappe_Archiv)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_LeseMappe_Datenbank(benchmark::State& state) {
  const QString db = database();
  for (auto _ : state) {
    const qv::MappenInhalt m = qv::LeseMappenDatenbank(db);
    if (m.arbeitsblaetter.size() != 40) state.SkipWithError("not 40 worksheets");
    benchmark::DoNotOptimize(m.textTXT.size());
  }
}
BENCHMARK(BM_LeseMappe_Datenbank)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_MdbExport_BeideTabellen(benchmark::State& state) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("mdb-export"));
  if (tool.isEmpty()) {
    state.SkipWithError("mdb-export not installed");
    return;
  }
  const QString db = database();
  for (auto _ : state) {
    for (const char* table : {"Arbeitsblatt", "Text"}) {
      QProcess p;
      p.setStandardOutputFile(QProcess::nullDevice());
      p.start(tool, {db, QString::fromLatin1(table)});
      if (!p.waitForFinished(60000) || p.exitCode() != 0) state.SkipWithError("mdb-export failed");
    }
  }
}
BENCHMARK(BM_MdbExport_BeideTabellen)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

