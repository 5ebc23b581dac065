#pragma once

#include <QByteArray>
#include <QTextDocument>
#include <QTextDocumentFragment>

// The editor's own file format is RTF. One codec reads RTF into a
// QTextDocument and writes a QTextDocument as RTF.
namespace qv::rtf {

bool looksLikeRtf(const QByteArray& bytes);
// Replaces the document's content with what can be read from the RTF bytes.
// Never fails on damaged input: whatever can be read is kept. Returns false
// when nothing of an RTF document was found.
bool read(const QByteArray& bytes, QTextDocument& doc);
QByteArray write(const QTextDocument& doc);
// Writes the part of the document between the two positions as an RTF
// document of its own.
QByteArray writeRange(const QTextDocument& doc, int from, int to);

}  // namespace qv::rtf
