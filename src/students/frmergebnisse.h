#pragma once

#include <QDialog>

#include "students/ergebnisse.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace qv {

class ErgebnisModell;

// The results window "Ergebnisverwaltung": the teacher names the master
// exercise and a student list or a folder of copies; the table shows one
// row per pupil with the figures and one coloured column per gap (the
// answer as tool tip), and a last row with each gap's share of right
// answers. The table can be exported for a spreadsheet, printed and saved
// as PDF. The copies are only read.
class frmErgebnisse : public QDialog {
  Q_OBJECT
 public:
  explicit frmErgebnisse(QWidget* parent = nullptr);
  ~frmErgebnisse() override;

  // The buttons' steps; an empty path lets the teacher choose one. Choosing
  // the copies (or the master, once copies are named) judges them at once.
  bool waehleUebung(const QString& path = QString());
  bool waehleListe(const QString& path = QString());
  bool waehleOrdner(const QString& path = QString());
  bool auswerten();
  bool exportieren();
  void drucken();
  bool alsPdf();

  const ErgebnisUebersicht& uebersicht() const { return uebersicht_; }
  QTableView* tabelle() const { return tblErgebnisse_; }
  QLabel* stand() const { return lblStand_; }
  // [0] Auswerten, [1] Exportieren, [2] Drucken, [3] Als PDF, [4] Schließen.
  QPushButton* cmdButton[5] = {};

 private:
  QString frageZiel(const QString& title, const QString& filter, const QString& kind, const QString& suffix);
  void zeige();

  ErgebnisUebersicht uebersicht_;
  std::optional<ErgebnisVorlage> vorlage_;
  QString kopien_;
  QLineEdit* txtUebung_ = nullptr;
  QLineEdit* txtKopien_ = nullptr;
  QTableView* tblErgebnisse_ = nullptr;
  ErgebnisModell* modell_ = nullptr;
  QSortFilterProxyModel* sortiert_ = nullptr;
  QProgressBar* prgFortschritt_ = nullptr;
  QLabel* lblStand_ = nullptr;
};

}  // namespace qv
