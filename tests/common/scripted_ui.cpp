#include "common/scripted_ui.h"

namespace qv {

ScriptedInteraction::ScriptedInteraction() : previous_(&ui()) { setUi(this); }

ScriptedInteraction::~ScriptedInteraction() { setUi(previous_); }

Answer ScriptedInteraction::messageBox(const MessageBoxRequest& r) {
  shown_.append(Shown{Shown::Kind::Message, r, {}, {}, askingWindow()});
  return messages_.isEmpty() ? defaultAnswer(r) : messages_.dequeue();
}

std::optional<QString> ScriptedInteraction::inputBox(const InputBoxRequest& r) {
  shown_.append(Shown{Shown::Kind::Input, {}, r, {}, askingWindow()});
  return inputs_.isEmpty() ? std::optional<QString>(r.preset) : inputs_.dequeue();
}

QString ScriptedInteraction::openFile(const FileDialogRequest& r) {
  shown_.append(Shown{Shown::Kind::OpenFile, {}, {}, r, askingWindow()});
  return openFiles_.isEmpty() ? QString() : openFiles_.dequeue();
}

QString ScriptedInteraction::saveFile(const FileDialogRequest& r) {
  shown_.append(Shown{Shown::Kind::SaveFile, {}, {}, r, askingWindow()});
  return saveFiles_.isEmpty() ? QString() : saveFiles_.dequeue();
}

QString ScriptedInteraction::chooseFolder(const QString& title, const QString& start) {
  shown_.append(Shown{Shown::Kind::Folder, {}, {}, {title, {}, start, {}}, askingWindow()});
  return folders_.isEmpty() ? QString() : folders_.dequeue();
}

void ScriptedInteraction::setWaitCursor(bool wait) {
  wait_ = wait;
  ++waitChanges_;
}

QList<MessageBoxRequest> ScriptedInteraction::messages() const {
  QList<MessageBoxRequest> out;
  for (const auto& s : shown_)
    if (s.kind == Shown::Kind::Message) out << s.message;
  return out;
}

QList<InputBoxRequest> ScriptedInteraction::inputs() const {
  QList<InputBoxRequest> out;
  for (const auto& s : shown_)
    if (s.kind == Shown::Kind::Input) out << s.input;
  return out;
}

QStringList ScriptedInteraction::messageTexts() const {
  QStringList out;
  for (const auto& m : messages()) out << m.text;
  return out;
}

}  // namespace qv
