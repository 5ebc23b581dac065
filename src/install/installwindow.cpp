#include "installwindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace qvinstall {

void WidgetDialogs::tell(const QString& text, const QString& title, Icon icon) {
  QMessageBox box(icon == Icon::Exclamation   ? QMessageBox::Warning
                  : icon == Icon::Question    ? QMessageBox::Question
                                              : QMessageBox::Information,
                  title, text, QMessageBox::Ok, owner_);
  box.exec();
}

bool WidgetDialogs::askYesNo(const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, owner_);
  box.setDefaultButton(QMessageBox::Yes);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
  box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
  return box.exec() == QMessageBox::Yes;
}

void WidgetDialogs::setWaitCursor(bool wait) {
  if (wait == waiting_) return;
  waiting_ = wait;
  if (wait)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::restoreOverrideCursor();
}

frmInstall::frmInstall(const QString& installerFolder, Dialogs* dialogs, QWidget* parent)
    : QDialog(parent), installerFolder_(installerFolder), dialogs_(dialogs), ownDialogs_(this) {
  if (!dialogs_) dialogs_ = &ownDialogs_;
  setWindowTitle(kWindowTitle);

  picLogo = new QLabel(this);
  picLogo->setObjectName(QStringLiteral("picLogo"));
  for (const QString& candidate :
       {QDir(installerFolder).filePath(QStringLiteral("quillbee-vodedarivo.png")),
        QDir(installerFolder).filePath(QStringLiteral("../share/quillbee-vodedarivo/quillbee-vodedarivo.png"))}) {
    if (QFileInfo(candidate).isFile()) {
      picLogo->setPixmap(QPixmap(candidate).scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
      break;
    }
  }
  picLogo->setFixedSize(96, 96);
  // Without its picture the area would only be an empty gap beside the text.
  picLogo->setVisible(!picLogo->pixmap().isNull());

  auto* fraText = new QFrame(this);
  fraText->setObjectName(QStringLiteral("fraText"));
  fraText->setFrameShape(QFrame::StyledPanel);
  lblText = new QLabel(fraText);
  lblText->setObjectName(QStringLiteral("lblText"));
  lblText->setWordWrap(true);
  // The label shows CR LF as line breaks.
  lblText->setText(introText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  auto* fraLayout = new QVBoxLayout(fraText);
  fraLayout->addWidget(lblText);

  cmdButton[1] = new QPushButton(QStringLiteral("Installieren"), this);
  cmdButton[0] = new QPushButton(QStringLiteral("Abbrechen"), this);
  cmdButton[1]->setDefault(true);
  cmdButton[1]->setAutoDefault(true);
  cmdButton[0]->setAutoDefault(false);
  connect(cmdButton[1], &QPushButton::clicked, this, &frmInstall::installieren);
  // Escape rejects the dialog, which is the same as "Abbrechen".
  connect(cmdButton[0], &QPushButton::clicked, this, &QDialog::reject);

  auto* top = new QHBoxLayout;
  top->addWidget(picLogo, 0, Qt::AlignTop);
  top->addWidget(fraText, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdButton[1]);
  buttons->addWidget(cmdButton[0]);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  resize(520, 240);
}

frmInstall::~frmInstall() = default;

void frmInstall::installieren() {
  ran_ = true;
  result_ = runInstallation(*dialogs_, installerFolder_, userTemplatesFolder());
  accept();
}

}  // namespace qvinstall
