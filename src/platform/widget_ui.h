#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ui.h"


namespace qv {

// The user interaction on Qt widgets: message boxes, input boxes, file and
// folder dialogs and the wait cursor.
class WidgetInteraction final : public UserInteraction {
 public:
  explicit WidgetInteraction(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  Answer messageBox(const MessageBoxRequest& request) override;
  std::optional<QString> inputBox(const InputBoxRequest& request) override;
  QString openFile(const FileDialogRequest& request) override;
  QString saveFile(const FileDialogRequest& request) override;
  QString chooseFolder(const QString& title, const QString& startFolder) override;
  void setWaitCursor(bool wait) override;

 private:
  QWidget* parent() const;
  QPointer<QWidget> owner_;
  int waitDepth_ = 0;
};

// Pixels for a length in twips (1/1440 inch) at the screen's logical DPI.
int twipsToPixels(int twips, bool horizontal = true);
int pixelsToTwips(int pixels, bool horizontal = true);

}  // namespace qv
