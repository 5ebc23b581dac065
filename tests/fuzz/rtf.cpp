// The RTF readers: what is read, written and read again keeps its text and
// fields, and the form reader finds in written RTF the text fields the rich
// reader finds.

#include <QTextDocument>

#include "fuzz.h"
#include "platform/docmodel.h"
#include "platform/formcontent.h"
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
  qv::RichDocument whole;
  qv::form::ReadRtf(in);
  if (!whole.readRtf(in)) return 0;
  qv::RichDocument again;
  const QByteArray written = whole.toRtf();
  expect(again.readRtf(written), "written RTF is RTF");
  const auto form = qv::form::ReadRtf(written).content;
  expect(form && form->fields.size() == static_cast<size_t>(std::count_if(
                                           whole.fields().begin(), whole.fields().end(),
                                           [](const qv::Field& f) { return f.kind == qv::FieldKind::FormText; })),
         "the form reader sees the written text fields");
  expect(again.body()->toRawText() == whole.body()->toRawText(), "text survives writing");
  expect(results(again) == results(whole), "fields survive writing");
  QTextDocument plain, plainAgain;
  qv::rtf::read(in, plain);
  qv::rtf::read(qv::rtf::write(plain), plainAgain);
  expect(plainAgain.toRawText() == plain.toRawText(), "editor text survives writing");
  return 0;
}
