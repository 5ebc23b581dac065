#include "word/frmprogress.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QVBoxLayout>

namespace qv {

frmProgress::frmProgress(QWidget* owner) : QDialog(owner), bar_(new QProgressBar(this)) {
  setObjectName(QStringLiteral("frmProgress"));
  setWindowTitle(QStringLiteral("Fortschritt"));
  setModal(false);
  bar_->setObjectName(QStringLiteral("prgStatus"));
  bar_->setMinimum(0);
  bar_->setValue(0);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bar_);
  resize(360, 70);
}

void frmProgress::setMaximum(int max) { bar_->setMaximum(std::max(0, max)); }

int frmProgress::value() const { return bar_->value(); }

void frmProgress::setValue(int v) {
  // A value past the maximum would be ignored by the bar; keep it visible.
  if (v > bar_->maximum()) bar_->setMaximum(v);
  bar_->setValue(v);
}

}  // namespace qv
