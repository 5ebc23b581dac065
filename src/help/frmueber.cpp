#include "help/frmueber.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "platform/filehelper.h"
#include "platform/ui.h"
#include "version.h"
#include "platform/produkt.h"

namespace qv {

namespace {

frmUeber::Starter& starter() {
  static frmUeber::Starter s = [](const QString& program) { return QProcess::startDetached(program, {}); };
  return s;
}

}  // namespace

void frmUeber::setStarter(Starter s) {
  starter() = s ? std::move(s) : [](const QString& program) { return QProcess::startDetached(program, {}); };
}

frmUeber::frmUeber(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Info zu ") + kProductName);

  picIcon = new QLabel(this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  const QString icon = files::dataFile(QStringLiteral("quillbee-vodedarivo.png"));
  if (files::FileExists(icon))
    picIcon->setPixmap(QPixmap(icon).scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  picIcon->setFixedSize(64, 64);
  picIcon->setVisible(!picIcon->pixmap().isNull());

  lblTitle = new QLabel(kProductName, this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont big = lblTitle->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  lblTitle->setFont(big);

  lblVersion = new QLabel(QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision),
                          this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));

  lblDescription = new QLabel(this);
  lblDescription->setObjectName(QStringLiteral("lblDescription"));
  lblDescription->setWordWrap(true);
  const QString description = QStringLiteral("Quillbee-Vodedarivo ist ein Tool zur Erstellung von ") +
                              QStringLiteral("interaktiven Übungen als Wordformular oder HTML-Seite.") +
                              QStringLiteral("\r\n\r\n") + QStringLiteral("Aktuelle Vorlage: ") + kTemplateName;
  lblDescription->setText(QString(description).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

  lblRight = new QLabel(QStringLiteral("Alle Rechte beim Quillbee-Team."), this);
  lblRight->setObjectName(QStringLiteral("lblRight"));
  lblRight->setWordWrap(true);

  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  cmdSysInfo = new QPushButton(QStringLiteral("&Systeminfo..."), this);
  cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
  cmdSysInfo->setAutoDefault(false);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdSysInfo, &QPushButton::clicked, this, [] { StartSysInfo(); });

  auto* texts = new QVBoxLayout;
  texts->addWidget(lblTitle);
  texts->addWidget(lblVersion);
  texts->addSpacing(8);
  texts->addWidget(lblDescription);
  texts->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(picIcon, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblRight, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdSysInfo);
  bottom->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(bottom);
  resize(460, 260);
}

QStringList frmUeber::sysInfoCandidates() {
  QStringList list;
  const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
  if (desktop.contains(QStringLiteral("KDE"))) list << QStringLiteral("kinfocenter");
  if (desktop.contains(QStringLiteral("GNOME")) || desktop.contains(QStringLiteral("UNITY")))
    list << QStringLiteral("gnome-system-monitor");
  if (desktop.contains(QStringLiteral("XFCE"))) list << QStringLiteral("xfce4-taskmanager");
  if (desktop.contains(QStringLiteral("MATE"))) list << QStringLiteral("mate-system-monitor");
  if (desktop.contains(QStringLiteral("LXQT"))) list << QStringLiteral("qps");
  for (const char* name : {"hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor", "mate-system-monitor",
                           "xfce4-taskmanager", "plasma-systemmonitor", "ksysguard", "lxtask", "qps"}) {
    const QString n = QString::fromLatin1(name);
    if (!list.contains(n)) list << n;
  }
  return list;
}

QString frmUeber::findSysInfoProgram() {
  for (const QString& name : sysInfoCandidates()) {
    const QString path = QStandardPaths::findExecutable(name);
    if (!path.isEmpty()) return path;
  }
  return {};
}

void frmUeber::StartSysInfo() {
  const QString program = findSysInfoProgram();
  if (program.isEmpty() || !starter()(program))
    showMessage(QStringLiteral("Systeminformationen sind momentan nicht verfügbar"), Icon::None, Buttons::Ok);
}

}  // namespace qv
