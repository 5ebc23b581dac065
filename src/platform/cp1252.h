#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 as the program's single-byte code page. The codec is lossless
// for all 256 byte values: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// code (U+0081 ...) and back.
namespace qv::cp1252 {

// The character that stands for byte b.
QChar toUnicode(unsigned char b);
// The byte of character c, or -1 when Windows-1252 cannot hold c.
int fromUnicode(QChar c);

QString decode(const QByteArray& bytes);
// Characters that Windows-1252 cannot hold become '?'; *ok tells whether all fit.
QByteArray encode(const QString& text, bool* ok = nullptr);
// Appends the bytes of text to out, as encode does; returns whether all fit.
bool append(QByteArray& out, QStringView text);
bool fits(const QString& text);

}  // namespace qv::cp1252
