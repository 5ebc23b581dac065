#pragma once

#include <QString>
#include <vector>

namespace qv {

// Gap positions count characters of the workbook's plain text, where a line
// end is CR LF; a document counts a paragraph end as one character, and its
// text may differ in details (no-break spaces, quotes, a missing final line).
// The map aligns the two texts and translates positions of the plain text
// into positions of the document.
class PositionMap {
 public:
  // plain: the workbook text; document: the document's text with paragraph
  // ends as U+2029 (or '\n').
  PositionMap(const QString& plain, const QString& document);
  // 0-based position in the document for a 0-based position in plain text
  // (positions past the end map past the end of the document).
  int toDocument(int plainPosition) const;

 private:
  std::vector<int> map_;
  int docLength_ = 0;
};

}  // namespace qv
