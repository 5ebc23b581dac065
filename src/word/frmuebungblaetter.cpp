// The document window's paper versions of a master: the answer key and the
// sheet to fill in by hand, both made in the core from a copy of the
// document (druck.h).
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/docengine.h"
#include "platform/ui.h"
#include "word/druck.h"
#include "word/frmuebung.h"

namespace qv {

namespace {
QString stamm(const engine::Document& doc) {
  return doc.fullName().isEmpty() ? QStringLiteral("Übung") : QFileInfo(doc.fullName()).completeBaseName();
}
}  // namespace

bool frmUebung::exportLoesungsblatt() {
  if (!doc_) return false;
  const AskingWindow asking(this);
  const auto blatt = Loesungsblatt(*doc_);
  if (!blatt) {
    showMessage(QStringLiteral("Diese Übung enthält keine Lösungen (Arbeitsblatt ohne Lösung); "
                               "ein Lösungsblatt kann nicht erstellt werden."),
                Icon::Exclamation);
    return false;
  }
  const QString path = askTarget(QStringLiteral("Lösungsblatt als PDF speichern"), QStringLiteral("PDF-Datei (*.pdf)|*.pdf"),
                                 QStringLiteral("pdf"), stamm(*doc_) + QStringLiteral(" Lösungsblatt.pdf"));
  if (path.isEmpty()) return false;
  QString error;
  if (SchreibePdf(*blatt, path, &error)) return true;
  showMessage(error, Icon::Critical);
  return false;
}

void frmUebung::printPapierblatt() {
  if (!doc_) return;
  const auto blatt = Papierblatt(*doc_);
  if (!blatt) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dlg(&printer, this);
  dlg.setWindowTitle(QStringLiteral("Arbeitsblatt drucken"));
  if (dlg.exec() != QDialog::Accepted) return;
  printer.setFullPage(true);
  DruckeUebung(*blatt, printer);
}

bool frmUebung::exportPapierblatt() {
  if (!doc_) return false;
  const AskingWindow asking(this);
  const auto blatt = Papierblatt(*doc_);
  if (!blatt) return false;
  const QString path = askTarget(QStringLiteral("Arbeitsblatt als PDF speichern"), QStringLiteral("PDF-Datei (*.pdf)|*.pdf"),
                                 QStringLiteral("pdf"), stamm(*doc_) + QStringLiteral(" Arbeitsblatt.pdf"));
  if (path.isEmpty()) return false;
  QString error;
  if (SchreibePdf(*blatt, path, &error)) return true;
  showMessage(error, Icon::Critical);
  return false;
}

}  // namespace qv
