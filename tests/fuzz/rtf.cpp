// The RTF reader: both read scopes agree on the fields' text, and what is
// read, written and read again keeps its text and fields.

#include <QTextDocument>

#include "fuzz.h"
#include "platform/docmodel.h"
#include "platform/rtf.h"

namespace {
QStringList results(const qv::RichDocument& d) {
  QStringList out;
  for (const qv::Field& f : d.fields()) out << f.instruction + QChar(0) + f.result.text();
  return out;
}
}  // namespace

int fuzzOne(const uint8_t* data, size_t size) {
  using qvfuzz::expect;
  const QByteArray in = qvfuzz::bytes(data, size);
  qv::RichDocument whole, fields;
  const bool ok = whole.readRtf(in);
  expect(fields.readRtf(in, qv::RichDocument::ReadScope::FieldsOnly) == ok, "both scopes see RTF");
  expect(results(whole) == results(fields), "both scopes read the same fields");
  if (!ok) return 0;
  qv::RichDocument again;
  expect(again.readRtf(whole.toRtf()), "written RTF is RTF");
  expect(again.body()->toRawText() == whole.body()->toRawText(), "text survives writing");
  expect(results(again) == results(whole), "fields survive writing");
  QTextDocument plain, plainAgain;
  qv::rtf::read(in, plain);
  qv::rtf::read(qv::rtf::write(plain), plainAgain);
  expect(plainAgain.toRawText() == plain.toRawText(), "editor text survives writing");
  return 0;
}
