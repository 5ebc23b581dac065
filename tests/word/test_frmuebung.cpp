#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <algorithm>
#include <QImage>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include "app/frmmain.h"
#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "platform/docengine.h"
#include "word/exercisewindow.h"
#include "word/frmuebung.h"
#include "word/druck.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"

using namespace qv;
using qvtest::u8;

namespace {

class Fenster : public ::testing::Test {
 protected:
  void SetUp() override { InstallExerciseMacros(); }
  void TearDown() override {
    for (const auto& f : windows()) delete f.data();
    qvtest::quitEngines();
    engine::Application::setMacroHandler({});
  }

  // A window on a new exercise, as the builder hands it over.
  frmUebung* open(QWidget* owner = nullptr, const qvtest::UebungVorgabe& v = {}) {
    engine::Document* doc = qvtest::makeExercise(v);
    if (!doc) return nullptr;
    doc->application()->run("Document_Open", doc);
    frmUebung* w = frmUebung::showDocument(doc, owner);
    QApplication::processEvents();
    return w;
  }
  static void key(frmUebung* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(w->textView(), k, m);
  }
  static void type(frmUebung* w, const QString& text) { QTest::keyClicks(w->textView(), text); }
  static QString fieldText(frmUebung* w, const QString& name) { return w->document()->formField(name)->result.text(); }
  static QList<QPointer<frmUebung>> windows() {
    QList<QPointer<frmUebung>> out;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* f = qobject_cast<frmUebung*>(w)) out << f;
    return out;
  }
  // The exercise window opened last.
  static frmUebung* lastWindow() { return windows().value(windows().size() - 1); }

  qvtest::Umgebung env;
  QTemporaryDir out;
  ScriptedInteraction ui;
};

}  // namespace

TEST_F(Fenster, OnlyTheFormFieldsTakeTypingAndLeavingAFieldJudgesIt) {
  frmUebung* w = open();
  ASSERT_NE(w, nullptr);
  engine::Document* d = w->document();
  const QString before = d->text();
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Neue Übung"));
  type(w, QStringLiteral("fuhrn"));
  key(w, Qt::Key_Backspace);
  type(w, QStringLiteral("en"));
  EXPECT_EQ(fieldText(w, "Gap_1"), QStringLiteral("fuhren"));

  // Outside the fields nothing is typed or deleted.
  QTextCursor c = w->textView()->textCursor();
  c.setPosition(d->text().indexOf(QStringLiteral("Dort")) + 2);
  w->textView()->setTextCursor(c);
  type(w, QStringLiteral("xy"));
  key(w, Qt::Key_Delete);
  EXPECT_TRUE(w->feedback().contains(QStringLiteral("geschützt")));
  EXPECT_EQ(d->text(), QString(before).replace(engine::kEmptyFormFieldText + "1)", "fuhren1)"));
  // Leaving Gap_1 (by the cursor) judged it.
  EXPECT_EQ(UebungsStand::lesen(*d).luecken.value(1).urteil, Urteil::Richtig);

  // Tab goes to the next field behind the cursor, with its text selected.
  key(w, Qt::Key_Tab);
  EXPECT_EQ(d->selectedField(), qvtest::fieldIndex(*d, "Gap_3"));
  type(w, QStringLiteral("Gab"));
  key(w, Qt::Key_Tab);  // from the last field to the first
  EXPECT_EQ(d->selectedField(), qvtest::fieldIndex(*d, "Gap_1"));
  EXPECT_TRUE(w->feedback().startsWith(u8("Lücke 3: falsch. Achte auf Groß- und Kleinschreibung")))
      << w->feedback().toStdString();
  // Typing over the selected text replaces it.
  type(w, QStringLiteral("ab"));
  EXPECT_EQ(fieldText(w, "Gap_1"), QStringLiteral("ab"));
  // Undo would undo the engine's own work; it is not offered.
  key(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(fieldText(w, "Gap_1"), QStringLiteral("ab"));
}

TEST_F(Fenster, SpeichernUnterAsksBeforeReplacingAFile) {
  frmUebung* w = open();
  ASSERT_NE(w, nullptr);
  const QString path = out.filePath("vorhanden.doc");
  qvtest::writeFile(path, "alt");
  // No: the file stays and the dialog comes again (cancelled here). The
  // suffix is added before the question.
  ui.answerSaveFile(out.filePath("vorhanden"));
  ui.answerMessage(Answer::No);
  EXPECT_FALSE(w->saveAs());
  EXPECT_EQ(qvtest::readFile(path), QByteArray("alt"));
  ASSERT_EQ(ui.messages().size(), 1);
  // Enter keeps the file.
  EXPECT_EQ(std::tuple(ui.messages()[0].buttons, ui.messages()[0].defaultButton), std::tuple(Buttons::YesNo, 1));
  EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("vorhanden.doc")));
  EXPECT_EQ(ui.shown().last().kind, ScriptedInteraction::Shown::Kind::SaveFile);
  EXPECT_FALSE(w->document()->saved());
  // Yes: replaced.
  ui.answerSaveFile(path);
  ui.answerMessage(Answer::Yes);
  EXPECT_TRUE(w->saveAs());
  EXPECT_TRUE(qvtest::readFile(path).startsWith("{\\rtf1"));
  // A write that fails, and targets no write reaches, are reported, not
  // taken for saved, and leave the saved file.
  const QStringList ziele = qvtest::unerreichbarePfade(out.path());
  const auto stand = qvtest::ordnerStand(out.path());
  ui.clear();
  type(w, QStringLiteral("a"));
  {
    qvtest::Schreibfehler fehler(1);
    EXPECT_FALSE(w->save());
  }
  for (const QString& z : ziele) {
    ui.answerSaveFile(z);
    EXPECT_FALSE(w->saveAs());
  }
  EXPECT_EQ(qvtest::ordnerStand(out.path()), stand);
  const QString kopf = QStringLiteral("Die Übung konnte nicht gespeichert werden:\r\n");
  const QStringList texte = ui.messageTexts();
  ASSERT_EQ(texte.size(), 5);
  EXPECT_EQ(texte[0], kopf + path + "\r\nSchreibfehler");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(texte[i + 1].startsWith(kopf + ziele[i] + "\r\n")) << i;
  EXPECT_FALSE(w->document()->saved());
}

// Closing the window or quitting the program asks for an unsaved exercise;
// only No gives it up.
TEST_F(Fenster, SchliessenAndQuittingAskWhenUnsaved) {
  frmMain main;
  main.show();
  QPointer<frmUebung> w = open(&main);
  ASSERT_FALSE(w.isNull());
  // Cancel: the window and the document stay.
  ui.answerMessage(Answer::Cancel);
  w->menuEntry(11)->trigger();
  QApplication::processEvents();
  ASSERT_FALSE(w.isNull());
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_TRUE(ui.messages()[0].buttons == Buttons::YesNoCancel && ui.messages()[0].text.contains("Neue Übung"));
  // Yes, but the file dialog cancelled; then Cancel when quitting.
  ui.answerMessage(Answer::Yes);
  w->close();
  ui.answerMessage(Answer::Cancel);
  EXPECT_FALSE(main.close());
  EXPECT_EQ(ui.shown().last().owner, w.data());  // the document window's question, also when quitting
  QApplication::processEvents();
  ASSERT_FALSE(w.isNull());
  EXPECT_TRUE(w->isVisible() && main.isVisible());
  EXPECT_EQ(engine::Application::runningCount(), 1);
  // No: closed without saving, the engine quit.
  ui.answerMessage(Answer::No);
  EXPECT_TRUE(main.close());
  QApplication::processEvents();
  EXPECT_TRUE(w.isNull());
  EXPECT_EQ(engine::Application::runningCount(), 0);
  EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(Fenster, APupilsCopyShowsTheNameInTheTitleAndTheHeaderAboveTheText) {
  engine::Document* doc = qvtest::makeExercise();
  ASSERT_NE(doc, nullptr);
  gWordDoc = doc;
  const QString path = out.filePath("mueller_anna.doc");
  ASSERT_TRUE(PersonaliseCopy(path, u8("Anna Müller"), QStringLiteral("amueller")));
  gWordDoc = nullptr;
  doc->application()->quit();
  EXPECT_FALSE(qvtest::readFile(path).contains(ExercisePassword().toLatin1()));

  // Opened from the main window's file menu.
  frmMain main;
  ui.answerOpenFile(path);
  main.menuEntry(QStringLiteral("mnuDatei"), 4)->trigger();
  frmUebung* w = lastWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), u8("mueller_anna.doc - Anna Müller"));
  EXPECT_TRUE(w->headerView()->isVisible());
  EXPECT_TRUE(w->headerView()->toPlainText().contains(u8("Anna Müller")) && !w->menuEntry(5)->isVisible());

  // Opening something that is no exercise tells why and opens no window.
  qvtest::writeFile(out.filePath("brief.rtf"), "{\\rtf1\\ansi Lieber Hans\\par}");
  EXPECT_FALSE(frmUebung::openFile(out.filePath("brief.rtf")));
  ASSERT_FALSE(ui.messages().isEmpty());
  EXPECT_TRUE(ui.messages().last().text.contains(QStringLiteral("keine interaktive Übung")));
}

// The sample workbook's first worksheet, built with the header line of
// words, handed to the window by the builder's hook; a click on a header word
// marks it (the window's look: the fit check).
TEST_F(Fenster, TheBuildersHookShowsTheWindowAndAClickMarksAWord) {
  engine::Document* doc = qvtest::buildFromWorkbook(qvtest::fixture("klassenfahrt.qbm"), 1, 1, 1);
  ASSERT_NE(doc, nullptr);
  setExerciseWindowOpener([](engine::Document* d) { frmUebung::showDocument(d); });
  ShowExerciseWindow(doc);
  setExerciseWindowOpener({});
  frmUebung* w = lastWindow();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->document(), doc);
  QApplication::processEvents();
  // A click on the ninth header word.
  const int word = doc->field(qvtest::headerWordField(*doc, 9))->result.start();
  QTextCursor c(doc->data().body());
  c.setPosition(word + 1);
  QTest::mouseClick(w->textView()->viewport(), Qt::LeftButton, {}, w->textView()->cursorRect(c).center());
  EXPECT_TRUE(qvtest::formatAt(*doc, word).fontStrikeOut());
  ui.answerSaveFile(out.filePath("uebung.pdf"));
  ASSERT_TRUE(w->exportPdf());
  EXPECT_TRUE(qvtest::readFile(out.filePath("uebung.pdf")).startsWith("%PDF"));
  EXPECT_EQ(ui.shown().last().owner, w);  // the document window owns its dialogs
  // A new exercise comes to the front.
  EXPECT_TRUE(QTest::qWaitForWindowActive(w));
}

// Printouts show the verdict of the field with the cursor, never the focus
// colour; the key lists each accepted answer once, the paper sheet no answer.
TEST_F(Fenster, PrintoutsShowVerdictsTheKeyEachAnswerOnceThePaperSheetNoAnswer) {
  if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm fehlt";
  qvtest::UebungVorgabe v;
  v.gaps[0].alternativen = {"fuhren", "reisten", "reisten"};
  frmUebung* w = open(nullptr, v);
  type(w, "fuhren");
  ui.answerSaveFile(out.filePath("blatt.pdf"));
  ASSERT_TRUE(w->exportPdf());
  const int feld = w->document()->formField("Gap_1")->result.start();
  EXPECT_EQ(qvtest::formatAt(*w->document(), feld).background().color(), farbe::kFokus);
  QProcess::execute("pdftoppm", {"-r", "60", "-png", "-singlefile", out.filePath("blatt.pdf"), out.filePath("blatt")});
  const QImage bild = QImage(out.filePath("blatt.png")).convertToFormat(QImage::Format_RGB32);
  const auto* px = reinterpret_cast<const QRgb*>(bild.constBits());
  EXPECT_GT(std::count(px, px + bild.width() * bild.height(), farbe::kRichtig.rgb()), 20);
  EXPECT_EQ(std::count(px, px + bild.width() * bild.height(), farbe::kFokus.rgb()), 0);

  type(w, "Quatsch");
  EXPECT_TRUE(w->menuEntry(5)->isVisible());  // in a master only
  ui.answerSaveFile(out.filePath("key.pdf"));
  ASSERT_TRUE(w->exportLoesungsblatt());
  const QString key = qvtest::pdfText(out.filePath("key.pdf"));
  EXPECT_TRUE(key.contains(u8("Lösungsblatt: Ein Aus")) && key.contains("fuhren / reisten1)")) << key.toStdString();
  ui.answerSaveFile(out.filePath("papier.pdf"));
  ASSERT_TRUE(w->exportPapierblatt());
  EXPECT_FALSE(qvtest::pdfText(out.filePath("papier.pdf")).contains("Quatsch"));
  QSet<QString> linien;
  const auto papier = Papierblatt(*w->document());
  for (const Field& f : papier->fields())
    if (f.kind == FieldKind::FormText && !f.result.cursor().charFormat().hasProperty(QTextFormat::BackgroundBrush))
      linien << f.result.text();
  EXPECT_EQ(linien.size(), 1);
}

TEST_F(Fenster, ALongExerciseOpensAtTheTop) {
  const QScrollBar* bar = open(nullptr, qvtest::langeVorgabe())->textView()->verticalScrollBar();
  EXPECT_TRUE(bar->maximum() > 0 && bar->value() == 0);
}
