#pragma once

#include <QByteArray>
#include <QString>

namespace qv {

class RichEditor;

// Stored rich text: a 30-byte little-endian header (4 ignored bytes, the
// four page margins, two page size values, 2 ignored bytes) in front of the
// editor's own document (RTF).
inline constexpr int kStoredRichTextHeader = 30;

// Puts stored rich text into the editor: margins capped at 500/300, the page
// size handed on, the document from byte 30. A value shorter than the header
// or a broken document gives an empty editor.
void LoadRichText(RichEditor& editor, const QByteArray& data);
void LoadEditorFile(RichEditor& editor, const QString& path);

// The publisher's web page in the default browser.
void OpenWebPage();
inline const QString kPublisherPage = QStringLiteral("https://quillbee.example.org/vodedarivo");

// Appends one line to "log.txt" beside the program; failures are passed over.
void WriteLog(const QString& line);
QString logFilePath();

// A new GUID in registry form: 38 characters, braces, upper-case hex.
QString NewGuidString();

// Anything with a numeric Value (the progress bar).
class ValueHolder {
 public:
  virtual ~ValueHolder() = default;
  virtual int value() const = 0;
  virtual void setValue(int v) = 0;
};
void AddToValue(ValueHolder& object, int n);

// Repeating-key XOR over the single-byte codes of text and key; self-inverse.
QString XorWithKey(const QString& text, const QString& key);

}  // namespace qv
