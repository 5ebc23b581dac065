#pragma once

// Inner entry points of the RTF codec, shared by rtf.cpp (bare documents)
// and docmodel.cpp (documents with side data).

#include <QByteArray>
#include <QTextDocument>

namespace qv {
class RichDocument;
}

namespace qv::rtf::codec {

// Reads RTF into body; when side is given, also fills its variables, info,
// protection, fields, bookmarks, page set-up and headers (body must then be
// side->body()). Returns false when the bytes hold no RTF. With fieldsOnly
// the body keeps only the text of field results (in their order), so that
// everything but the body's other text reads as a whole read gives it, in a
// fraction of the time.
bool read(const QByteArray& bytes, QTextDocument& body, RichDocument* side, bool fieldsOnly = false);
// Writes body positions [from, to) as an RTF document; with side, the side
// data too (only meaningful for the whole body).
QByteArray write(const QTextDocument& body, int from, int to, const RichDocument* side);

}  // namespace qv::rtf::codec
