#pragma once

// Shared glue of the fuzz targets. Each target defines fuzzOne, which
// libFuzzer calls with generated inputs and the replay tests with the files
// of the target's seed and crash folders. A broken expectation aborts, so
// that both count it as a crash.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

int fuzzOne(const uint8_t* data, size_t size);

namespace qvfuzz {

inline QByteArray bytes(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}
// A file of that name in the scratch folder (QV_FUZZ_TMP, else a private
// temporary folder), holding content.
QString scratch(const QString& name, const QByteArray& content);
QString scratchFolder();

inline void expect(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz expectation failed: %s\n", what);
  std::abort();
}

}  // namespace qvfuzz
