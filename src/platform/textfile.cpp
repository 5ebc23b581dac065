#include "platform/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>

#include "platform/cp1252.h"
#include "platform/filehelper.h"

namespace qv::textfile {
namespace {
const QByteArray kBom("\xEF\xBB\xBF", 3);
}

std::optional<QByteArray> readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return f.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes) { return files::saveWhole(path, bytes); }

QString decode(const QByteArray& bytes) {
  if (bytes.startsWith(kBom)) return QString::fromUtf8(bytes.mid(3));
  // Editors on Linux write UTF-8 without a byte-order mark. A Windows-1252
  // text with umlauts is practically never valid UTF-8, so valid UTF-8 that
  // holds a byte above 127 is taken as UTF-8; pure ASCII reads the same
  // either way.
  const bool high = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  if (high) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
  }
  return cp1252::decode(bytes);
}

QByteArray encode(const QString& text) {
  bool ok = false;
  QByteArray b = cp1252::encode(text, &ok);
  if (ok) return b;
  return kBom + text.toUtf8();
}

std::optional<QString> read(const QString& path) {
  auto bytes = readBytes(path);
  if (!bytes) return std::nullopt;
  return decode(*bytes);
}

bool write(const QString& path, const QString& text) { return writeBytes(path, encode(text)); }

bool writeLines(const QString& path, const QStringList& lines) {
  QString text;
  for (const QString& l : lines) text += l + QStringLiteral("\r\n");
  return write(path, text);
}

bool appendLine(const QString& path, const QString& line) {
  QFile f(path);
  const QString withEnd = line + QStringLiteral("\r\n");
  if (f.exists()) {
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(3);
    f.close();
    const bool utf8 = head == kBom;
    if (!utf8 && !cp1252::fits(withEnd)) {
      // Rewrite the existing Windows-1252 content as UTF-8 so nothing is lost.
      auto old = read(path);
      if (!old) return false;
      return writeBytes(path, kBom + (*old + withEnd).toUtf8());
    }
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    const QByteArray bytes = utf8 ? withEnd.toUtf8() : cp1252::encode(withEnd);
    return f.write(bytes) == bytes.size();
  }
  if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const QByteArray bytes = encode(withEnd);
  return f.write(bytes) == bytes.size();
}

QStringList splitLines(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t.split(QLatin1Char('\n'));
}

}  // namespace qv::textfile
