#include "platform/tools.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <QUuid>
#include <QtEndian>

#include "platform/cp1252.h"
#include "platform/filehelper.h"
#include "platform/richeditor.h"
#include "platform/rtf.h"
#include "platform/textfile.h"

namespace qv {

void LoadRichText(RichEditor& editor, const QByteArray& data) {
  if (data.size() < kStoredRichTextHeader) {
    editor.setPlainText(QString());
    return;
  }
  auto i32 = [&](int offset) { return qFromLittleEndian<qint32>(data.constData() + offset); };
  editor.setPageMargins(std::min(i32(4), 500), std::min(i32(8), 300), std::min(i32(12), 500), std::min(i32(16), 300));
  // The stored values are 11906 and 16838 (A4 in twips): width, then height.
  editor.setPageSize(i32(20), i32(24));
  const QByteArray body = data.mid(kStoredRichTextHeader);
  // Only the editor's own format counts: a body that is no RTF (a broken or
  // foreign value) leaves the editor empty instead of showing its bytes.
  if (!rtf::looksLikeRtf(body) || !editor.loadBytes(body)) editor.setPlainText(QString());
  editor.redraw();
  editor.setZoom(100);
}

void LoadEditorFile(RichEditor& editor, const QString& path) {
  QFile f(path);
  LoadRichText(editor, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
}

void OpenWebPage() { QDesktopServices::openUrl(QUrl(kPublisherPage)); }

QString logFilePath() { return files::JoinPath(files::writableProgramFolder(), QStringLiteral("log.txt")); }

void WriteLog(const QString& line) { textfile::appendLine(logFilePath(), line); }

QString NewGuidString() { return QUuid::createUuid().toString(QUuid::WithBraces).toUpper(); }

void AddToValue(ValueHolder& object, int n) { object.setValue(object.value() + n); }

QString XorWithKey(const QString& text, const QString& key) {
  if (key.isEmpty()) return text;
  QString out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int t = cp1252::fromUnicode(text[i]);
    if (t < 0) {
      // A character the single-byte code page cannot hold passes through
      // unchanged: scrambling it would lose it, and every scrambled
      // character stays inside the code page, so the result is still
      // restored by the same call.
      out[i] = text[i];
      continue;
    }
    const int k = key.isEmpty() ? 0 : cp1252::fromUnicode(key[i % key.size()]);
    out[i] = cp1252::toUnicode(static_cast<unsigned char>((t ^ (k < 0 ? '?' : k)) & 0xFF));
  }
  return out;
}

}  // namespace qv
