#include "word/frmablueckewa.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/variablen.h"
#include "platform/widget_ui.h"
#include "word/ausgabeoptionen.h"

namespace qv {

frmABLueckeWA::frmABLueckeWA(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmABLueckeWA"));
  setWindowTitle(QStringLiteral("Ausgabeform"));
  setAttribute(Qt::WA_DeleteOnClose, false);

  tabRegister_ = new QTabWidget(this);
  auto* page = new QWidget;
  fraEigenschaften_ = new QGroupBox(QStringLiteral("Ausgabe"), page);
  auto* frameLayout = new QVBoxLayout(fraEigenschaften_);
  for (int i = 0; i < 4; ++i) {
    opt_[i] = new QRadioButton(kAusgabeCaptions[i], fraEigenschaften_);
    opt_[i]->setObjectName(QStringLiteral("optAusgabe%1").arg(i));
    frameLayout->addWidget(opt_[i]);
    connect(opt_[i], &QRadioButton::toggled, this, [i](bool on) {
      if (on) gWortliste = static_cast<int16_t>(i + 1);
    });
  }
  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addWidget(fraEigenschaften_);
  tabRegister_->addTab(page, QStringLiteral("Einstellungen"));

  erstellen_ = new QPushButton(QStringLiteral("Erstellen"), this);
  abbrechen_ = new QPushButton(QStringLiteral("Abbrechen"), this);
  erstellen_->setDefault(true);
  erstellen_->setAutoDefault(true);
  connect(erstellen_, &QPushButton::clicked, this, [this] {
    gDialogErgebnis = 1;
    accept();
  });
  connect(abbrechen_, &QPushButton::clicked, this, &QDialog::reject);  // Escape and the close box too

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(erstellen_);
  buttons->addWidget(abbrechen_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabRegister_);
  layout->addLayout(buttons);

  setFixedWidth(std::max(twipsToPixels(3480), sizeHint().width()));

  const AusgabeOptionen o = AusgabeOptionenFuer(gUebungstyp, gDetails);
  for (int i = 0; i < 4; ++i) opt_[i]->setEnabled(o.enabled[i]);
  opt_[o.selected]->setChecked(true);
  gWortliste = static_cast<int16_t>(o.selected + 1);
}

void frmABLueckeWA::ShowFor(QWidget* owner) {
  frmABLueckeWA dlg(owner);
  dlg.exec();
}

}  // namespace qv
