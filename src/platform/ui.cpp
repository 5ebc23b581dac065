#include "platform/ui.h"

#include <QPointer>

namespace qv {

Answer defaultAnswer(const MessageBoxRequest& r) {
  switch (r.buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return r.defaultButton == 1 ? Answer::Cancel : Answer::Ok;
    case Buttons::YesNo: return r.defaultButton == 1 ? Answer::No : Answer::Yes;
    case Buttons::YesNoCancel:
      return r.defaultButton == 2 ? Answer::Cancel : r.defaultButton == 1 ? Answer::No : Answer::Yes;
  }
  return Answer::Ok;
}

namespace {

UserInteraction* current = nullptr;
QPointer<QObject> asking;

}  // namespace

UserInteraction& ui() {
  static SilentInteraction silent;
  return current ? *current : silent;
}

void setUi(UserInteraction* interaction) { current = interaction; }

Answer showMessage(const QString& text, Icon icon, Buttons buttons, const QString& title, int defaultButton,
                   bool systemModal) {
  MessageBoxRequest r;
  r.text = text;
  r.title = title;
  r.icon = icon;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  r.systemModal = systemModal;
  return ui().messageBox(r);
}

QString qtFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString label = parts[i].trimmed();
    const QString pattern = parts[i + 1].trimmed();
    const QString qtPatterns = QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt reads the patterns from the last parentheses of the label; a label
    // that shows the patterns without them, or separated by ";", is given
    // Qt's form in their place.
    if (label.contains(QStringLiteral("(") + pattern + QLatin1Char(')')))
      label.replace(QStringLiteral("(") + pattern + QLatin1Char(')'), QStringLiteral("(") + qtPatterns + QLatin1Char(')'));
    else if (label.endsWith(pattern))
      label = label.chopped(pattern.size()).trimmed() + QStringLiteral(" (") + qtPatterns + QLatin1Char(')');
    else
      label += QStringLiteral(" (") + qtPatterns + QLatin1Char(')');
    out << label;
  }
  return out.join(QStringLiteral(";;"));
}

AskingWindow::AskingWindow(QObject* window) : previous_(asking) { asking = window; }

AskingWindow::~AskingWindow() { asking = previous_; }

QObject* askingWindow() { return asking; }

}  // namespace qv
