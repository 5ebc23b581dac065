#pragma once

#include <QByteArray>
#include <QString>

#include "exercise/token.h"

namespace qvtest {

// A file of the shared test workbooks.
QString fixture(const QString& name);
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Text made of the given Latin-1 bytes / UTF-8 literal for readable tests.
inline QString u8(const char* s) { return QString::fromUtf8(s); }
// A gap token as the gap list builder makes it.
inline qv::clsToken gap(int anfang, const QString& inhalt, const QString& grundform, const QString& bemerkung = {}) {
  qv::clsToken t;
  t.setAnfang(anfang);
  t.setInhalt(inhalt);
  t.setGrundform(grundform);
  t.setBemerkung(bemerkung);
  return t;
}

}  // namespace qvtest
