// Reading a pupil's copy for the results: the copy read as master and as
// copy of that master.

#include "fuzz.h"
#include "students/ergebnisse.h"

int fuzzOne(const uint8_t* data, size_t size) {
  using qvfuzz::expect;
  const QString path = qvfuzz::scratch(QStringLiteral("kopie.doc"), qvfuzz::bytes(data, size));
  const std::optional<qv::ErgebnisVorlage> master = qv::LeseVorlage(path);
  qv::ErgebnisVorlage v = master.value_or(qv::ErgebnisVorlage{});
  QString name;
  const qv::SchuelerErgebnis r = qv::BewerteKopie(v, path, &name);
  const int n = static_cast<int>(v.zeilen.size());
  if (!qv::IstGezaehlt(r.zustand)) return 0;
  expect(r.antworten.size() == n && r.wertungen.size() == n && r.richtig + r.falsch + r.leer == n,
         "one verdict per gap");
  expect(r.versuche >= 0 && r.prozent(n) >= 0 && r.prozent(n) <= 100, "figures in range");
  return 0;
}
