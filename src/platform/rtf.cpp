#include "platform/rtf.h"

#include "platform/rtf_codec.h"

namespace qv::rtf {

bool looksLikeRtf(const QByteArray& bytes) {
  // Leading blanks and line ends are tolerated, as word processors do.
  qsizetype i = 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t')) ++i;
  return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf");
}

bool read(const QByteArray& bytes, QTextDocument& doc) {
  if (!looksLikeRtf(bytes)) {
    doc.clear();
    return false;
  }
  return codec::read(bytes, doc, nullptr);
}

QByteArray write(const QTextDocument& doc) { return codec::write(doc, 0, doc.characterCount() - 1, nullptr); }

QByteArray writeRange(const QTextDocument& doc, int from, int to) {
  return codec::write(doc, std::min(from, to), std::max(from, to), nullptr);
}

}  // namespace qv::rtf
