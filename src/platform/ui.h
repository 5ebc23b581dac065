#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/produkt.h"

// Everything that asks or tells the user goes through this interface, so
// that tests can script the answers and read what was shown.
namespace qv {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Information, Exclamation, Question, Critical };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
  QString text;
  QString title;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  // 0-based index of the default button among the shown buttons.
  int defaultButton = 0;
  bool systemModal = false;
};

struct InputBoxRequest {
  QString prompt;
  QString title;
  QString preset;
};

struct FileDialogRequest {
  QString title;
  // Filter in the form "Beschreibung|*.ext|Andere|*.*".
  QString filter;
  QString initialFolder;
  QString fileName;
};

class UserInteraction {
 public:
  virtual ~UserInteraction() = default;
  virtual Answer messageBox(const MessageBoxRequest& request) = 0;
  // The answer text (possibly empty); nothing when the box was cancelled.
  virtual std::optional<QString> inputBox(const InputBoxRequest& request) = 0;
  // The chosen path; empty when cancelled.
  virtual QString openFile(const FileDialogRequest& request) = 0;
  virtual QString saveFile(const FileDialogRequest& request) = 0;
  virtual QString chooseFolder(const QString& title, const QString& startFolder) = 0;
  virtual void setWaitCursor(bool wait) = 0;
};

// The answer a message box gives when nobody chooses: its default button.
Answer defaultAnswer(const MessageBoxRequest& request);

// Answers every question with its default and cancels every dialog.
class SilentInteraction : public UserInteraction {
 public:
  Answer messageBox(const MessageBoxRequest& r) override { return defaultAnswer(r); }
  std::optional<QString> inputBox(const InputBoxRequest& r) override { return r.preset; }
  QString openFile(const FileDialogRequest&) override { return {}; }
  QString saveFile(const FileDialogRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  void setWaitCursor(bool) override {}
};

// The interaction in use. Without an installed one, a silent default answers
// every question with its default and cancels every dialog.
UserInteraction& ui();
void setUi(UserInteraction* interaction);


// Convenience for the common message forms.
Answer showMessage(const QString& text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
                   const QString& title = kProductName, int defaultButton = 0, bool systemModal = false);

// Turns a filter "Text|*.txt|Alle|*.*" into Qt's form "Text (*.txt);;Alle (*.*)".
// Several patterns "*.doc;*.rtf" become "(*.doc *.rtf)": Qt separates the
// patterns of one filter by blanks, also inside a label that already shows
// them.
QString qtFilter(const QString& filter);

// While alive, every question and dialog belongs to window, the one that
// asks: it is centred on it and keeps that window, not the main window, in
// front. Scopes nest; the innermost one holds.
class AskingWindow {
 public:
  explicit AskingWindow(QObject* window);
  ~AskingWindow();
  AskingWindow(const AskingWindow&) = delete;
  AskingWindow& operator=(const AskingWindow&) = delete;

 private:
  // Guarded: the outer window may close while an inner scope is alive.
  QPointer<QObject> previous_;
};
// The window of the innermost AskingWindow alive; null when there is none
// (or it has gone).
QObject* askingWindow();

}  // namespace qv
