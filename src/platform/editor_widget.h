#pragma once

#include <QTextEdit>

#include "platform/richeditor.h"

namespace qv {

// A QTextEdit that shows a RichEditor's document and serves as its view.
class EditorWidget : public QTextEdit, public EditorView {
  Q_OBJECT
 public:
  explicit EditorWidget(RichEditor& editor, QWidget* parent = nullptr);
  ~EditorWidget() override;

  void showPosition(int position) override;
  void refresh() override;
  void placeTwips(const QRect& twips) override;
  void setShown(bool visible) override;

 private:
  RichEditor& editor_;
};

}  // namespace qv
