#include "word/frmuebung.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "platform/docengine.h"
#include "platform/filehelper.h"
#include "platform/lastfolder.h"
#include "platform/ui.h"
#include "word/druck.h"
#include "word/feldeditor.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"

namespace qv {
namespace {

// The header shown above the text: the first-page header when the document
// has one, else the running header.
QTextDocument* headerOf(const RichDocument& d) {
  if (d.titlePage())
    if (QTextDocument* h = d.existingHeader(HeaderKind::FirstHeader)) return h;
  return d.existingHeader(HeaderKind::Header);
}

// A copy of the header for showing, as it stands on page 1. The window's
// sheet is not drawn to the paper's scale, so the header's tables keep the
// shares of their columns and span the width of the text.
QTextDocument* displayHeader(const RichDocument& d, QObject* parent) {
  QTextDocument* h = headerOf(d);
  if (!h) return nullptr;
  QTextDocument* copy = KopfzeileFuerSeite(*h, 1, 1, parent);
  QList<QTextTable*> tables;
  for (QTextBlock b = copy->begin(); b.isValid(); b = b.next())
    if (QTextTable* t = QTextCursor(b).currentTable(); t && !tables.contains(t)) tables << t;
  for (QTextTable* t : tables) {
    QTextTableFormat f = t->format();
    QList<QTextLength> widths = f.columnWidthConstraints();
    double total = 0;
    for (const QTextLength& w : widths) total += w.type() == QTextLength::FixedLength ? w.rawValue() : 0;
    if (total <= 0) continue;
    for (QTextLength& w : widths)
      w = QTextLength(QTextLength::PercentageLength, w.type() == QTextLength::FixedLength ? 100 * w.rawValue() / total : 0);
    f.setColumnWidthConstraints(widths);
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    t->setFormat(f);
  }
  return copy;
}

QTextEdit* pageView(QWidget* parent) {
  auto* v = new QTextEdit(parent);
  v->setFrameShape(QFrame::NoFrame);
  QPalette pal = v->palette();
  pal.setColor(QPalette::Base, Qt::white);
  pal.setColor(QPalette::Text, Qt::black);
  v->setPalette(pal);
  return v;
}

}  // namespace

frmUebung::frmUebung(engine::Document* doc, QWidget* parent) : QMainWindow(parent), doc_(doc) {
  setWindowFlag(Qt::Window);
  setObjectName(QStringLiteral("frmUebung"));
  auto* central = new QWidget(this);
  central->setAutoFillBackground(true);
  QPalette pal = central->palette();
  pal.setColor(QPalette::Window, QColor(200, 200, 200));
  central->setPalette(pal);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(40, 16, 40, 16);
  // The sheet: white, with page margins around header and text.
  auto* sheet = new QWidget(central);
  sheet->setAutoFillBackground(true);
  QPalette white = sheet->palette();
  white.setColor(QPalette::Window, Qt::white);
  sheet->setPalette(white);
  outer->addWidget(sheet);
  auto* page = new QVBoxLayout(sheet);
  page->setContentsMargins(36, 24, 36, 24);
  page->setSpacing(12);

  txtKopf_ = pageView(sheet);
  txtKopf_->setObjectName(QStringLiteral("txtKopf"));
  txtKopf_->setReadOnly(true);
  txtKopf_->setTextInteractionFlags(Qt::NoTextInteraction);
  txtKopf_->setFocusPolicy(Qt::NoFocus);
  txtKopf_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtKopf_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtKopf_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  page->addWidget(txtKopf_);

  txtUebung_ = pageView(sheet);
  txtUebung_->setObjectName(QStringLiteral("txtUebung"));
  page->addWidget(txtUebung_, 1);
  setCentralWidget(central);

  lblRueckmeldung_ = new QLabel(this);
  lblRueckmeldung_->setObjectName(QStringLiteral("lblRueckmeldung"));
  statusBar()->addWidget(lblRueckmeldung_, 1);

  buildMenu();
  resize(860, 960);

  if (QTextDocument* h = doc_ ? displayHeader(doc_->data(), this) : nullptr) {
    txtKopf_->setDocument(h);
    connect(h->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] { layoutHeader(); });
  } else {
    txtKopf_->hide();
  }
  if (!doc_) return;

  txtUebung_->setDocument(doc_->data().body());
  txtUebung_->installEventFilter(this);
  txtUebung_->viewport()->installEventFilter(this);
  if (isProtected()) {
    // Typing is handled by the window itself, only inside the form fields.
    txtUebung_->setReadOnly(true);
    txtUebung_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtUebung_->setAttribute(Qt::WA_InputMethodEnabled, true);
    txtUebung_->setAcceptDrops(false);
    txtUebung_->setUndoRedoEnabled(false);
    connect(txtUebung_, &QTextEdit::cursorPositionChanged, this, [this] { cursorMoved(); });
  } else {
    connect(doc_->data().body(), &QTextDocument::contentsChanged, this, [this] {
      if (!guard_ && doc_) doc_->setSaved(false);
    });
  }
  updateTitle();

  // Document_Open has selected the first gap: the cursor goes there.
  const int sel = doc_->selectedField();
  if (isProtected() && sel > 0)
    for (int n = 1; n <= doc_->formFieldCount(); ++n)
      if (doc_->formField(n) == doc_->field(sel)) {
        goToFormField(n);
        break;
      }
  txtUebung_->setFocus();
}

frmUebung::~frmUebung() { releaseDocument(); }

frmUebung* frmUebung::showDocument(engine::Document* doc, QWidget* owner) {
  auto* w = new frmUebung(doc, owner);
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->show();
  w->raise();
  w->activateWindow();
  // Once the asking window is enabled again after building, the new
  // exercise comes to the front once more.
  QTimer::singleShot(0, w, [w] {
    w->raise();
    w->activateWindow();
  });
  return w;
}

bool frmUebung::openFile(const QString& path, QWidget* owner) {
  QString error;
  engine::Document* doc = OpenExerciseDocument(path, &error);
  if (!doc) {
    showMessage(error.isEmpty() ? QStringLiteral("Die Datei ") + path + QStringLiteral(" kann nicht geöffnet werden")
                                : error,
                Icon::Exclamation);
    return false;
  }
  showDocument(doc, owner);
  return true;
}

void frmUebung::buildMenu() {
  QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
  QToolBar* leiste = addToolBar(QStringLiteral("Datei"));
  leiste->setObjectName(QStringLiteral("tlbDatei"));
  leiste->setMovable(false);
  leiste->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto add = [&](int index, const QString& caption, const QKeySequence& keys, std::function<void()> run,
                 bool onBar) {
    QAction* a = datei->addAction(caption);
    a->setObjectName(QStringLiteral("mnuDatei(%1)").arg(index));
    a->setShortcut(keys);
    connect(a, &QAction::triggered, this, std::move(run));
    if (onBar) leiste->addAction(a);
    entries_.insert(index, a);
  };
  add(1, QStringLiteral("&Speichern"), QKeySequence::Save, [this] { save(); }, false);
  add(2, QStringLiteral("Speichern &unter ..."), QKeySequence::SaveAs, [this] { saveAs(); }, true);
  add(3, QStringLiteral("&Drucken ..."), QKeySequence::Print, [this] { print(); }, true);
  add(4, QStringLiteral("Als &PDF speichern ..."), QKeySequence(), [this] { exportPdf(); }, true);
  add(5, QStringLiteral("&Lösungsblatt als PDF ..."), QKeySequence(), [this] { exportLoesungsblatt(); }, false);
  add(6, QStringLiteral("&Arbeitsblatt drucken ..."), QKeySequence(), [this] { printPapierblatt(); }, false);
  add(7, QStringLiteral("Arbeitsblatt als PD&F ..."), QKeySequence(), [this] { exportPapierblatt(); }, false);
  const bool vorlage = doc_ && doc_->variableValue(QStringLiteral("TEMPLATE")).value_or(QString()) == QLatin1String("1");
  for (int i : {5, 6, 7}) entries_.value(i)->setVisible(vorlage);
  datei->addSeparator();
  leiste->addSeparator();
  add(11, QStringLiteral("S&chließen"), QKeySequence::Close, [this] { close(); }, true);
}

bool frmUebung::isProtected() const { return doc_ && doc_->protectionType() != engine::kProtectionNone; }

QString frmUebung::feedback() const { return lblRueckmeldung_->text(); }

void frmUebung::updateTitle() {
  if (!doc_) return;
  const QString path = doc_->fullName();
  QString title = path.isEmpty() ? QStringLiteral("Neue Übung") : QFileInfo(path).fileName();
  if (!doc_->windowCaption().isEmpty()) title += QStringLiteral(" - ") + doc_->windowCaption();
  setWindowTitle(title);
}

void frmUebung::layoutHeader() {
  if (txtKopf_->isHidden()) return;
  const int h = static_cast<int>(txtKopf_->document()->size().height()) + 2 * txtKopf_->frameWidth() + 2;
  if (txtKopf_->height() != h) txtKopf_->setFixedHeight(h);
}

void frmUebung::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  layoutHeader();
}

// ---- Fields and macros

int frmUebung::formFieldAt(int start, int end) const { return doc_ ? FeldEditor(*doc_).feldBei(start, end) : 0; }

void frmUebung::cursorMoved() {
  if (guard_ || !doc_) return;
  const int idx = formFieldAt(txtUebung_->textCursor().position(), txtUebung_->textCursor().position());
  if (idx == current_) return;
  leaveField();
  enterField(idx);
}

void frmUebung::enterField(int fieldIndex) {
  current_ = fieldIndex;
  const Field* f = doc_ ? doc_->field(fieldIndex) : nullptr;
  if (!f) {
    current_ = 0;
    return;
  }
  guard_ = true;
  doc_->selectField(fieldIndex);
  if (!f->form.entryMacro.isEmpty() && doc_->application())
    doc_->application()->run(f->form.entryMacro, doc_);
  guard_ = false;
}

void frmUebung::leaveField() {
  const int idx = current_;
  current_ = 0;
  const Field* f = doc_ ? doc_->field(idx) : nullptr;
  if (!f) return;
  guard_ = true;
  doc_->selectField(idx);
  if (!f->form.exitMacro.isEmpty() && doc_->application()) doc_->application()->run(f->form.exitMacro, doc_);
  doc_->selectField(0);
  guard_ = false;
  showFeedback(idx);
}

void frmUebung::showFeedback(int fieldIndex) {
  const Field* f = doc_ ? doc_->field(fieldIndex) : nullptr;
  const int k = f ? GapNumber(f->form.name) : 0;
  const QString text = k ? Rueckmeldung(*doc_, k) : QString();
  if (text.isEmpty()) {
    lblRueckmeldung_->clear();
    return;
  }
  int gaps = 0;
  const int rows = static_cast<int>(LueckenZeilen(*doc_).size());
  for (int i = 1; i <= doc_->fieldCount(); ++i) {
    const Field* field = doc_->field(i);
    const int g = field->kind == FieldKind::FormText ? GapNumber(field->form.name) : 0;
    if (g > 0 && g <= rows) ++gaps;
  }
  lblRueckmeldung_->setText(text + QStringLiteral("   (") + QString::number(RichtigeLuecken(*doc_)) +
                            QStringLiteral(" von ") + QString::number(gaps) + QStringLiteral(" Lücken richtig)"));
}

void frmUebung::goToFormField(int index) {
  const Field* f = doc_ ? doc_->formField(index) : nullptr;
  if (!f) return;
  QTextCursor c = txtUebung_->textCursor();
  c.setPosition(f->result.start());
  c.setPosition(f->result.end(), QTextCursor::KeepAnchor);
  txtUebung_->setTextCursor(c);
  txtUebung_->ensureCursorVisible();
  cursorMoved();
}

void frmUebung::refuse() {
  QApplication::beep();
  lblRueckmeldung_->setText(QStringLiteral("Dieser Teil der Übung ist geschützt: nur die Lücken können ausgefüllt werden."));
}

void frmUebung::apply(const FeldEditor::Ergebnis& e) {
  switch (e.wirkung) {
    case FeldEditor::Wirkung::Geschuetzt: return refuse();
    case FeldEditor::Wirkung::ZuLang: return QApplication::beep();
    case FeldEditor::Wirkung::Unveraendert: return;
    case FeldEditor::Wirkung::Geaendert: break;
  }
  guard_ = true;
  QTextCursor c = txtUebung_->textCursor();
  c.setPosition(e.cursor);
  txtUebung_->setTextCursor(c);
  guard_ = false;
  current_ = e.feld;
}

void frmUebung::insertTyped(const QString& typed) {
  const QTextCursor c = txtUebung_->textCursor();
  apply(FeldEditor(*doc_).tippe(c.selectionStart(), c.selectionEnd(), typed));
}

void frmUebung::deleteChar(bool forward) {
  const QTextCursor c = txtUebung_->textCursor();
  apply(FeldEditor(*doc_).loesche(c.selectionStart(), c.selectionEnd(), c.position(), forward));
}

bool frmUebung::handleKey(QKeyEvent* e) {
  if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo)) return true;
  const bool ctrl = e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
  if (!ctrl && (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter ||
                e->key() == Qt::Key_Backtab)) {
    const bool back = e->key() == Qt::Key_Backtab || (e->modifiers() & Qt::ShiftModifier);
    if (const int next = FeldEditor(*doc_).naechstesFeld(current_, txtUebung_->textCursor().position(), back))
      goToFormField(next);
    return true;
  }
  if (e->matches(QKeySequence::Paste)) {
    insertTyped(QApplication::clipboard()->text());
    return true;
  }
  if (e->matches(QKeySequence::Cut)) {
    const QTextCursor c = txtUebung_->textCursor();
    if (c.hasSelection() && formFieldAt(c.selectionStart(), c.selectionEnd())) {
      QApplication::clipboard()->setText(c.selectedText());
      deleteChar(false);
    } else if (c.hasSelection()) {
      refuse();
    }
    return true;
  }
  if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete) {
    if (ctrl || (e->modifiers() & Qt::AltModifier)) return true;
    deleteChar(e->key() == Qt::Key_Delete);
    return true;
  }
  const QString t = e->text();
  if (!ctrl && !t.isEmpty() && t.at(0).isPrint()) {
    insertTyped(t);
    return true;
  }
  return false;
}

void frmUebung::clickAt(const QPoint& viewportPos) {
  if (!doc_) return;
  const int pos = txtUebung_->cursorForPosition(viewportPos).position();
  for (int i = 1; i <= doc_->fieldCount(); ++i) {
    const Field* f = doc_->field(i);
    if (f->kind != FieldKind::MacroButton || f->result.isEmpty()) continue;
    if (pos < f->result.start() || pos > f->result.end()) continue;
    guard_ = true;
    doc_->selectField(i);
    if (doc_->application()) doc_->application()->run(f->macroName(), doc_);
    doc_->selectField(current_);
    guard_ = false;
    return;
  }
}

bool frmUebung::eventFilter(QObject* watched, QEvent* event) {
  if (doc_ && watched == txtUebung_) {
    if (event->type() == QEvent::KeyPress && isProtected()) {
      if (doc_->protectionType() != engine::kProtectionFormFields) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (!k->text().isEmpty() && k->text().at(0).isPrint()) refuse();
        return false;
      }
      return handleKey(static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::InputMethod && isProtected()) {
      const QString commit = static_cast<QInputMethodEvent*>(event)->commitString();
      if (!commit.isEmpty()) insertTyped(commit);
      return true;
    }
  }
  if (doc_ && watched == txtUebung_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    auto* m = static_cast<QMouseEvent*>(event);
    if (m->button() == Qt::LeftButton && !txtUebung_->textCursor().hasSelection()) clickAt(m->position().toPoint());
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Saving, printing, closing

QString frmUebung::askTarget(const QString& title, const QString& filter, const QString& suffix,
                             const QString& name) {
  // The document is saved where it lies, or where documents were saved
  // last; a PDF goes where PDFs went last, else beside the document.
  const QString own = doc_->fullName();
  const QString ownFolder = own.isEmpty() ? QString() : QFileInfo(own).absolutePath();
  const bool pdf = suffix == QLatin1String("pdf");
  FileDialogRequest r;
  r.title = title;
  r.filter = filter;
  r.initialFolder = pdf ? lastfolder::folderFor(lastfolder::kPdf, ownFolder)
                        : (ownFolder.isEmpty() ? lastfolder::folderFor(lastfolder::kUebung) : ownFolder);
  r.fileName = name;
  return lastfolder::askSavePath(r, pdf ? lastfolder::kPdf : lastfolder::kUebung, suffix);
}

void frmUebung::ohneFokus(const std::function<void()>& run) {
  const int was = current_;
  leaveField();
  run();
  if (was) cursorMoved();
}

bool frmUebung::writeTo(const QString& path) {
  // The answer being typed is judged before it is saved.
  QString error;
  bool ok = false;
  ohneFokus([&] { ok = doc_->saveAs(path, &error); });
  if (!ok)
    showMessage(QStringLiteral("Die Übung konnte nicht gespeichert werden:\r\n") + path + QStringLiteral("\r\n") + error,
                Icon::Critical);
  updateTitle();
  return ok;
}

bool frmUebung::save() {
  if (!doc_) return false;
  const AskingWindow asking(this);
  if (doc_->fullName().isEmpty() || doc_->readOnly()) return saveAs();
  return writeTo(doc_->fullName());
}

bool frmUebung::saveAs() {
  if (!doc_) return false;
  const AskingWindow asking(this);
  const QString own = doc_->fullName();
  QString name = own.isEmpty() ? doc_->variableValue(QStringLiteral("CAPTION")).value_or(QString()).trimmed()
                               : QFileInfo(own).completeBaseName();
  if (name.isEmpty()) name = QStringLiteral("Übung");
  const QString path = askTarget(QStringLiteral("Speichern unter"),
                                 QStringLiteral("Word-Dokument (*.doc)|*.doc|Rich Text (*.rtf)|*.rtf|Alle Dateien|*.*"),
                                 QStringLiteral("doc"), name + QStringLiteral(".doc"));
  if (path.isEmpty()) return false;
  return writeTo(path);
}

void frmUebung::printTo(QPrinter& printer) const {
  if (!doc_) return;
  // Page coordinates from the paper's edge: the document's margins hold
  // its headers and footers.
  printer.setFullPage(true);
  DruckeUebung(doc_->data(), printer);
}

void frmUebung::print() {
  if (!doc_) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dlg(&printer, this);
  dlg.setWindowTitle(QStringLiteral("Drucken"));
  if (dlg.exec() == QDialog::Accepted) ohneFokus([&] { printTo(printer); });
}

bool frmUebung::exportPdf() {
  if (!doc_) return false;
  const AskingWindow asking(this);
  const QString own = doc_->fullName();
  const QString name = own.isEmpty() ? QStringLiteral("Übung") : QFileInfo(own).completeBaseName();
  const QString path = askTarget(QStringLiteral("Als PDF speichern"), QStringLiteral("PDF-Datei (*.pdf)|*.pdf"),
                                 QStringLiteral("pdf"), name + QStringLiteral(".pdf"));
  if (path.isEmpty()) return false;
  QString error;
  bool ok = false;
  ohneFokus([&] { ok = SchreibePdf(doc_->data(), path, &error); });
  if (!ok) showMessage(error, Icon::Critical);
  return ok;
}

void frmUebung::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (geoeffnet_) return;
  geoeffnet_ = true;
  // The cursor was put into the first gap before the window had its size,
  // which scrolled the text; it opens at the top unless the gap lies lower.
  txtUebung_->verticalScrollBar()->setValue(0);
  txtUebung_->ensureCursorVisible();
}

void frmUebung::closeEvent(QCloseEvent* event) {
  if (!doc_) {
    event->accept();
    return;
  }
  const AskingWindow asking(this);
  const int was = current_;
  leaveField();
  if (!doc_->saved()) {
    const QString name = doc_->fullName().isEmpty() ? QStringLiteral("Neue Übung") : QFileInfo(doc_->fullName()).fileName();
    const Answer a = showMessage(QStringLiteral("Möchten Sie die Änderungen an \u201E") + name +
                                     QStringLiteral("\u201C speichern?"),
                                 Icon::Question, Buttons::YesNoCancel, kProductName, 0);
    if (a == Answer::Cancel || (a == Answer::Yes && !save())) {
      if (was) cursorMoved();
      event->ignore();
      return;
    }
  }
  releaseDocument();
  event->accept();
}

void frmUebung::releaseDocument() {
  if (!doc_) return;
  engine::Document* doc = doc_;
  doc_ = nullptr;
  current_ = 0;
  // The views let go of the document's texts before they go.
  txtUebung_->removeEventFilter(this);
  txtUebung_->viewport()->removeEventFilter(this);
  disconnect(txtUebung_, nullptr, this, nullptr);
  disconnect(doc->data().body(), nullptr, this, nullptr);
  txtUebung_->setDocument(nullptr);
  txtKopf_->setDocument(nullptr);
  engine::Application* app = doc->application();
  if (gWordDoc == doc) gWordDoc = nullptr;
  doc->close();
  if (app && app->documents().empty()) {
    if (gWordApp == app) gWordApp = nullptr;
    app->quit();
  }
}

}  // namespace qv
