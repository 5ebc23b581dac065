#pragma once

#include <QDialog>

#include "platform/richeditor.h"

namespace qv {

class EditorWidget;

// The quick guide viewer: one editor over the whole window.
class frmAnleitung : public QDialog {
  Q_OBJECT
 public:
  explicit frmAnleitung(QWidget* owner = nullptr);
  ~frmAnleitung() override;

  RichEditor& anleitung() { return editor_; }
  EditorWidget* txtAnleitung() const { return txtAnleitung_; }

  // Loads a document into the viewer, shown from its beginning.
  bool lade(const QString& path);
  // The quick guide document shipped with the program.
  static QString anleitungPath();
  // Loads the quick guide and shows the window modally over owner; does
  // nothing when the document is missing. Returns whether it was shown.
  static bool zeige(QWidget* owner);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  RichEditor editor_;
  EditorWidget* txtAnleitung_ = nullptr;
};

}  // namespace qv
