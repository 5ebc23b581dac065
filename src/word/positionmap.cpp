#include "word/positionmap.h"

namespace qv {
namespace {

bool isBreak(QChar c) {
  return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
         c == QChar::LineSeparator || c == QLatin1Char('\v');
}

QChar fold(QChar c) {
  switch (c.unicode()) {
    case 0x00A0: return QLatin1Char(' ');
    case 0x2018: case 0x2019: case 0x201A: return QLatin1Char('\'');
    case 0x201C: case 0x201D: case 0x201E: return QLatin1Char('"');
    case 0x2013: case 0x2014: return QLatin1Char('-');
    default: return c;
  }
}

bool same(QChar a, QChar b) {
  if (isBreak(a) && isBreak(b)) return true;
  return fold(a) == fold(b);
}

}  // namespace

PositionMap::PositionMap(const QString& plain, const QString& doc) : docLength_(static_cast<int>(doc.size())) {
  const int n = static_cast<int>(plain.size()), m = static_cast<int>(doc.size());
  map_.assign(n + 1, m);
  int i = 0, j = 0;
  constexpr int kLookahead = 12;
  while (i < n) {
    if (j >= m) {
      map_[i++] = m;
      continue;
    }
    // CR LF in the plain text is one paragraph end in the document.
    if (plain[i] == QLatin1Char('\r') && i + 1 < n && plain[i + 1] == QLatin1Char('\n') && isBreak(doc[j]) &&
        !(j + 1 < m && doc[j] == QLatin1Char('\r') && doc[j + 1] == QLatin1Char('\n'))) {
      map_[i] = j;
      map_[i + 1] = j;
      i += 2;
      ++j;
      continue;
    }
    if (same(plain[i], doc[j])) {
      map_[i++] = j++;
      continue;
    }
    // Resynchronise: the shortest skip in either text after which a few
    // characters agree again.
    auto agrees = [&](int pi, int dj) {
      int k = 0;
      while (k < 4 && pi + k < n && dj + k < m && same(plain[pi + k], doc[dj + k])) ++k;
      return k == 4 || pi + k == n || dj + k == m;
    };
    bool synced = false;
    for (int skip = 1; skip <= kLookahead && !synced; ++skip) {
      if (j + skip <= m && agrees(i, j + skip)) {  // extra characters in the document
        j += skip;
        synced = true;
      } else if (i + skip <= n && agrees(i + skip, j)) {  // extra characters in the plain text
        for (int s = 0; s < skip; ++s) map_[i + s] = j;
        i += skip;
        synced = true;
      }
    }
    if (!synced) map_[i++] = j++;  // a changed character: keep step
  }
  map_[n] = std::min(j, m);
}

int PositionMap::toDocument(int plainPosition) const {
  if (plainPosition < 0) return 0;
  if (plainPosition >= static_cast<int>(map_.size())) return docLength_ + (plainPosition - static_cast<int>(map_.size()) + 1);
  return map_[plainPosition];
}

}  // namespace qv
