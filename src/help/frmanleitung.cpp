#include "help/frmanleitung.h"

#include <QResizeEvent>

#include "platform/editor_widget.h"
#include "platform/filehelper.h"
#include "platform/widget_ui.h"

namespace qv {

frmAnleitung::frmAnleitung(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QStringLiteral("Kurzanleitung"));
  txtAnleitung_ = new EditorWidget(editor_, this);
  txtAnleitung_->setObjectName(QStringLiteral("txtAnleitung"));
  txtAnleitung_->setReadOnly(true);
  // Over the owner, 120 twips to the right and down, its right and bottom
  // edges on those of the owner.
  if (owner) {
    const QRect o = owner->geometry();
    const int dx = twipsToPixels(120), dy = twipsToPixels(120, false);
    setGeometry(o.left() + dx, o.top() + dy, qMax(1, o.width() - dx), qMax(1, o.height() - dy));
  } else {
    resize(640, 480);
  }
  txtAnleitung_->setGeometry(0, 0, width(), height());
}

frmAnleitung::~frmAnleitung() {
  // The editor widget shows the document of editor_, which dies before the
  // window's children: remove the widget first.
  delete txtAnleitung_;
  txtAnleitung_ = nullptr;
}

void frmAnleitung::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const QSize s = event->size();
  txtAnleitung_->setGeometry(0, 0, qMax(0, s.width()), qMax(0, s.height()));
}

bool frmAnleitung::lade(const QString& path) {
  const bool ok = editor_.loadDocumentFile(path, 9);
  // The text went in before the view's cursor, which stood at the end then.
  txtAnleitung_->moveCursor(QTextCursor::Start);
  txtAnleitung_->refresh();
  return ok;
}

QString frmAnleitung::anleitungPath() { return files::dataFile(QStringLiteral("Anleitung.doc")); }

bool frmAnleitung::zeige(QWidget* owner) {
  const QString path = anleitungPath();
  if (!files::FileExists(path)) return false;
  frmAnleitung dlg(owner);
  dlg.lade(path);
  dlg.exec();
  return true;
}

}  // namespace qv
