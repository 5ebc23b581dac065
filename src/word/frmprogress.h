#pragma once

#include <QDialog>

#include "word/wordexercise.h"

class QProgressBar;

namespace qv {

// The progress window "Fortschritt" shown without blocking while an
// exercise is built; each built gap or header word advances prgStatus by 1.
class frmProgress : public QDialog, public BuildProgress {
  Q_OBJECT
 public:
  explicit frmProgress(QWidget* owner = nullptr);
  QProgressBar* prgStatus() const { return bar_; }
  void setMaximum(int max) override;
  int value() const override;
  void setValue(int v) override;

 private:
  QProgressBar* bar_;
};

}  // namespace qv
