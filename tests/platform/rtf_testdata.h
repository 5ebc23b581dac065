#pragma once

// Test material for the RTF codec: the stored rich texts of the sample
// workbook and a document that uses every feature the codec knows.

#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/docmodel.h"

namespace qvtest {

struct StoredRichText {
  QString label;
  QByteArray header;  // bytes 0..29
  QByteArray rtf;     // bytes 30..end
  QString plainText;  // expected text where known (empty otherwise)
  int margins[4];
};

// Every stored rich text of klassenfahrt.json.
QList<StoredRichText> sampleRichTexts();
// Fills doc with formatted text, a table, fields, bookmarks, variables,
// headers and page set-up.
void buildFullDocument(qv::RichDocument& doc);

}  // namespace qvtest

#include <ostream>
// Readable test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << '"' << b.toStdString() << '"'; }
