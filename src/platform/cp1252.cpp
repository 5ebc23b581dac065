#include "platform/cp1252.h"

#include <array>

namespace qv::cp1252 {
namespace {

// 0x80..0x9F; the undefined bytes keep their own code.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Characters below 0x80 and from 0xA0 to 0xFF are their own byte.
constexpr bool ownByte(char16_t u) { return u < 0x80 || (u >= 0xA0 && u <= 0xFF); }

}  // namespace

QChar toUnicode(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return QChar(kHigh[b - 0x80]);
  return QChar(char16_t(b));
}

int fromUnicode(QChar c) {
  const char16_t u = c.unicode();
  if (ownByte(u)) return u;
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) return 0x80 + i;
  return -1;
}

QString decode(const QByteArray& bytes) {
  QString out(bytes.size(), Qt::Uninitialized);
  QChar* d = out.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) d[i] = toUnicode(static_cast<unsigned char>(bytes[i]));
  return out;
}

QByteArray encode(const QString& text, bool* ok) {
  QByteArray out;
  const bool all = append(out, text);
  if (ok) *ok = all;
  return out;
}

bool append(QByteArray& out, QStringView text) {
  const qsizetype start = out.size();
  // Into an empty buffer, room of the exact size: resize() alone rounds the
  // room of a large text up to the next power of two.
  if (start == 0) out.reserve(text.size());
  out.resize(start + text.size());
  char* d = out.data() + start;
  bool all = true;
  for (const QChar c : text) {
    // Most characters are their own byte; the table is searched for the rest.
    const int b = ownByte(c.unicode()) ? c.unicode() : fromUnicode(c);
    if (b < 0) all = false;
    *d++ = static_cast<char>(b < 0 ? '?' : b);
  }
  return all;
}

bool fits(const QString& text) {
  for (QChar c : text)
    if (fromUnicode(c) < 0) return false;
  return true;
}

}  // namespace qv::cp1252
