#pragma once

#include <QDialog>
#include <array>

class QRadioButton;
class QPushButton;
class QTabWidget;
class QGroupBox;

namespace qv {

// The output options dialog "Ausgabeform": sets gWortliste while an option is
// selected and gDialogErgebnis = 1 on "Erstellen".
class frmABLueckeWA : public QDialog {
  Q_OBJECT
 public:
  explicit frmABLueckeWA(QWidget* parent = nullptr);

  QRadioButton* optAusgabe(int index) const { return opt_[index]; }
  QPushButton* cmdButton(int index) const { return index == 0 ? erstellen_ : abbrechen_; }

  // Shows the dialog modally for the current worksheet (gUebungstyp, gDetails).
  static void ShowFor(QWidget* owner);

 private:
  std::array<QRadioButton*, 4> opt_{};
  QPushButton* erstellen_ = nullptr;
  QPushButton* abbrechen_ = nullptr;
  QTabWidget* tabRegister_ = nullptr;
  QGroupBox* fraEigenschaften_ = nullptr;
};

}  // namespace qv
