#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <memory>

namespace qv {

// The character property that carries the head markers (207, 175, 200) of a
// worksheet's head block. The RTF codec reads and writes it as the character
// style number \csN.
inline constexpr int kHeadMarkerProperty = QTextFormat::UserProperty + 1;

// Paragraph properties of a bottom rule (RTF \brdrb): line style (0 none,
// 1 single), width in eighths of a point, colour index (0 automatic) and
// distance from the text in points.
inline constexpr int kBottomBorderStyleProperty = QTextFormat::UserProperty + 20;
inline constexpr int kBottomBorderWidthProperty = QTextFormat::UserProperty + 21;
inline constexpr int kBottomBorderColorProperty = QTextFormat::UserProperty + 22;
inline constexpr int kBottomBorderDistanceProperty = QTextFormat::UserProperty + 23;
// Sets the bottom rule properties; a rule of style 1 also gets Qt's
// trailing ruler, which the text layout draws as a line under the paragraph.
void setBottomRule(QTextBlockFormat& format, int style, int width, int color, double distance);
// Character property: the text is not proofread (RTF \noproof\lang1024).
inline constexpr int kNoProofingProperty = QTextFormat::UserProperty + 24;
// Paragraph property: the number of the paragraph's style (RTF \sN).
inline constexpr int kParagraphStyleProperty = QTextFormat::UserProperty + 25;
// Character property of the text of a field in a header or footer: the
// field's instruction ("PAGE"). Such fields live in their text, since header
// documents keep no field list; a page layout puts the page number there.
inline constexpr int kFieldInstructionProperty = QTextFormat::UserProperty + 26;
// Table and cell properties that keep a table's RTF definition as read, so
// that it is written back unchanged: the row words (\trgaph70\trleft0) on
// the table, each cell's words (borders, shading) and its right edge
// (\cellx, twips) on the cell.
inline constexpr int kTableRowDefinitionProperty = QTextFormat::UserProperty + 27;
inline constexpr int kCellDefinitionProperty = QTextFormat::UserProperty + 28;
inline constexpr int kCellRightEdgeProperty = QTextFormat::UserProperty + 29;

// What a visible editor window does for the editor: scroll a place into view
// and repaint. The main window's widgets implement it; without one the
// editor works on its document alone.
class EditorView {
 public:
  virtual ~EditorView() = default;
  virtual void showPosition(int position) = 0;
  virtual void refresh() = 0;
  virtual void placeTwips(const QRect& twips) = 0;
  virtual void setShown(bool visible) = 0;
};

// The rich-text editor surface: a document with a selection, page set-up and
// display scale, loaded from and saved to the editor's own format (RTF).
class RichEditor {
 public:
  RichEditor();
  ~RichEditor();
  RichEditor(const RichEditor&) = delete;
  RichEditor& operator=(const RichEditor&) = delete;

  QTextDocument* document() const { return doc_.get(); }
  void attachView(EditorView* view) { view_ = view; }
  EditorView* view() const { return view_; }

  // The whole plain text; paragraph and line ends are CR LF, no-break spaces
  // stay.
  QString text() const;
  void setPlainText(const QString& text);

  // 0-based caret position; setting it collapses the selection.
  int selStart() const;
  void setSelStart(int position);
  int selLength() const;
  void setSelLength(int length);
  QTextCursor selection() const;
  QString selectedText() const;
  // Head marker common to every character of the selection, 0 when none or
  // mixed.
  int selectionAttribute() const;
  // The selection as an RTF document.
  QByteArray selectedRtf() const;

  // Forward search from start; selects and shows the found text. Returns its
  // position or -1. Option 16 (the only one used) means a plain forward search.
  int find(const QString& text, int start, int options = 16);

  // Loads the file's content from the byte offset on (the editor's own format,
  // RTF; a file that is no RTF is taken as Windows-1252 text).
  bool loadFile(const QString& path, qint64 offset = 0);
  // Loads bytes in the editor's own format.
  bool loadBytes(const QByteArray& bytes);
  // Loads a document file (format code 9): RTF, whatever the extension.
  bool loadDocumentFile(const QString& path, int format = 9);
  // Saves the document as RTF (format code 9).
  bool saveFile(const QString& path, int format = 9) const;
  QByteArray toRtf() const;

  void setPageMargins(int left, int top, int right, int bottom);
  int marginLeft() const { return margins_[0]; }
  int marginTop() const { return margins_[1]; }
  int marginRight() const { return margins_[2]; }
  int marginBottom() const { return margins_[3]; }
  void setPageSize(int width, int height);
  int pageWidth() const { return pageWidth_; }
  int pageHeight() const { return pageHeight_; }
  void setZoom(int percent);
  int zoom() const { return zoom_; }
  void redraw();

  // Placement in twips and visibility, through the host window.
  void place(int left, int top, int width, int height);
  QRect placement() const { return placement_; }
  void setVisible(bool visible);
  bool isVisible() const { return visible_; }

 private:
  std::unique_ptr<QTextDocument> doc_;
  EditorView* view_ = nullptr;
  int selStart_ = 0;
  int selLength_ = 0;
  int margins_[4] = {0, 0, 0, 0};
  int pageWidth_ = 0;
  int pageHeight_ = 0;
  int zoom_ = 100;
  QRect placement_;
  bool visible_ = true;
};

}  // namespace qv
