#include "students/frmschuelerliste.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/widget_ui.h"

namespace qv {

namespace {
int tw(int t, bool h = true) { return twipsToPixels(t, h); }
}

frmSchuelerListe::frmSchuelerListe(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Schülerliste"));
  auto* l1 = new QLabel(QStringLiteral("Quelldatei"), this);
  l1->setGeometry(tw(555), tw(120, false), tw(870), tw(195, false));
  auto* l2 = new QLabel(QStringLiteral("Zielverzeichnis"), this);
  l2->setGeometry(tw(135), tw(480, false), tw(1290), tw(195, false));
  txtQuelle = new QLineEdit(this);
  txtQuelle->setGeometry(tw(1560), tw(120, false), tw(5535), tw(285, false));
  txtBasisverzeichnis = new QLineEdit(this);
  txtBasisverzeichnis->setGeometry(tw(1560), tw(480, false), tw(5535), tw(285, false));
  cmdOpenQuelle[1] = new QPushButton(QStringLiteral("..."), this);
  cmdOpenQuelle[1]->setGeometry(tw(6720), tw(120, false), tw(375), tw(315, false));
  cmdOpenQuelle[2] = new QPushButton(QStringLiteral("..."), this);
  cmdOpenQuelle[2]->setGeometry(tw(6720), tw(480, false), tw(375), tw(315, false));
  lstListe = new QTreeWidget(this);
  lstListe->setRootIsDecorated(false);
  lstListe->setToolTip(QStringLiteral(" Änderungen durch Doppelklick  "));
  lstListe->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Schüler"), QStringLiteral("Verzeichnis"),
                             QStringLiteral("Dateiname"), QStringLiteral("Rechnername")});
  const int widths[5] = {700, 2000, 2000, 3000, 0};
  for (int i = 0; i < 5; ++i) lstListe->setColumnWidth(i, tw(widths[i]));
  leiste_ = new QWidget(this);
  leiste_->resize(tw(7875), tw(855, false));
  const char* captions[5] = {"Schülerliste öffnen...", "Schülerliste speichern", "Dateinamen erzeugen",
                             "Übungen duplizieren", "Zurück zum Hauptprogramm"};
  const int lefts[5] = {0, 1560, 3150, 4725, 6300};
  for (int i = 0; i < 5; ++i) {
    cmdButton[i] = new QPushButton(QString::fromUtf8(captions[i]), leiste_);
    cmdButton[i]->setGeometry(tw(lefts[i]), 0, tw(1455), tw(855, false));
    cmdButton[i]->setAutoDefault(false);
  }
  cmdButton[0]->setToolTip(QStringLiteral("Schülerliste laden ..."));
  cmdButton[0]->setDefault(true);

  connect(cmdButton[0], &QPushButton::clicked, this, [this] { uebernehme(); liste_.LadeSchuelerliste(); zeigeListe(); });
  connect(cmdButton[1], &QPushButton::clicked, this, [this] { if (liste_.pruefeListe()) liste_.SpeichereSchuelerliste(); });
  connect(cmdButton[2], &QPushButton::clicked, this, [this] { if (liste_.pruefeListe()) { uebernehme(); liste_.ErzeugeDateinamen(); zeigeListe(); } });
  connect(cmdButton[3], &QPushButton::clicked, this, [this] {
    if (!liste_.pruefeListe()) return;
    uebernehme();
    liste_.DupliziereUebungen();
    zeigeListe();
    if (liste_.focusQuelle) txtQuelle->setFocus();
  });
  connect(cmdButton[4], &QPushButton::clicked, this, &QDialog::reject);
  connect(cmdOpenQuelle[1], &QPushButton::clicked, this, [this] { uebernehme(); liste_.WaehleQuelle(); zeigeListe(); });
  connect(cmdOpenQuelle[2], &QPushButton::clicked, this, [this] { uebernehme(); liste_.WaehleVerzeichnis(); zeigeListe(); });
  connect(txtQuelle, &QLineEdit::editingFinished, this, [this] { uebernehme(); liste_.VerlasseQuelle(); zeigeListe(); });
  connect(txtBasisverzeichnis, &QLineEdit::editingFinished, this, [this] { uebernehme(); liste_.VerlasseVerzeichnis(); zeigeListe(); });
  connect(lstListe, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* it) { klick(lstListe->indexOfTopLevelItem(it)); });
  connect(lstListe, &QTreeWidget::itemDoubleClicked, this, [this] { doppelklick(); });
  connect(lstListe, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* it, int col) {
    const int i = lstListe->indexOfTopLevelItem(it);
    if (col == 0 && i >= 0 && i < liste_.rows.size()) liste_.rows[i].checked = it->checkState(0) == Qt::Checked;
  });

  liste_.LeseIni();
  zeigeListe();
  resize(tw(8500), tw(5000, false));
}

void frmSchuelerListe::uebernehme() {
  liste_.txtQuelle = txtQuelle->text();
  liste_.txtBasisverzeichnis = txtBasisverzeichnis->text();
}

void frmSchuelerListe::zeigeListe() {
  const QSignalBlocker block(lstListe);
  lstListe->clear();
  for (const auto& z : liste_.rows) {
    auto* it = new QTreeWidgetItem({z.ID, z.Name, z.Verzeichnis, z.Dateiname, z.Rechnername});
    it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
    it->setCheckState(0, z.checked ? Qt::Checked : Qt::Unchecked);
    lstListe->addTopLevelItem(it);
  }
  txtQuelle->setText(liste_.txtQuelle);
  txtBasisverzeichnis->setText(liste_.txtBasisverzeichnis);
  cmdButton[3]->setEnabled(liste_.duplizierenEnabled);
  setWindowTitle(liste_.title);
}

void frmSchuelerListe::klick(int row) {
  if (row < 0 || row >= liste_.rows.size()) return;
  gemerkt_ = liste_.rows[row].ID.toInt();
  liste_.title = liste_.rows[row].Name;
  setWindowTitle(liste_.title);
}

void frmSchuelerListe::doppelklick() {
  if (liste_.rows.isEmpty()) {
    gemerkt_ = 1;
    SchuelerZeile z;
    z.ID = QStringLiteral("1");
    z.checked = false;
    z.hasKey = false;
    liste_.rows.append(z);
    gSchueler = {SchuelerDaten{}};
  }
  const int i = gemerkt_ > 0 ? liste_.indexOfId(gemerkt_) : -1;
  SchuelerZeile dummy;
  SchuelerZeile& z = i >= 0 ? liste_.rows[i] : dummy;
  SchuelerDaten* d = (gemerkt_ >= 1 && gemerkt_ <= gSchueler.size()) ? &gSchueler[gemerkt_ - 1] : nullptr;
  auto frage = [&](const char* prompt, QString& col, QString SchuelerDaten::*field) {
    const QString a = ui().inputBox({QString::fromUtf8(prompt), kProductName, i >= 0 ? col : QString()});
    if (a.isEmpty() || i < 0) return;
    col = a;
    if (d) d->*field = a;
  };
  frage("Bitte den Namen eingeben:", z.Name, &SchuelerDaten::Name);
  frage("Bitte das Standardverzeichnis eingeben:", z.Verzeichnis, &SchuelerDaten::Verzeichnis);
  frage("Bitte den Dateinamen eingeben:", z.Dateiname, &SchuelerDaten::Dateiname);
  frage("Bitte den Benutzernamen eingeben (optional):", z.Rechnername, &SchuelerDaten::Rechnername);
  liste_.sortRows();
  zeigeListe();
}

void frmSchuelerListe::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  if (isMinimized()) return;
  const int minH = tw(3000, false), minW = leiste_->width() + tw(120);
  if (height() < minH || width() < minW) {
    resize(qMax(width(), minW), qMax(height(), minH));
    return;
  }
  const int w = width(), h = height();
  const int fw = w - txtQuelle->x() - tw(120);
  txtQuelle->resize(fw, txtQuelle->height());
  txtBasisverzeichnis->resize(fw, txtBasisverzeichnis->height());
  const int bl = txtQuelle->x() + fw - cmdOpenQuelle[1]->width();
  cmdOpenQuelle[1]->move(bl, cmdOpenQuelle[1]->y());
  cmdOpenQuelle[2]->move(bl, cmdOpenQuelle[2]->y());
  const int top = txtBasisverzeichnis->y() + txtBasisverzeichnis->height() + tw(60, false);
  lstListe->setGeometry(tw(60), top, w - tw(120), h - leiste_->height() - top - tw(120, false));
  leiste_->move(tw(60), h - leiste_->height() - tw(60, false));
  const int rest = lstListe->width() - lstListe->columnWidth(0) - lstListe->columnWidth(1) - tw(60);
  lstListe->setColumnWidth(2, int(0.4 * rest));
  lstListe->setColumnWidth(3, int(0.4 * rest));
  lstListe->setColumnWidth(4, int(0.2 * rest));
}

// Escape presses the window's cancel button "Zurück zum Hauptprogramm", so
// that it does exactly what a click on that button does.
void frmSchuelerListe::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    cmdButton[4]->click();
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void frmSchuelerListe::closeEvent(QCloseEvent* e) { QDialog::closeEvent(e); }

void frmSchuelerListe::done(int r) {
  uebernehme();
  liste_.SchreibeIni();
  QDialog::done(r);
}

}  // namespace qv
