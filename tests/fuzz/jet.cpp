// The workbook database reader on a database file's bytes, and the decoder
// of stored Jet text on the same bytes.

#include "fuzz.h"
#include "platform/jetdb.h"
#include "workbook/workbook.h"

int fuzzOne(const uint8_t* data, size_t size) {
  qv::jet::decodeJet4Text(data, static_cast<qsizetype>(size));
  const qv::MappenInhalt m = qv::LeseMappenDatenbank(qvfuzz::scratch(QStringLiteral("fuzz.mdb"), qvfuzz::bytes(data, size)));
  qvfuzz::expect((m.fehler == qv::MappenInhalt::Fehler::Keiner) == !m.arbeitsblaetter.isEmpty(),
                 "success exactly when a worksheet was taken");
  qvfuzz::expect(m.gelesen >= 0 && (!m.unvollstaendig || m.gelesen < m.erwartet), "record counts");
  return 0;
}
