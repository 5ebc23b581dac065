// The whole workbook path: archive bytes, extraction, database.

#include "fuzz.h"
#include "workbook/workbook.h"

int fuzzOne(const uint8_t* data, size_t size) {
  const QString archive = qvfuzz::scratch(QStringLiteral("fuzz.qbm"), qvfuzz::bytes(data, size));
  const qv::MappenInhalt m = qv::LeseMappe(archive, qvfuzz::scratchFolder() + QStringLiteral("/mappe.mdb"));
  qvfuzz::expect((m.fehler == qv::MappenInhalt::Fehler::Keiner) == !m.arbeitsblaetter.isEmpty(),
                 "success exactly when a worksheet was taken");
  return 0;
}
