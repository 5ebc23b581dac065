#pragma once

#include <QMainWindow>
#include <QMap>
#include <functional>

#include "word/feldeditor.h"

class QAction;
class QLabel;
class QPrinter;
class QTextEdit;

namespace qv {

namespace engine {
class Document;
}

// The document window: shows an exercise document as the pupil works on it
// (first-page header above the text, header line, numbered gap fields) and
// offers saving, printing and closing. In a document protected for form
// fields only the text of the form fields can be changed; entering a field
// runs its entry macro, leaving it its exit macro, and a click on a header
// word runs that button's macro. The window owns the document from now on:
// closing the window closes it and quits its engine once that holds no
// other document.
class frmUebung : public QMainWindow {
  Q_OBJECT
 public:
  explicit frmUebung(engine::Document* doc, QWidget* parent = nullptr);
  ~frmUebung() override;

  // A new window for the document, deleted on closing, shown.
  static frmUebung* showDocument(engine::Document* doc, QWidget* owner = nullptr);
  // Opens the exercise document file in a window; false with a message when
  // it cannot be opened or is no exercise document.
  static bool openFile(const QString& path, QWidget* owner = nullptr);

  engine::Document* document() const { return doc_; }
  QTextEdit* textView() const { return txtUebung_; }
  QTextEdit* headerView() const { return txtKopf_; }
  QString feedback() const;
  // Menu entries by index: 1 "Speichern", 2 "Speichern unter ...",
  // 3 "Drucken ...", 4 "Als PDF speichern ...", 5 "Lösungsblatt als PDF ...",
  // 6 "Arbeitsblatt drucken ...", 7 "Arbeitsblatt als PDF ...", 11 "Schließen".
  QAction* menuEntry(int index) const { return entries_.value(index); }

  // Saves under the document's own path, or asks for one.
  bool save();
  // Asks for a path (and before overwriting a file) and saves there.
  bool saveAs();
  void print();
  bool exportPdf();
  // The document as the pupil sees it: first-page header, then the text.
  void printTo(QPrinter& printer) const;
  // In a master (TEMPLATE "1"), entries 5 to 7: the answer key as PDF, and
  // the paper sheet printed or as PDF.
  bool exportLoesungsblatt();
  void printPapierblatt();
  bool exportPapierblatt();

  // Puts the cursor into the form field (1-based in document order) with
  // its text selected, as moving there with the tab key does.
  void goToFormField(int index);
  bool isProtected() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildMenu();
  void updateTitle();
  void layoutHeader();
  void cursorMoved();
  void enterField(int fieldIndex);
  void leaveField();
  // Edits within the form fields of a protected document.
  bool handleKey(class QKeyEvent* e);
  void apply(const FeldEditor::Ergebnis& e);
  void insertTyped(const QString& text);
  void deleteChar(bool forward);
  int formFieldAt(int start, int end) const;
  void refuse();
  void clickAt(const QPoint& viewportPos);
  void showFeedback(int fieldIndex);
  bool writeTo(const QString& path);
  // Runs `run` with the field that has the cursor left (its answer judged,
  // its verdict colour shown instead of the focus colour) and enters the
  // field again after: saving and printing show every field's verdict.
  void ohneFokus(const std::function<void()>& run);
  QString askTarget(const QString& title, const QString& filter, const QString& suffix, const QString& name);
  void releaseDocument();

  engine::Document* doc_;
  QTextEdit* txtKopf_ = nullptr;
  QTextEdit* txtUebung_ = nullptr;
  QLabel* lblRueckmeldung_ = nullptr;
  QMap<int, QAction*> entries_;
  int current_ = 0;  // field index the cursor is in (form fields), 0 none
  bool guard_ = false;
  bool geoeffnet_ = false;  // shown once
};

}  // namespace qv
