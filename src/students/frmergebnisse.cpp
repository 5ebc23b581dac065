#include "students/frmergebnisse.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/filehelper.h"
#include "platform/lastfolder.h"
#include "platform/ui.h"
#include "platform/widget_ui.h"

namespace qv {

namespace {
enum Spalte { kId, kName, kZustand, kRichtig, kFalsch, kLeer, kVersuche, kProzent, kErsteLuecke };
const QColor kLeerFarbe(238, 238, 238);
// The keys that keep the master and the list or folder used last.
const QString& kLetzteUebung = lastfolder::kLetzteVorlage;
const QString kLetzteKopien = QStringLiteral("Ergebnisse/Kopien");
}  // namespace

// The overview as a table: one row per pupil and the row of shares last.
// Sort keys (Qt::UserRole) are numbers where the column holds numbers.
class ErgebnisModell : public QAbstractTableModel {
 public:
  explicit ErgebnisModell(QObject* parent) : QAbstractTableModel(parent) {}
  void setze(const ErgebnisUebersicht* e) {
    beginResetModel();
    e_ = e;
    gezaehlt_ = e ? e->gezaehlt() : 0;
    prozent_ = 0;
    if (e)
      for (const SchuelerErgebnis& s : e->schueler)
        if (IstGezaehlt(s.zustand)) {
          prozent_ += s.prozent(e->luecken);
        }
    endResetModel();
  }
  bool istAnteil(int row) const { return e_ && row == e_->schueler.size(); }
  int rowCount(const QModelIndex& p = {}) const override {
    return p.isValid() || !e_ ? 0 : static_cast<int>(e_->schueler.size()) + 1;
  }
  int columnCount(const QModelIndex& p = {}) const override { return p.isValid() || !e_ ? 0 : kErsteLuecke + e_->luecken; }

  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o != Qt::Horizontal || !e_) return {};
    static const QStringList namen = {QStringLiteral("ID"),     QStringLiteral("Name"),     QStringLiteral("Zustand"),
                                      QStringLiteral("Richtig"), QStringLiteral("Falsch"),  QStringLiteral("Leer"),
                                      QStringLiteral("Versuche"), QStringLiteral("% richtig")};
    if (role == Qt::DisplayRole) return section < kErsteLuecke ? namen[section] : QString::number(section - kErsteLuecke + 1);
    if (role == Qt::ToolTipRole && section >= kErsteLuecke)
      return QStringLiteral("Lücke %1: %2").arg(section - kErsteLuecke + 1).arg(e_->jeLuecke.value(section - kErsteLuecke).loesung);
    return {};
  }

  QVariant data(const QModelIndex& i, int role) const override {
    if (!e_ || !i.isValid()) return {};
    const int c = i.column(), g = c - kErsteLuecke;
    if (istAnteil(i.row())) return anteil(c, g, role);
    const SchuelerErgebnis& s = e_->schueler[i.row()];
    const bool gezaehlt = IstGezaehlt(s.zustand);
    if (role == Qt::TextAlignmentRole) return c >= kRichtig ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (c >= kErsteLuecke) {
      const LueckenWertung w = s.wertungen.value(g, LueckenWertung::Leer);
      if (role == Qt::BackgroundRole && gezaehlt)
        return w == LueckenWertung::Richtig ? farbe::kRichtig : w == LueckenWertung::Falsch ? farbe::kFalsch : kLeerFarbe;
      if (role == Qt::ToolTipRole && gezaehlt)
        return QStringLiteral("Lücke %1: ").arg(g + 1) +
               (w == LueckenWertung::Leer ? QStringLiteral("leer") : QStringLiteral("\u201E") + s.antworten.value(g) + QStringLiteral("\u201C"));
      if (role == Qt::UserRole) return gezaehlt ? (w == LueckenWertung::Richtig ? 2 : w == LueckenWertung::Falsch ? 1 : 0) : -1;
      return {};
    }
    if (role == Qt::ToolTipRole && c == kName) return s.datei;
    if (role == Qt::ToolTipRole && c == kZustand && !(s.grund + s.hinweis).isEmpty())
      return s.grund.isEmpty() ? s.hinweis : s.hinweis.isEmpty() ? s.grund : s.grund + QLatin1Char('\n') + s.hinweis;
    if (role != Qt::DisplayRole && role != Qt::UserRole) return {};
    const bool sortieren = role == Qt::UserRole;
    switch (c) {
      case kId: return sortieren && !s.id.isEmpty() ? QVariant(s.id.toLongLong()) : QVariant(s.id);
      case kName: return s.name;
      case kZustand: return ZustandText(s.zustand);
      default: break;
    }
    if (!gezaehlt) return sortieren ? QVariant(-1.0) : QVariant(QString());
    const double zahl = c == kRichtig ? s.richtig : c == kFalsch ? s.falsch : c == kLeer ? s.leer
                        : c == kVersuche ? s.versuche : s.prozent(e_->luecken);
    return sortieren ? QVariant(zahl) : QVariant(QString::number(qRound(zahl)));
  }

 private:
  QVariant anteil(int c, int g, int role) const {
    if (role == Qt::FontRole) {
      QFont f;
      f.setBold(true);
      return f;
    }
    if (role == Qt::TextAlignmentRole) return c >= kRichtig ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (c >= kErsteLuecke) {
      const LueckenStatistik& l = e_->jeLuecke[g];
      if (role == Qt::ToolTipRole)
        return QStringLiteral("Lücke %1 (%2): %3 richtig, %4 falsch, %5 leer")
            .arg(QString::number(g + 1), l.loesung, QString::number(l.richtig), QString::number(l.falsch),
                 QString::number(l.leer));
      if (role == Qt::DisplayRole && gezaehlt_) return QString::number(qRound(l.anteilRichtig()));
      return {};
    }
    if (role != Qt::DisplayRole) return {};
    if (c == kName) return QStringLiteral("Anteil richtig (%)");
    if (c == kZustand) return QStringLiteral("%1 gezählt").arg(gezaehlt_);
    // The row holds shares of right answers only: the pupils' mean under
    // "% richtig" and each gap's share; counts have no share to show.
    if (c != kProzent || !gezaehlt_) return QString();
    return QString::number(qRound(prozent_ / gezaehlt_));
  }

  const ErgebnisUebersicht* e_ = nullptr;
  int gezaehlt_ = 0;
  double prozent_ = 0;
};

namespace {

// Sorts by the model's keys; the row of shares stays last in either order.
class ErgebnisSortierung : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool lessThan(const QModelIndex& l, const QModelIndex& r) const override {
    const auto* m = static_cast<const ErgebnisModell*>(sourceModel());
    if (m->istAnteil(l.row())) return sortOrder() == Qt::DescendingOrder;
    if (m->istAnteil(r.row())) return sortOrder() == Qt::AscendingOrder;
    return QSortFilterProxyModel::lessThan(l, r);
  }
};

int tw(int t, bool h = true) { return twipsToPixels(t, h); }

}  // namespace

frmErgebnisse::frmErgebnisse(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Ergebnisverwaltung"));
  txtUebung_ = new QLineEdit(this);
  txtKopien_ = new QLineEdit(this);
  for (QLineEdit* f : {txtUebung_, txtKopien_}) f->setReadOnly(true);
  txtUebung_->setPlaceholderText(QStringLiteral("Die Übung, die verteilt wurde"));
  txtKopien_->setPlaceholderText(QStringLiteral("Schülerliste oder Ordner mit den Kopien"));
  auto* cmdUebung = new QPushButton(QStringLiteral("Übung ..."), this);
  auto* cmdListe = new QPushButton(QStringLiteral("Schülerliste ..."), this);
  auto* cmdOrdner = new QPushButton(QStringLiteral("Ordner ..."), this);
  auto* felder = new QGridLayout;
  felder->addWidget(new QLabel(QStringLiteral("Übung"), this), 0, 0);
  felder->addWidget(txtUebung_, 0, 1);
  felder->addWidget(cmdUebung, 0, 2);
  felder->addWidget(new QLabel(QStringLiteral("Kopien"), this), 1, 0);
  felder->addWidget(txtKopien_, 1, 1);
  felder->addWidget(cmdListe, 1, 2);
  felder->addWidget(cmdOrdner, 1, 3);
  felder->setColumnStretch(1, 1);

  modell_ = new ErgebnisModell(this);
  sortiert_ = new ErgebnisSortierung(this);
  sortiert_->setSourceModel(modell_);
  sortiert_->setSortRole(Qt::UserRole);
  sortiert_->setSortLocaleAware(true);
  tblErgebnisse_ = new QTableView(this);
  tblErgebnisse_->setObjectName(QStringLiteral("tblErgebnisse"));
  tblErgebnisse_->setModel(sortiert_);
  tblErgebnisse_->setSortingEnabled(true);
  tblErgebnisse_->sortByColumn(-1, Qt::AscendingOrder);
  tblErgebnisse_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblErgebnisse_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblErgebnisse_->verticalHeader()->hide();
  tblErgebnisse_->verticalHeader()->setDefaultSectionSize(tblErgebnisse_->fontMetrics().height() + 6);

  prgFortschritt_ = new QProgressBar(this);
  prgFortschritt_->hide();
  lblStand_ = new QLabel(this);
  auto* leiste = new QHBoxLayout;
  const char* captions[5] = {"Auswerten", "Exportieren ...", "Drucken ...", "Als PDF speichern ...", "Schließen"};
  for (int i = 0; i < 5; ++i) {
    cmdButton[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
    cmdButton[i]->setAutoDefault(false);
    if (i == 4) leiste->addStretch(1);
    leiste->addWidget(cmdButton[i]);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(felder);
  layout->addWidget(tblErgebnisse_, 1);
  layout->addWidget(prgFortschritt_);
  layout->addWidget(lblStand_);
  layout->addLayout(leiste);

  connect(cmdUebung, &QPushButton::clicked, this, [this] { waehleUebung(); });
  connect(cmdListe, &QPushButton::clicked, this, [this] { waehleListe(); });
  connect(cmdOrdner, &QPushButton::clicked, this, [this] { waehleOrdner(); });
  connect(cmdButton[0], &QPushButton::clicked, this, [this] { auswerten(); });
  connect(cmdButton[1], &QPushButton::clicked, this, [this] { exportieren(); });
  connect(cmdButton[2], &QPushButton::clicked, this, [this] { drucken(); });
  connect(cmdButton[3], &QPushButton::clicked, this, [this] { alsPdf(); });
  connect(cmdButton[4], &QPushButton::clicked, this, &QDialog::reject);
  // The master and the copies of the last time are proposed; "Auswerten"
  // judges them.
  if (auto v = LeseVorlage(lastfolder::stored(kLetzteUebung).toString())) {
    vorlage_ = std::move(v);
    txtUebung_->setText(vorlage_->pfad);
  }
  if (const QString k = lastfolder::stored(kLetzteKopien).toString(); files::FileExists(k) || files::FolderExists(k)) {
    kopien_ = k;
    txtKopien_->setText(k);
  }
  zeige();
  resize(tw(11000), tw(6500, false));
}

frmErgebnisse::~frmErgebnisse() { modell_->setze(nullptr); }

bool frmErgebnisse::waehleUebung(const QString& path) {
  QString datei = path;
  if (datei.isEmpty()) {
    FileDialogRequest r;
    r.title = QStringLiteral("Interaktive Übung auswählen ...");
    r.filter = QStringLiteral("Interaktive Übung (*.doc;*.rtf)|*.doc;*.rtf|Alle Dateien|*.*");
    datei = lastfolder::askOpenPath(r, lastfolder::kUebung);
    if (datei.isEmpty()) return false;
  }
  QString error;
  ui().setWaitCursor(true);
  auto v = LeseVorlage(datei, &error);
  ui().setWaitCursor(false);
  if (!v) {
    showMessage(error, Icon::Exclamation);
    return false;
  }
  vorlage_ = std::move(v);
  txtUebung_->setText(vorlage_->pfad);
  lastfolder::store(kLetzteUebung, vorlage_->pfad);
  if (!kopien_.isEmpty()) return auswerten();
  zeige();
  return true;
}

bool frmErgebnisse::waehleListe(const QString& path) {
  QString datei = path;
  if (datei.isEmpty()) {
    FileDialogRequest r;
    r.title = QStringLiteral("Schülerliste öffnen...");
    r.filter = QStringLiteral("Textdatei (*.txt)|*.txt|Alle Dateien *.*|*.*");
    datei = lastfolder::askOpenPath(r, lastfolder::kListe);
  }
  if (!files::FileExists(datei)) return false;
  kopien_ = datei;
  txtKopien_->setText(datei);
  lastfolder::store(kLetzteKopien, datei);
  return !vorlage_ || auswerten();
}

bool frmErgebnisse::waehleOrdner(const QString& path) {
  const QString ordner =
      path.isEmpty() ? lastfolder::askFolder(QStringLiteral("Ordner mit den Kopien"), lastfolder::kKopien) : path;
  if (!files::FolderExists(ordner)) return false;
  kopien_ = ordner;
  txtKopien_->setText(ordner);
  lastfolder::store(kLetzteKopien, ordner);
  return !vorlage_ || auswerten();
}

bool frmErgebnisse::auswerten() {
  if (!vorlage_) {
    showMessage(QStringLiteral("Bitte zuerst die Übung auswählen!"), Icon::Exclamation);
    return false;
  }
  if (kopien_.isEmpty()) {
    showMessage(QStringLiteral("Bitte zuerst die Schülerliste oder den Ordner mit den Kopien auswählen!"), Icon::Exclamation);
    return false;
  }
  QList<Einsendung> kopien;
  if (files::FolderExists(kopien_)) {
    kopien = EinsendungenAusOrdner(kopien_, vorlage_->pfad);
  } else if (const auto liste = EinsendungenAusListe(kopien_)) {
    kopien = *liste;
  } else {
    showMessage(QStringLiteral("Die Schülerliste ") + kopien_ + QStringLiteral(" kann nicht gelesen werden"), Icon::Exclamation);
    return false;
  }
  // The window repaints while the copies are read; the teacher's input
  // waits until the run is over.
  modell_->setze(nullptr);
  setEnabled(false);
  ui().setWaitCursor(true);
  prgFortschritt_->setRange(0, std::max<int>(1, kopien.size()));
  prgFortschritt_->setValue(0);
  prgFortschritt_->show();
  uebersicht_ = WerteAus(*vorlage_, kopien, [this](int done, int total) {
    prgFortschritt_->setValue(done);
    lblStand_->setText(QStringLiteral("Kopie %1 von %2 wird gelesen ...").arg(done).arg(total));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
  });
  prgFortschritt_->hide();
  ui().setWaitCursor(false);
  setEnabled(true);
  zeige();
  return true;
}

void frmErgebnisse::zeige() {
  modell_->setze(uebersicht_.uebung.isEmpty() ? nullptr : &uebersicht_);
  QHeaderView* h = tblErgebnisse_->horizontalHeader();
  const int schmal = fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8;
  for (int c = 0; c < modell_->columnCount(); ++c) {
    if (c >= kErsteLuecke) h->resizeSection(c, schmal);
    else tblErgebnisse_->resizeColumnToContents(c);
  }
  const bool da = modell_->rowCount() > 0;
  for (int i = 1; i <= 3; ++i) cmdButton[i]->setEnabled(da);
  if (!da) {
    lblStand_->setText(QStringLiteral("Übung und Schülerliste (oder den Ordner mit den Kopien) auswählen."));
    return;
  }
  int abgegeben = 0;
  for (const SchuelerErgebnis& s : uebersicht_.schueler) abgegeben += s.zustand != AbgabeZustand::NichtAbgegeben;
  lblStand_->setText(QStringLiteral("%1 Schüler, %2 Kopien gefunden, %3 ausgewertet; %4 Lücken.")
                         .arg(uebersicht_.schueler.size())
                         .arg(abgegeben)
                         .arg(uebersicht_.gezaehlt())
                         .arg(uebersicht_.luecken));
}

// The save dialog for a file of kind about the current results: it starts
// in the folder last used for kind, else in the master's; the master's name
// + " Ergebnisse" is proposed.
QString frmErgebnisse::frageZiel(const QString& title, const QString& filter, const QString& kind, const QString& suffix) {
  FileDialogRequest r;
  r.title = title;
  r.filter = filter;
  r.initialFolder = lastfolder::folderFor(kind, QFileInfo(uebersicht_.uebung).absolutePath());
  r.fileName = files::FileTitle(uebersicht_.uebung) + QStringLiteral(" Ergebnisse.") + suffix;
  return lastfolder::askSavePath(r, kind, suffix);
}

bool frmErgebnisse::exportieren() {
  const QString path = frageZiel(QStringLiteral("Ergebnisse exportieren"),
                                 QStringLiteral("Tabelle (*.csv)|*.csv|Alle Dateien|*.*"), lastfolder::kTabelle,
                                 QStringLiteral("csv"));
  if (path.isEmpty()) return false;
  QString error;
  if (SchreibeErgebnisTabelle(uebersicht_, path, &error)) return true;
  showMessage(error, Icon::Critical);
  return false;
}

void frmErgebnisse::drucken() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dlg(&printer, this);
  dlg.setWindowTitle(QStringLiteral("Ergebnisse drucken"));
  if (dlg.exec() == QDialog::Accepted) DruckeErgebnisse(uebersicht_, printer);
}

bool frmErgebnisse::alsPdf() {
  const QString path = frageZiel(QStringLiteral("Als PDF speichern"), QStringLiteral("PDF-Datei (*.pdf)|*.pdf"),
                                 lastfolder::kPdf, QStringLiteral("pdf"));
  if (path.isEmpty()) return false;
  // A big class fills many pages: the window shows the pages as they are
  // written; the teacher's input waits.
  setEnabled(false);
  ui().setWaitCursor(true);
  prgFortschritt_->setValue(0);
  prgFortschritt_->show();
  const QString stand = lblStand_->text();
  QString error;
  const bool ok = SchreibeErgebnisPdf(uebersicht_, path, &error, [this](int seite, int seiten) {
    prgFortschritt_->setRange(0, seiten);
    prgFortschritt_->setValue(seite);
    lblStand_->setText(QStringLiteral("Seite %1 von %2 wird geschrieben ...").arg(seite).arg(seiten));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
  });
  prgFortschritt_->hide();
  lblStand_->setText(stand);
  ui().setWaitCursor(false);
  setEnabled(true);
  if (!ok) showMessage(error, Icon::Critical);
  return ok;
}

}  // namespace qv
