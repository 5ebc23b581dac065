#include "platform/richeditor.h"

#include "platform/filehelper.h"

#include <QFile>
#include <QTextBlock>
#include <QTextLength>

#include "platform/rtf.h"
#include "platform/textfile.h"

namespace qv {

void setBottomRule(QTextBlockFormat& format, int style, int width, int color, double distance) {
  format.setProperty(kBottomBorderStyleProperty, style);
  format.setProperty(kBottomBorderWidthProperty, width);
  format.setProperty(kBottomBorderColorProperty, color);
  format.setProperty(kBottomBorderDistanceProperty, distance);
  if (style != 0)
    format.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, QTextLength(QTextLength::PercentageLength, 100));
}

RichEditor::RichEditor() : doc_(std::make_unique<QTextDocument>()) {}
RichEditor::~RichEditor() = default;

QString RichEditor::text() const {
  QString raw = doc_->toRawText();
  QString out;
  out.reserve(raw.size() + raw.size() / 16);
  for (QChar c : raw) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) out += QStringLiteral("\r\n");
    else if (c.unicode() != 0xFFFC) out += c;  // objects (pictures) carry no text
  }
  return out;
}

void RichEditor::setPlainText(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  doc_->setPlainText(t);
  selStart_ = selLength_ = 0;
}

static int clampPos(const QTextDocument* d, int p) {
  const int last = d->characterCount() - 1;
  return std::clamp(p, 0, std::max(0, last));
}

int RichEditor::selStart() const { return selStart_; }

void RichEditor::setSelStart(int position) {
  selStart_ = clampPos(doc_.get(), position);
  selLength_ = 0;
}

int RichEditor::selLength() const { return selLength_; }

void RichEditor::setSelLength(int length) {
  selLength_ = std::max(0, clampPos(doc_.get(), selStart_ + length) - selStart_);
}

QTextCursor RichEditor::selection() const {
  QTextCursor c(doc_.get());
  c.setPosition(selStart_);
  c.setPosition(selStart_ + selLength_, QTextCursor::KeepAnchor);
  return c;
}

QString RichEditor::selectedText() const { return selection().selectedText(); }

int RichEditor::selectionAttribute() const {
  if (selLength_ <= 0) return 0;
  int value = -1;
  QTextCursor c(doc_.get());
  for (int p = selStart_; p < selStart_ + selLength_; ++p) {
    c.setPosition(p + 1);
    const int v = c.charFormat().intProperty(kHeadMarkerProperty);
    if (value < 0) value = v;
    else if (value != v) return 0;
  }
  return value < 0 ? 0 : value;
}

QByteArray RichEditor::selectedRtf() const { return rtf::writeRange(*doc_, selStart_, selStart_ + selLength_); }

int RichEditor::find(const QString& text, int start, int /*options*/) {
  if (text.isEmpty()) return -1;
  const QTextCursor found = doc_->find(text, clampPos(doc_.get(), start));
  if (found.isNull()) return -1;
  selStart_ = found.selectionStart();
  selLength_ = found.selectionEnd() - found.selectionStart();
  if (view_) view_->showPosition(selStart_);
  return selStart_;
}

bool RichEditor::loadFile(const QString& path, qint64 offset) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  if (offset > 0 && !f.seek(offset)) return false;
  return loadBytes(f.readAll());
}

bool RichEditor::loadBytes(const QByteArray& bytes) {
  bool ok = true;
  if (rtf::looksLikeRtf(bytes)) {
    ok = rtf::read(bytes, *doc_);
  } else {
    setPlainText(textfile::decode(bytes));
  }
  selStart_ = selLength_ = 0;
  redraw();
  return ok;
}

bool RichEditor::loadDocumentFile(const QString& path, int /*format*/) { return loadFile(path, 0); }

bool RichEditor::saveFile(const QString& path, int /*format*/) const { return files::saveWhole(path, toRtf()); }

QByteArray RichEditor::toRtf() const { return rtf::write(*doc_); }

void RichEditor::setPageMargins(int left, int top, int right, int bottom) {
  margins_[0] = left;
  margins_[1] = top;
  margins_[2] = right;
  margins_[3] = bottom;
}

void RichEditor::setPageSize(int width, int height) {
  pageWidth_ = width;
  pageHeight_ = height;
}

void RichEditor::setZoom(int percent) {
  zoom_ = percent;
  if (view_) view_->refresh();
}

void RichEditor::redraw() {
  if (view_) view_->refresh();
}

void RichEditor::place(int left, int top, int width, int height) {
  placement_ = QRect(left, top, width, height);
  if (view_) view_->placeTwips(placement_);
}

void RichEditor::setVisible(bool visible) {
  visible_ = visible;
  if (view_) view_->setShown(visible);
}

}  // namespace qv
