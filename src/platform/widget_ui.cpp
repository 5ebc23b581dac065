#include "platform/widget_ui.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QStandardPaths>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace qv {

// A request belongs to the window that asks: the one named by an
// AskingWindow scope (a document window), else the modal window open on top
// (the student list, a dialog), else the owner, the main window. A dialog
// raises its parent, so a wrong parent would push the asking window behind.
QWidget* WidgetInteraction::parent() const {
  if (auto* asking = qobject_cast<QWidget*>(askingWindow())) {
    QWidget* modal = QApplication::activeModalWidget();
    // A modal dialog opened from the asking window (its print dialog) asks
    // in its own name.
    return modal && asking->isAncestorOf(modal) ? modal : asking->window();
  }
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (owner_) return owner_;
  return QApplication::activeWindow();
}

namespace {
// A dialog without a start folder starts in the user's documents folder, not
// in the working folder (which is the program's folder when started from a
// menu of some desktops).
QString startPath(const FileDialogRequest& r) {
  QString start = r.initialFolder;
  if (start.isEmpty()) {
    start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(start).exists()) start = QDir::homePath();
  }
  if (!r.fileName.isEmpty()) start = start.isEmpty() ? r.fileName : start + QLatin1Char('/') + r.fileName;
  return start;
}
}  // namespace

Answer WidgetInteraction::messageBox(const MessageBoxRequest& r) {
  QMessageBox box(parent());
  box.setWindowTitle(r.title);
  box.setText(QString(r.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  switch (r.icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
  }
  QList<QPair<QAbstractButton*, Answer>> buttons;
  auto add = [&](const QString& caption, QMessageBox::ButtonRole role, Answer a) {
    buttons.append({box.addButton(caption, role), a});
  };
  switch (r.buttons) {
    case Buttons::Ok: add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok); break;
    case Buttons::OkCancel:
      add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok);
      add(QStringLiteral("Abbrechen"), QMessageBox::RejectRole, Answer::Cancel);
      break;
    case Buttons::YesNo:
      add(QStringLiteral("&Ja"), QMessageBox::YesRole, Answer::Yes);
      add(QStringLiteral("&Nein"), QMessageBox::NoRole, Answer::No);
      break;
    case Buttons::YesNoCancel:
      add(QStringLiteral("&Ja"), QMessageBox::YesRole, Answer::Yes);
      add(QStringLiteral("&Nein"), QMessageBox::NoRole, Answer::No);
      add(QStringLiteral("Abbrechen"), QMessageBox::RejectRole, Answer::Cancel);
      break;
  }
  if (r.defaultButton >= 0 && r.defaultButton < buttons.size())
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons[r.defaultButton].first));
  box.setEscapeButton(buttons.last().first);
  if (r.systemModal) box.setWindowModality(Qt::ApplicationModal);
  QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QGuiApplication::restoreOverrideCursor();
  QAbstractButton* clicked = box.clickedButton();
  for (const auto& [b, a] : buttons)
    if (b == clicked) return a;
  // Closed without a button: the escape button's answer.
  return buttons.last().second;
}

std::optional<QString> WidgetInteraction::inputBox(const InputBoxRequest& r) {
  QInputDialog dlg(parent());
  dlg.setWindowTitle(r.title);
  dlg.setLabelText(QString(r.prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  dlg.setTextValue(r.preset);
  dlg.setOkButtonText(QStringLiteral("OK"));
  dlg.setCancelButtonText(QStringLiteral("Abbrechen"));
  QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  const bool ok = dlg.exec() == QDialog::Accepted;
  QGuiApplication::restoreOverrideCursor();
  if (!ok) return std::nullopt;
  return dlg.textValue();
}

QString WidgetInteraction::openFile(const FileDialogRequest& r) {
  return QFileDialog::getOpenFileName(parent(), r.title, startPath(r), qtFilter(r.filter));
}

// The program asks itself before a file is replaced, after adding the
// extension a name typed without one gets.
QString WidgetInteraction::saveFile(const FileDialogRequest& r) {
  return QFileDialog::getSaveFileName(parent(), r.title, startPath(r), qtFilter(r.filter), nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

QString WidgetInteraction::chooseFolder(const QString& title, const QString& startFolder) {
  return QFileDialog::getExistingDirectory(parent(), title, startPath({{}, {}, startFolder, {}}));
}

void WidgetInteraction::setWaitCursor(bool wait) {
  if (wait) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitDepth_;
  } else {
    while (waitDepth_ > 0) {
      QGuiApplication::restoreOverrideCursor();
      --waitDepth_;
    }
  }
}

static double dpi(bool horizontal) {
  const QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return 96.0;
  return horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
}

int twipsToPixels(int twips, bool horizontal) { return qRound(twips * dpi(horizontal) / 1440.0); }
int pixelsToTwips(int pixels, bool horizontal) { return qRound(pixels * 1440.0 / dpi(horizontal)); }

}  // namespace qv
