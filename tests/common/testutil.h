#pragma once

#include <QByteArray>
#include <QString>

namespace qvtest {

// A file of the shared test workbooks.
QString fixture(const QString& name);
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Text made of the given Latin-1 bytes / UTF-8 literal for readable tests.
inline QString u8(const char* s) { return QString::fromUtf8(s); }

}  // namespace qvtest
