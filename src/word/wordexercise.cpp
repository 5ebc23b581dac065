#include "word/wordexercise.h"

#include <QCoreApplication>
#include <QTextCursor>
#include <QTextDocument>

#include "app/variablen.h"
#include "exercise/gaplist.h"
#include "exercise/uebungstyp.h"
#include "platform/docengine.h"
#include "platform/filehelper.h"
#include "platform/richeditor.h"
#include "platform/tools.h"
#include "platform/ui.h"
#include "word/exercisewindow.h"
#include "word/modword.h"
#include "word/positionmap.h"

namespace qv {

namespace {

// Field codes stand between blanks, as word processors write them.
const QString kMacroButton = QStringLiteral(" MACROBUTTON MarkSingleField ");

ProgressOpener& progressOpener() {
  static ProgressOpener o;
  return o;
}

// Counts when no progress window is installed.
class CountingProgress final : public BuildProgress {
 public:
  int value() const override { return value_; }
  void setValue(int v) override { value_ = v; }
  void setMaximum(int) override {}

 private:
  int value_ = 0;
};

// The progress display of the running build, if any.
BuildProgress*& currentProgress() {
  static BuildProgress* p = nullptr;
  return p;
}

void advanceProgress() {
  if (BuildProgress* p = currentProgress()) AddToValue(*p, 1);
  QCoreApplication::processEvents();
}

bool isHeadMarker(int v) { return v == 207 || v == 175 || v == 200; }

}  // namespace

void setProgressOpener(ProgressOpener opener) { progressOpener() = std::move(opener); }

void InsertOriginal() {
  if (!gWordDoc) return;
  QString error;
  LoadRichText(txtTemp(), gTextRTF);
  if (gWordApp) gWordApp->setVisible(true);
  // The engine takes the editor's rich text as it stands, without a file.
  if (!gWordDoc->insertBody(txtTemp().toRtf())) error = QStringLiteral("Der Text der Mappe kann nicht eingefügt werden");
  const int end = gWordDoc->length();
  gWordDoc->setLineSpacing(0, end, engine::Application::linesToPoints(1.5));
  gWordDoc->setBold(0, end, false);
  if (gWordApp) gWordApp->setVisible(false);
  QCoreApplication::processEvents();
  if (!error.isEmpty()) WriteLog(QStringLiteral("Insert Original: ") + error);
}

int32_t CreateGapFields() {
  const int n = static_cast<int>(gLuecken.size());
  if (!gWordDoc) return n;
  engine::Document& d = *gWordDoc;
  // Gap positions count characters of the plain text (a line end is CR LF);
  // the document counts a paragraph end as one. Fields are built from the
  // last gap to the first, so the map of the untouched text stays right for
  // every gap still to come.
  const PositionMap map(gTextTXT, d.text());
  QString error;
  d.beginEdit();
  for (int k = n; k >= 1; --k) {
    const clsToken& t = gLuecken[k - 1];
    const int plainStart = t.Anfang() - 1;
    const int plainEnd = plainStart + static_cast<int>(t.Inhalt().size());
    const int s = map.toDocument(plainStart);
    const int e = std::max(s, map.toDocument(plainEnd));

    const QString prefix = gWortliste == 3 ? QStringLiteral(" (") + t.Grundform() + QStringLiteral(")") : QString();
    const QString number = QString::number(k) + QStringLiteral(")");
    d.setText(e, e, prefix + number);
    const int numStart = e + static_cast<int>(prefix.size());
    const int numEnd = numStart + static_cast<int>(number.size());
    d.setBold(numStart, numEnd, true);
    d.setSuperscript(numStart, numEnd, true);

    int fs = s, fe = e;
    switch (uebungstyp::feld(gUebungstyp)) {
      case uebungstyp::Feld::Wort:
        break;
      case uebungstyp::Feld::Unterstrich: {
        const QString pattern = t.Bemerkung();
        d.setText(s, e, pattern);
        fe = s + static_cast<int>(pattern.size());
        if (const auto found = d.find(s, fe, QStringLiteral("_"))) {
          fs = found->first;
          fe = found->second;
        }
        break;
      }
      case uebungstyp::Feld::Wortende: {
        QString given = t.Bemerkung();
        given.remove(QLatin1Char('_'));
        fs = std::min(e, s + static_cast<int>(given.size()));
        break;
      }
      case uebungstyp::Feld::Nummer:
        fs = numStart;
        fe = numEnd;
        break;
    }
    const QString name = QStringLiteral("Gap_") + QString::number(k);
    if (d.addTextFormField(fs, fe, name, QStringLiteral("Got_Focus"), QStringLiteral("Lost_Focus")) == 0)
      error = QStringLiteral("Das Formularfeld ") + name + QStringLiteral(" konnte nicht eingefügt werden");
    advanceProgress();
  }
  d.endEdit();
  if (!error.isEmpty()) WriteLog(QStringLiteral("Create Fields: ") + error);
  return n;
}

void InsertWordListHeader() {
  if (!gWordDoc) return;
  engine::Document& d = *gWordDoc;
  std::optional<QString> stored;
  if (gWortliste == 1) stored = d.variableValue(QStringLiteral("LSTIH"));
  else if (gWortliste == 2) stored = d.variableValue(QStringLiteral("LSTGF"));
  if (!stored || stored->isEmpty()) return;
  const QStringList words = XorWithKey(*stored, ExercisePassword()).split(QStringLiteral(", "));

  d.insertBefore(0, QStringLiteral("\r\n"));
  d.setBottomBorder(0, 0, 1, 4, 0, 1);
  if (gWordApp) gWordApp->setScreenUpdating(false);
  QString error;
  // The line is written in one go, then every word becomes its button (the
  // same result as adding button and separator one by one in front).
  QStringList shown;
  for (const QString& w : words) shown << w.simplified();
  const QString line = shown.join(QStringLiteral(", "));
  d.insertBefore(0, line);
  int at = 0;
  for (qsizetype i = 0; i < words.size(); ++i) {
    const int end = at + static_cast<int>(shown[i].size());
    // The button's code ends at its word, so that it shows the word alone.
    if (d.addField(at, end, kMacroButton + words[i]) == 0)
      error = QStringLiteral("Die Schaltfläche ") + words[i] + QStringLiteral(" konnte nicht eingefügt werden");
    at = end + 2;
    advanceProgress();
  }
  // The bookmark spans the header line. The engine counts only the shown
  // text of a field, not its code, so the line is measured by what it shows.
  d.addBookmark(QStringLiteral("Kopf"), 0, static_cast<int>(line.size()));
  d.setFontSize(0, static_cast<int>(line.size()), 10);
  if (gWordApp) gWordApp->setScreenUpdating(true);
  if (!error.isEmpty()) WriteLog(QStringLiteral("Insert Header: ") + error);
}

QByteArray WorksheetHeadRtf(const QByteArray& arbeitsblattRtf) {
  RichEditor& editor = txtTemp();
  LoadRichText(editor, arbeitsblattRtf);
  editor.setSelStart(0);
  editor.setSelLength(0);
  // The selection grows one character at a time while every character of it
  // carries the same head marker, up to just past half of the text.
  QTextDocument* doc = editor.document();
  const int total = std::max(0, doc->characterCount() - 1);
  const int half = static_cast<int>(editor.text().size()) / 2;
  QTextCursor c(doc);
  int length = 0;
  int marker = -1;
  while (length < total) {
    int v = marker;
    // A paragraph end belongs to the head when the paragraph's text does.
    if (length == 0 || doc->characterAt(length) != QChar::ParagraphSeparator) {
      c.setPosition(length + 1);
      v = c.charFormat().intProperty(kHeadMarkerProperty);
    }
    if (!isHeadMarker(v) || (marker >= 0 && v != marker)) break;
    marker = v;
    ++length;
    if (length > half) break;
  }
  if (length == 0) return {};
  editor.setSelLength(length);
  return editor.selectedRtf();
}

void InsertWorksheetHead() {
  const QByteArray head = WorksheetHeadRtf(gArbeitsblattRTF);
  if (head.isEmpty() || !gWordApp) return;
  // The engine takes the rich text straight from us, so the teacher's
  // clipboard is never touched.
  gWordApp->homeKey();
  gWordApp->paste(head);
}

void CreateWordExercise(int16_t, int16_t menuIndex) {
  if (!LueckenPassenZumText()) return;
  if (!StartWord(true)) return;
  if (!gWordDoc) {
    // No document could be made: the template messages were the answer.
    // Nothing is asked and nothing reported as built; the engine that has
    // no document to show is quit.
    gWordApp->quit();
    StartWord(false);
    return;
  }
  ui().setWaitCursor(true);
  const QString password = ExercisePassword();
  if (gWordDoc && gWordDoc->protectionType() != engine::kProtectionNone && !gWordDoc->unprotect(password))
    WriteLog(QStringLiteral("Protect: Der Schutz des Dokuments lässt sich nicht aufheben"));
  ClearDocument();

  bool withDetails = menuIndex != 4;
  BuildGapList(false, withDetails);

  std::unique_ptr<BuildProgress> progress =
      progressOpener() ? progressOpener()() : std::make_unique<CountingProgress>();
  if (!progress) progress = std::make_unique<CountingProgress>();
  const int rows = static_cast<int>(gDetailZeilen.size());
  progress->setMaximum(gWortliste == 1 || gWortliste == 2 ? 2 * rows + 10 : rows + 10);
  currentProgress() = progress.get();

  InsertOriginal();
  const int32_t n = CreateGapFields();
  if (gWortliste == 1 || gWortliste == 2) InsertWordListHeader();
  InsertWorksheetHead();
  SwitchOffProofing();

  engine::Document* doc = gWordDoc;
  if (doc) {
    if (doc->protectionType() != engine::kProtectionFormFields &&
        !doc->protect(engine::kProtectionFormFields, true, password))
      WriteLog(QStringLiteral("Protect: Das Dokument lässt sich nicht schützen"));
    doc->setAttachedTemplateSaved(true);
  }
  engine::Application* app = gWordApp;
  app->setScreenUpdating(true);
  app->setVisible(true);
  app->setWindowState(1);
  ui().setWaitCursor(false);
  if (doc) app->run(QStringLiteral("Document_Open"), doc);
  StartWord(false);
  currentProgress() = nullptr;
  progress.reset();
  showMessage(QStringLiteral("Es wurde eine Lückenübung mit ") + QString::number(n) + QStringLiteral(" Lücken erstellt"),
              Icon::Information, Buttons::Ok, kProductName, 0, true);
  // The window takes the document over; the engine keeps running for it.
  // It opens after the message, so that it comes to the front and stays
  // there rather than the window that asked for it.
  if (doc) ShowExerciseWindow(doc);
}

}  // namespace qv
