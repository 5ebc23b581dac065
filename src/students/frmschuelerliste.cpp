#include "students/frmschuelerliste.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/widget_ui.h"

namespace qv {

namespace {
int tw(int t, bool h = true) { return twipsToPixels(t, h); }
}

frmSchuelerListe::frmSchuelerListe(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Schülerliste"));
  // The design lengths in twips are minimums: labels, fields and buttons
  // grow to what their texts need in the desktop's font.
  auto* l1 = new QLabel(QStringLiteral("Quelldatei"), this);
  l1->setMinimumSize(tw(870), tw(195, false));
  auto* l2 = new QLabel(QStringLiteral("Zielverzeichnis"), this);
  l2->setObjectName(QStringLiteral("lblVerzeichnis"));
  l2->setMinimumSize(tw(1290), tw(195, false));
  txtQuelle = new QLineEdit(this);
  txtBasisverzeichnis = new QLineEdit(this);
  // Each choose button sits at the right end of its field, inside it; the
  // field's text stops short of it.
  for (int i : {1, 2}) {
    QLineEdit* field = i == 1 ? txtQuelle : txtBasisverzeichnis;
    field->setMinimumHeight(tw(285, false));
    cmdOpenQuelle[i] = new QPushButton(QStringLiteral("..."), field);
    cmdOpenQuelle[i]->setCursor(Qt::ArrowCursor);
    cmdOpenQuelle[i]->setAutoDefault(false);
    cmdOpenQuelle[i]->setFixedWidth(std::max(tw(375), cmdOpenQuelle[i]->fontMetrics().horizontalAdvance(
                                                          QStringLiteral("...")) + tw(150)));
    cmdOpenQuelle[i]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    auto* inField = new QHBoxLayout(field);
    inField->setContentsMargins(0, 0, 0, 0);
    inField->addStretch(1);
    inField->addWidget(cmdOpenQuelle[i]);
    field->setTextMargins(0, 0, cmdOpenQuelle[i]->width(), 0);
  }
  lstListe = new QTreeWidget(this);
  lstListe->setRootIsDecorated(false);
  lstListe->setToolTip(QStringLiteral(" Änderungen durch Doppelklick  "));
  lstListe->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Schüler"), QStringLiteral("Verzeichnis"),
                             QStringLiteral("Dateiname"), QStringLiteral("Rechnername")});
  const int widths[5] = {700, 2000, 2000, 3000, 0};
  for (int i = 0; i < 5; ++i) lstListe->setColumnWidth(i, tw(widths[i]));
  lstListe->viewport()->installEventFilter(this);
  lstListe->installEventFilter(this);

  leiste_ = new QWidget(this);
  auto* bar = new QHBoxLayout(leiste_);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(tw(105));
  const char* captions[5] = {"Schülerliste öffnen...", "Schülerliste speichern", "Dateinamen erzeugen",
                             "Übungen duplizieren", "Zurück zum Hauptprogramm"};
  for (int i = 0; i < 5; ++i) {
    cmdButton[i] = new QPushButton(QString::fromUtf8(captions[i]), leiste_);
    cmdButton[i]->setMinimumSize(cmdButton[i]->sizeHint().expandedTo(QSize(tw(1455), tw(855, false))));
    cmdButton[i]->setAutoDefault(false);
    bar->addWidget(cmdButton[i]);
  }
  bar->addStretch(1);
  leiste_->setMinimumWidth(std::max(tw(7875), bar->minimumSize().width()));
  cmdButton[0]->setToolTip(QStringLiteral("Schülerliste laden ..."));
  cmdButton[0]->setDefault(true);

  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(tw(135));
  fields->setVerticalSpacing(tw(75, false));
  fields->addWidget(l1, 0, 0);
  fields->addWidget(txtQuelle, 0, 1);
  fields->addWidget(l2, 1, 0);
  fields->addWidget(txtBasisverzeichnis, 1, 1);
  l1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(tw(60), tw(120, false), tw(60), tw(60, false));
  layout->setSpacing(tw(60, false));
  layout->addLayout(fields);
  layout->addWidget(lstListe, 1);
  layout->addWidget(leiste_);

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
  connect(lstListe, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* it) { klick(lstListe->indexOfTopLevelItem(it)); });
  connect(lstListe, &QTreeWidget::itemDoubleClicked, this, [this] { doppelklick(); });
  connect(lstListe, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* it, int col) {
    const int i = lstListe->indexOfTopLevelItem(it);
    if (col == 0 && i >= 0 && i < liste_.rows.size()) liste_.rows[i].checked = it->checkState(0) == Qt::Checked;
  });
  fokus_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { fokusWechsel(now); });
  // The title of a distribution run shows while the run goes on.
  liste_.titleChanged = [this](const QString& t) {
    setWindowTitle(t);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };

  liste_.LeseIni();
  zeigeListe();
  // Lower than 3000 twips springs back to 3000; the width never goes below
  // what the button bar needs.
  setMinimumHeight(std::max(tw(3000, false), layout->totalMinimumSize().height()));
  resize(tw(8500), tw(5000, false));
}

frmSchuelerListe::~frmSchuelerListe() {
  // Hiding the window on its way out moves the focus; the list is gone by
  // then, so no field check may run.
  disconnect(fokus_);
  lstListe->viewport()->removeEventFilter(this);
  lstListe->removeEventFilter(this);
  liste_.titleChanged = nullptr;
}

// The field checks run when the teacher leaves a field for another control
// of this window, also when the focus comes back to the window on another
// control than the field. A dialog on top or the window's closing takes the
// focus away without leaving the field, and Enter presses the default button.
void frmSchuelerListe::fokusWechsel(QWidget* now) {
  if (!now || now->window() != this) return;
  if (QLineEdit* left = verlassen_; left && now != left) {
    verlassen_ = nullptr;
    uebernehme();
    if (left == txtQuelle)
      liste_.VerlasseQuelle();
    else
      liste_.VerlasseVerzeichnis();
    zeigeListe();
  }
  if (now == txtQuelle || now == txtBasisverzeichnis) verlassen_ = static_cast<QLineEdit*>(now);
}

bool frmSchuelerListe::eventFilter(QObject* watched, QEvent* e) {
  // A double-click on the empty grid adds the first row; one below the last
  // row adds a row with the next ID. Both ask for the new pupil. One on a
  // row arrives as itemDoubleClicked.
  if (e->type() == QEvent::MouseButtonDblClick && watched == lstListe->viewport()) {
    const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
    if (lstListe->itemAt(at)) return QDialog::eventFilter(watched, e);
    const QTreeWidgetItem* letzte = lstListe->topLevelItem(lstListe->topLevelItemCount() - 1);
    if (letzte && at.y() > lstListe->visualItemRect(letzte).bottom()) neueZeile();
    doppelklick();
    return true;
  }
  // "Entf" removes the selected pupil after a question.
  if (e->type() == QEvent::KeyPress && watched == lstListe &&
      static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
    entferne();
    return true;
  }
  return QDialog::eventFilter(watched, e);
}

void frmSchuelerListe::neueZeile() {
  int naechste = 1;
  qsizetype stellen = 1;
  for (const SchuelerZeile& z : liste_.rows) {
    naechste = std::max(naechste, z.ID.toInt() + 1);
    stellen = std::max(stellen, z.ID.size());
  }
  SchuelerZeile z;
  z.ID = QStringLiteral("%1").arg(naechste, static_cast<int>(stellen), 10, QLatin1Char('0'));
  z.hasKey = false;
  liste_.rows.append(z);
  // The record of that number starts empty, also where a removed pupil's
  // was: a later import rebuilds the rows from the records.
  while (gSchueler.size() < naechste) gSchueler.append(SchuelerDaten{});
  gSchueler[naechste - 1] = SchuelerDaten{};
  gemerkt_ = naechste;
}

void frmSchuelerListe::entferne() {
  QTreeWidgetItem* it = lstListe->currentItem();
  const int i = it && it->isSelected() ? lstListe->indexOfTopLevelItem(it) : -1;
  if (i < 0 || i >= liste_.rows.size()) return;
  const SchuelerZeile& z = liste_.rows[i];
  const QString wer = z.Name.isEmpty() ? QStringLiteral("Nr. ") + z.ID : z.Name;
  if (showMessage(QStringLiteral("Soll \u201E") + wer + QStringLiteral("\u201C aus der Schülerliste entfernt werden?"),
                  Icon::Question, Buttons::YesNo, kProductName, 1) != Answer::Yes)
    return;
  if (z.ID.toInt() == gemerkt_) gemerkt_ = 0;
  liste_.rows.removeAt(i);
  zeigeListe();
}

void frmSchuelerListe::uebernehme() {
  liste_.txtQuelle = txtQuelle->text();
  liste_.txtBasisverzeichnis = txtBasisverzeichnis->text();
}

// Rebuilds the grid from the list; the selected and current rows (by their
// ID) and the scroll position stay as the teacher left them.
void frmSchuelerListe::zeigeListe() {
  QSet<QString> selected;
  for (const QTreeWidgetItem* it : lstListe->selectedItems()) selected.insert(it->text(0));
  const QString current = lstListe->currentItem() ? lstListe->currentItem()->text(0) : QString();
  const int across = lstListe->horizontalScrollBar()->value(), down = lstListe->verticalScrollBar()->value();
  {
    const QSignalBlocker block(lstListe);
    lstListe->clear();
    for (const auto& z : liste_.rows) {
      auto* it = new QTreeWidgetItem({z.ID, z.Name, z.Verzeichnis, z.Dateiname, z.Rechnername});
      it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
      it->setCheckState(0, z.checked ? Qt::Checked : Qt::Unchecked);
      lstListe->addTopLevelItem(it);
      if (z.ID == current) lstListe->setCurrentItem(it, 0, QItemSelectionModel::NoUpdate);
      it->setSelected(selected.contains(z.ID));
    }
  }
  lstListe->doItemsLayout();
  passeSpaltenAn();
  lstListe->horizontalScrollBar()->setValue(across);
  lstListe->verticalScrollBar()->setValue(down);
  txtQuelle->setText(liste_.txtQuelle);
  txtBasisverzeichnis->setText(liste_.txtBasisverzeichnis);
  cmdButton[3]->setEnabled(liste_.duplizierenEnabled);
  setWindowTitle(liste_.title);
}

// "ID" and "Schüler" grow to their texts (never below their design widths
// or what the teacher gave them); the window grows, within the screen, until
// "Verzeichnis" and "Dateiname", which share the rest, hold theirs too.
void frmSchuelerListe::passeSpaltenAn() {
  const QAbstractItemView* grid = lstListe;  // sizeHintForColumn is public there
  for (int c : {0, 1})
    lstListe->setColumnWidth(c, std::max({lstListe->columnWidth(c), grid->sizeHintForColumn(c),
                                          lstListe->header()->sectionSizeHint(c)}));
  const int rest = std::max(grid->sizeHintForColumn(2), grid->sizeHintForColumn(3)) * 5 / 2;
  const int fehlt = rest - (lstListe->width() - lstListe->columnWidth(0) - lstListe->columnWidth(1) - tw(60));
  const QScreen* screen = this->screen();
  const int breit = screen ? screen->availableGeometry().width() - (frameGeometry().width() - width()) : width();
  if (fehlt > 0 && !isMaximized() && width() < breit) resize(std::min(width() + fehlt, breit), height());
  else spaltenVerteilen();
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
    const QString a = ui().inputBox({QString::fromUtf8(prompt), kProductName, i >= 0 ? col : QString()}).value_or(QString());
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
  if (!isMinimized()) spaltenVerteilen();
}

void frmSchuelerListe::spaltenVerteilen() {
  // The layout has placed the controls; "ID" and "Schüler" keep the widths
  // the teacher gave them, the other columns share the rest.
  if (QLayout* l = layout()) l->activate();
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

void frmSchuelerListe::done(int r) {
  uebernehme();
  liste_.SchreibeIni();
  QDialog::done(r);
}

}  // namespace qv
