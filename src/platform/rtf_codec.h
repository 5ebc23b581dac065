#pragma once

// Inner entry points of the RTF codec, shared by rtf.cpp (bare documents)
// and docmodel.cpp (documents with side data).

#include <QByteArray>
#include <QByteArrayList>
#include <QColor>
#include <QString>
#include <QTextDocument>
#include <vector>

namespace qv {
class RichDocument;
}

namespace qv::rtf::codec {

// Reads RTF into body; when side is given, also fills its variables, info,
// protection, fields, bookmarks, page set-up and headers (body must then be
// side->body()). Returns false when the bytes hold no RTF.
bool read(const QByteArray& bytes, QTextDocument& body, RichDocument* side);
// The fonts, colours and head-marker styles a write has numbered so far.
struct Tables {
  std::vector<QString> fonts;
  std::vector<QColor> colors;
  std::vector<int> styles;
  bool operator==(const Tables&) const = default;
};

// The large parts of a document with side data as written last, for the
// next write of the same document: pupil copies differ from their master
// only in a few small parts (author, header cell, two variables), while the
// body and the variables with the text and the details make the file.
//
// The body: its owner drops it (valid = false) whenever the body, its fields
// or its bookmarks change; a write takes it only when the tables the body's
// text was numbered by came out the same.
struct WriteCache {
  struct Body {
    bool valid = false;
    Tables seed;         // from the side data's font and colour tables
    Tables afterBody;    // with the body's formats added
    Tables beforeWrite;  // with the headers' formats added, when the body was written
    Tables afterWrite;   // with what writing the body added
    QByteArray rtf;
    // Room for the next body: the size of the RTF the document was read
    // from, then that of the last body written.
    qsizetype sizeHint = 0;
  };
  Body body;
  // Each variable as written, taken again while name and value are the same.
  struct Variable {
    QString name, value;
    QByteArray rtf;
  };
  std::vector<Variable> variables;
};

// Writes body positions [from, to) as an RTF document; with side, the side
// data too (only meaningful for the whole body). With a cache (whole body
// and side data only), the body's RTF is taken from it when it still holds,
// and kept there otherwise; the bytes are those of a write without it.
QByteArray write(const QTextDocument& body, int from, int to, const RichDocument* side, WriteCache* cache = nullptr);
// The same bytes in pieces, in their order, for writing straight into a file.
QByteArrayList writePieces(const QTextDocument& body, int from, int to, const RichDocument* side,
                           WriteCache* cache = nullptr);

}  // namespace qv::rtf::codec
