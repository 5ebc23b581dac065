#include "platform/editor_widget.h"

#include "platform/widget_ui.h"

namespace qv {

EditorWidget::EditorWidget(RichEditor& editor, QWidget* parent) : QTextEdit(parent), editor_(editor) {
  setDocument(editor_.document());
  editor_.attachView(this);
}

EditorWidget::~EditorWidget() {
  if (editor_.view() == this) editor_.attachView(nullptr);
}

void EditorWidget::showPosition(int position) {
  QTextCursor c(document());
  c.setPosition(position);
  c.setPosition(position + editor_.selLength(), QTextCursor::KeepAnchor);
  setTextCursor(c);
  ensureCursorVisible();
}

void EditorWidget::refresh() { viewport()->update(); }

void EditorWidget::placeTwips(const QRect& twips) {
  setGeometry(twipsToPixels(twips.left()), twipsToPixels(twips.top(), false), twipsToPixels(twips.width()),
              twipsToPixels(twips.height(), false));
}

void EditorWidget::setShown(bool visible) { setVisible(visible); }

}  // namespace qv
