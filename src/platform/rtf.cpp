// Minimal RTF codec: plain paragraphs with \'hh and \uN escapes. The full
// reader and writer replace this file.
#include "platform/rtf.h"

#include <QTextBlock>
#include <QTextCursor>

#include "platform/cp1252.h"

namespace qv::rtf {

bool looksLikeRtf(const QByteArray& bytes) { return bytes.startsWith("{\\rtf"); }

bool read(const QByteArray& bytes, QTextDocument& doc) {
  doc.clear();
  if (!looksLikeRtf(bytes)) return false;
  QString text;
  int depth = 0;
  int skipDepth = -1;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '{') {
      ++depth;
      if (i + 2 < bytes.size() && bytes[i + 1] == '\\' && bytes[i + 2] == '*' && skipDepth < 0) skipDepth = depth;
      continue;
    }
    if (c == '}') {
      if (depth == skipDepth) skipDepth = -1;
      --depth;
      continue;
    }
    if (c == '\\') {
      if (i + 1 >= bytes.size()) break;
      const char n = bytes[i + 1];
      if (n == '\'' && i + 3 < bytes.size()) {
        bool ok = false;
        const int v = bytes.mid(i + 2, 2).toInt(&ok, 16);
        if (ok && skipDepth < 0) text += cp1252::toUnicode(static_cast<unsigned char>(v));
        i += 3;
        continue;
      }
      if (!std::isalpha(static_cast<unsigned char>(n))) {
        if (skipDepth < 0 && (n == '\\' || n == '{' || n == '}')) text += QLatin1Char(n);
        ++i;
        continue;
      }
      qsizetype j = i + 1;
      while (j < bytes.size() && std::isalpha(static_cast<unsigned char>(bytes[j]))) ++j;
      const QByteArray word = bytes.mid(i + 1, j - i - 1);
      qsizetype k = j;
      if (k < bytes.size() && (bytes[k] == '-' || std::isdigit(static_cast<unsigned char>(bytes[k])))) ++k;
      while (k < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[k]))) ++k;
      const QByteArray num = bytes.mid(j, k - j);
      if (k < bytes.size() && bytes[k] == ' ') ++k;
      i = k - 1;
      if (skipDepth >= 0) continue;
      if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info") skipDepth = depth;
      else if (word == "par" || word == "line") text += QChar(QChar::ParagraphSeparator);
      else if (word == "tab") text += QLatin1Char('\t');
      else if (word == "u") text += QChar(char16_t(num.toInt()));
      continue;
    }
    if (c == '\r' || c == '\n' || skipDepth >= 0 || depth == 0) continue;
    text += QLatin1Char(c);
  }
  QTextCursor cur(&doc);
  const QStringList paras = text.split(QChar(QChar::ParagraphSeparator));
  for (qsizetype p = 0; p < paras.size(); ++p) {
    if (p > 0) cur.insertBlock();
    cur.insertText(paras[p]);
  }
  return true;
}

QByteArray write(const QTextDocument& doc) { return writeRange(doc, 0, doc.characterCount() - 1); }

QByteArray writeRange(const QTextDocument& doc, int from, int to) {
  QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\n";
  QTextCursor cur(const_cast<QTextDocument*>(&doc));
  cur.setPosition(from);
  cur.setPosition(to, QTextCursor::KeepAnchor);
  const QString text = cur.selection().toRawText();
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator) out += "\\par\n";
    else if (u == '\\' || u == '{' || u == '}') { out += '\\'; out += char(u); }
    else if (u == '\t') out += "\\tab ";
    else if (u >= 0x20 && u < 0x80) out += char(u);
    else {
      const int b = cp1252::fromUnicode(ch);
      if (b >= 0) out += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
      else out += "\\u" + QByteArray::number(int16_t(u)) + "?";
    }
  }
  out += "}";
  return out;
}

}  // namespace qv::rtf
