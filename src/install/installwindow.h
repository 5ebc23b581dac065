#pragma once

#include <QDialog>

#include "installcore.h"

class QLabel;
class QPushButton;

namespace qvinstall {

// Message boxes of the installer window.
class WidgetDialogs final : public Dialogs {
 public:
  explicit WidgetDialogs(QWidget* owner) : owner_(owner) {}
  void tell(const QString& text, const QString& title, Icon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  void setWaitCursor(bool wait) override;

 private:
  QWidget* owner_;
  bool waiting_ = false;
};

// The installer's one window: picture, the explanatory text and the buttons
// "Installieren" (Enter) and "Abbrechen" (Escape). Either button closes it.
class frmInstall : public QDialog {
  Q_OBJECT
 public:
  // dialogs null: message boxes on this window.
  explicit frmInstall(const QString& installerFolder, Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
  ~frmInstall() override;

  QPushButton* cmdButton[2] = {};
  QLabel* lblText = nullptr;
  QLabel* picLogo = nullptr;
  // The result of the last installation run.
  const Result& lastResult() const { return result_; }
  bool installed() const { return ran_; }

 private:
  void installieren();

  QString installerFolder_;
  Dialogs* dialogs_;
  WidgetDialogs ownDialogs_;
  Result result_;
  bool ran_ = false;
};

}  // namespace qvinstall
