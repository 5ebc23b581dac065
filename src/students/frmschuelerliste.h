#pragma once

#include <QDialog>

#include "students/schueler.h"

class QLineEdit;
class QTreeWidget;
class QPushButton;
class QWidget;

namespace qv {

// The student list window: grid of pupils, source document and target
// folder, and the five buttons. Its data is `SchuelerListe`.
class frmSchuelerListe : public QDialog {
  Q_OBJECT
 public:
  explicit frmSchuelerListe(QWidget* parent = nullptr);
  ~frmSchuelerListe() override;
  SchuelerListe& liste() { return liste_; }
  void zeigeListe();
  void doppelklick();
  void klick(int row);
  QPushButton* cmdButton[5] = {};
  // [1] chooses the exercise document, [2] the target folder.
  QPushButton* cmdOpenQuelle[3] = {};
  QTreeWidget* lstListe = nullptr;
  QLineEdit* txtQuelle = nullptr;
  QLineEdit* txtBasisverzeichnis = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void done(int r) override;

 private:
  void uebernehme();
  void neueZeile();
  void entferne();
  void passeSpaltenAn();
  void spaltenVerteilen();
  void fokusWechsel(QWidget* now);
  SchuelerListe liste_;
  int gemerkt_ = 0;
  QWidget* leiste_ = nullptr;
  // The field the focus is in, checked once the teacher leaves it.
  QLineEdit* verlassen_ = nullptr;
  QMetaObject::Connection fokus_;
};

}  // namespace qv
