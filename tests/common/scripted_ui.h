#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <variant>

#include "platform/ui.h"

namespace qv {

// A user interaction for tests: records every request and plays back
// prepared answers in order. A request without a prepared answer of its kind
// gets the silent default (default button, preset text, cancelled dialog);
// cancelInput plays back "Abbrechen" in an input box.
// It is the program's user interaction while alive; then the one before is.
class ScriptedInteraction final : public UserInteraction {
 public:
  struct Shown {
    enum class Kind { Message, Input, OpenFile, SaveFile, Folder } kind;
    MessageBoxRequest message;
    InputBoxRequest input;
    FileDialogRequest file;  // a folder dialog: its title and start folder
    QObject* owner = nullptr;  // the asking window at the time (askingWindow())
  };

  ScriptedInteraction();
  ~ScriptedInteraction() override;

  void answerMessage(Answer a) { messages_.enqueue(a); }
  void answerInput(const QString& text) { inputs_.enqueue(text); }
  void cancelInput() { inputs_.enqueue(std::nullopt); }
  void answerOpenFile(const QString& path) { openFiles_.enqueue(path); }
  void answerSaveFile(const QString& path) { saveFiles_.enqueue(path); }
  void answerFolder(const QString& path) { folders_.enqueue(path); }

  Answer messageBox(const MessageBoxRequest& request) override;
  std::optional<QString> inputBox(const InputBoxRequest& request) override;
  QString openFile(const FileDialogRequest& request) override;
  QString saveFile(const FileDialogRequest& request) override;
  QString chooseFolder(const QString& title, const QString& startFolder) override;
  void setWaitCursor(bool wait) override;

  const QList<Shown>& shown() const { return shown_; }
  QList<MessageBoxRequest> messages() const;
  QList<InputBoxRequest> inputs() const;
  QStringList messageTexts() const;
  bool waitCursor() const { return wait_; }
  int waitCursorChanges() const { return waitChanges_; }
  void clear() { shown_.clear(); }

 private:
  UserInteraction* previous_;
  QQueue<Answer> messages_;
  QQueue<std::optional<QString>> inputs_;
  QQueue<QString> openFiles_, saveFiles_, folders_;
  QList<Shown> shown_;
  bool wait_ = false;
  int waitChanges_ = 0;
};

}  // namespace qv
