#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "common/fitcheck.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "platform/docengine.h"
#include "common/scripted_ui.h"
#include "platform/widget_ui.h"
#include "students/frmschuelerliste.h"
#include "word/frmuebung.h"
#include "word/uebungsmakros.h"

using namespace qv;

class Window : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  void SetUp() override {
    qputenv("QV_PROGRAM_FOLDER", dir.path().toUtf8());
    gSchueler.clear();
    gQuelle.clear();
  }
  static void showActive(QWidget& w) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  }
  // Types into a field and leaves it with the tab key, as the teacher does.
  static void typeAndLeave(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
  }
  // The events of a real double-click: press, release, double-click, release.
  static void doubleClick(QTreeWidget* grid, QPoint at) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
  }
  // Loads a list file of these lines with the window's load button.
  void loadList(frmSchuelerListe& w, const QByteArray& lines) {
    qvtest::writeFile(dir.filePath("l.txt"), lines);
    ui.answerOpenFile(dir.filePath("l.txt"));
    w.cmdButton[0]->click();
  }
};

TEST_F(Window, EmptyGridButtonsWarnAndTheWindowSpringsBackToMinimumSize) {
  frmSchuelerListe w;
  for (int i = 1; i <= 3; ++i) w.cmdButton[i]->click();
  ASSERT_EQ(ui.messages().size(), 3);
  for (const auto& m : ui.messages())
    EXPECT_EQ(std::tuple(m.text, m.icon),
              std::tuple(qvtest::u8("Es ist noch keine Schülerliste vorhanden!"), Icon::Exclamation));
  w.show();
  w.resize(50, 50);
  EXPECT_GE(w.width(), twipsToPixels(7875 + 120));
  EXPECT_GE(w.height(), twipsToPixels(3000, false));
}

// A class entered by hand: the empty grid gives pupil 1, the empty area
// below the rows the next; "Entf" removes a pupil after a question.
TEST_F(Window, DoubleClicksAddPupilsByHandAndEntfRemovesOne) {
  frmSchuelerListe w;
  showActive(w);
  ui.answerInput("Anna");
  doubleClick(w.lstListe, {20, 20});
  ui.answerInput("Berta");
  ui.answerInput("/k");
  doubleClick(w.lstListe, {20, w.lstListe->viewport()->height() - 4});
  ASSERT_EQ(std::tuple(ui.inputs().size(), ui.inputs()[4].preset, w.lstListe->topLevelItemCount()), std::tuple(8, "", 2));
  const QTreeWidgetItem *anna = w.lstListe->topLevelItem(0), *berta = w.lstListe->topLevelItem(1);
  EXPECT_EQ(std::tuple(anna->text(0), anna->text(1), anna->checkState(0)), std::tuple("1", "Anna", Qt::Unchecked));
  EXPECT_EQ(std::tuple(berta->text(0), berta->text(1), berta->text(2), gSchueler.value(1).Name),
            std::tuple("2", "Berta", "/k", "Berta"));
  // No keeps the pupil, Yes removes it.
  w.lstListe->setCurrentItem(w.lstListe->topLevelItem(1));
  ui.answerMessage(Answer::No), ui.answerMessage(Answer::Yes);
  for (int bleiben : {2, 1}) { QTest::keyClick(w.lstListe, Qt::Key_Delete); ASSERT_EQ(w.lstListe->topLevelItemCount(), bleiben); }
  EXPECT_EQ(std::tuple(w.lstListe->topLevelItem(0)->text(1), ui.messageTexts().value(0)),
            std::tuple("Anna", qvtest::u8("Soll „Berta“ aus der Schülerliste entfernt werden?")));
  // Pupil 2 entered anew gets nothing of the removed Berta's, and an import
  // behind the list does not bring Berta back.
  ui.answerInput("Cara");
  doubleClick(w.lstListe, {20, w.lstListe->viewport()->height() - 4});
  ui.answerMessage(Answer::No);
  loadList(w, "Cem\r\n");
  const QTreeWidgetItem* cara = w.lstListe->topLevelItem(1);
  EXPECT_EQ(std::tuple(w.lstListe->topLevelItemCount(), cara->text(1), cara->text(2)), std::tuple(3, "Cara", ""));
}

// Names show whole; folders and file names as far as the screen lets the
// window grow.
TEST_F(Window, ColumnsFitTheirContents) {
  frmSchuelerListe w;
  QDir().mkpath(dir.filePath("Klasse 7b"));
  loadList(w, qvtest::u8("Schäfer-Weiß, Anna-Katharina Sophie;%1;;\r\nBo;%1;;\r\n").replace("%1", dir.filePath("Klasse 7b")).toLatin1());
  w.cmdButton[2]->click();
  showActive(w);
  const bool vollBreit = w.frameGeometry().width() >= w.screen()->availableGeometry().width() - 2;
  const QAbstractItemView* grid = w.lstListe;
  for (int c = 0; c < 4; ++c)
    EXPECT_TRUE(w.lstListe->columnWidth(c) >= grid->sizeHintForColumn(c) || (c > 1 && vollBreit)) << c;
  EXPECT_TRUE(qvtest::saveScreenshot(&w, "schuelerliste-lange-namen"));
}

// ---- Keys of the window

// Enter in a field presses only the default button (not the field's check
// too), Escape the cancel button; closing is no leaving of a field.
TEST_F(Window, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
  frmSchuelerListe w;
  showActive(w);
  EXPECT_TRUE(w.cmdButton[0]->isDefault());
  int cancelClicks = 0;
  QObject::connect(w.cmdButton[4], &QPushButton::clicked, [&] { ++cancelClicks; });
  w.txtBasisverzeichnis->setFocus();
  QTest::keyClicks(w.txtBasisverzeichnis, dir.filePath("fehlt"));
  QTest::keyClick(w.txtBasisverzeichnis, Qt::Key_Return);
  ASSERT_EQ(ui.shown().size(), 1);  // the list file dialog of button 0
  EXPECT_EQ(ui.shown()[0].kind, ScriptedInteraction::Shown::Kind::OpenFile);
  EXPECT_EQ(ui.shown()[0].file.title, qvtest::u8("Schülerliste öffnen..."));
  EXPECT_TRUE(w.isVisible());
  QTest::keyClick(w.txtBasisverzeichnis, Qt::Key_Tab);
  EXPECT_EQ(ui.shown().size(), 3);  // the message and the folder choice
  ui.clear();
  w.txtBasisverzeichnis->setText(dir.path());
  w.txtQuelle->setFocus();
  QTest::keyClick(w.txtQuelle, Qt::Key_Escape);
  EXPECT_EQ(std::tuple(cancelClicks, w.isVisible(), ui.shown().size()), std::tuple(1, false, 0));
  // Closing writes the settings file with the fields as they stand.
  EXPECT_EQ(qvtest::readFile(dir.filePath("Vodedarivo.ini")), (dir.path() + ";\r\n").toUtf8());
}

// ---- Choosing and leaving the fields

TEST_F(Window, ChoosingTheExerciseDocument) {
  const QString doc = dir.filePath("uebung.doc"), other = dir.filePath("brief.doc");
  qvtest::writeFile(doc, "x");
  qvtest::writeFile(other, "y");
  setExerciseRecognizer([&](const QString& p) { return p == doc; });
  frmSchuelerListe w;
  w.cmdOpenQuelle[1]->click();  // cancelled dialog: nothing
  ASSERT_EQ(ui.shown().size(), 1);
  EXPECT_TRUE(w.txtQuelle->text().isEmpty());

  ui.answerOpenFile(other);
  w.cmdOpenQuelle[1]->click();
  EXPECT_EQ(ui.messageTexts().value(0), "'" + other + qvtest::u8("' ist keine Datei für interaktive Übungen"));
  EXPECT_TRUE(w.txtQuelle->text().isEmpty());

  // With an empty grid the run button goes off; an import does not bring it
  // back, choosing the document again with rows present does.
  ui.answerOpenFile(doc);
  w.cmdOpenQuelle[1]->click();
  EXPECT_EQ(std::tuple(w.txtQuelle->text(), gQuelle), std::tuple(doc, doc));
  EXPECT_FALSE(w.cmdButton[3]->isEnabled());
  loadList(w, "Zoe\r\nAnna\r\n");
  EXPECT_FALSE(w.cmdButton[3]->isEnabled());
  w.txtBasisverzeichnis->setText(dir.path());
  ui.answerOpenFile(doc);
  w.cmdOpenQuelle[1]->click();
  EXPECT_TRUE(w.cmdButton[3]->isEnabled());
  // The file names are built and shown.
  EXPECT_EQ(w.lstListe->topLevelItem(0)->text(3), dir.path() + "/2_Anna.doc");
  setExerciseRecognizer({});
}

TEST_F(Window, LeavingTheSourceAndTheTargetFolderField) {
  qvtest::writeFile(dir.filePath("da.doc"), "x");
  QDir(dir.path()).mkdir("k");
  qvtest::writeFile(dir.filePath("l.txt"), "Anna\r\n");
  frmSchuelerListe w;
  w.liste().ImportiereDatei(dir.filePath("l.txt"), false);
  w.zeigeListe();
  showActive(w);
  typeAndLeave(w.txtQuelle, "  " + dir.filePath("fehlt.doc") + " ");
  EXPECT_EQ(ui.messageTexts(), QStringList{dir.filePath("fehlt.doc") + qvtest::u8(" ist nicht vorhanden!")});
  EXPECT_TRUE(w.txtQuelle->text().isEmpty());
  ui.clear();
  // A typed exercise is what the run hands out; a typed file that is none
  // gives way to it again.
  setExerciseRecognizer([&](const QString& p) { return p == dir.filePath("da.doc"); });
  typeAndLeave(w.txtQuelle, dir.filePath("da.doc") + " ");
  EXPECT_TRUE(ui.shown().isEmpty());
  EXPECT_EQ(std::tuple(w.txtQuelle->text(), gQuelle), std::tuple(dir.filePath("da.doc"), dir.filePath("da.doc")));
  typeAndLeave(w.txtQuelle, dir.filePath("l.txt"));
  setExerciseRecognizer({});
  EXPECT_EQ(ui.messageTexts(), QStringList{"'" + dir.filePath("l.txt") + qvtest::u8("' ist keine Datei für interaktive Übungen")});
  EXPECT_EQ(std::tuple(w.txtQuelle->text(), gQuelle), std::tuple(dir.filePath("da.doc"), dir.filePath("da.doc")));
  ui.clear();

  typeAndLeave(w.txtBasisverzeichnis, dir.filePath("k"));
  EXPECT_TRUE(ui.shown().isEmpty());
  EXPECT_EQ(w.lstListe->topLevelItem(0)->text(2), dir.filePath("k"));
  EXPECT_TRUE(w.lstListe->topLevelItem(0)->text(3).isEmpty());  // file names are not rebuilt here

  // A missing folder: message, then the folder choice (answered), which
  // rebuilds the file names.
  ui.answerFolder(dir.path());
  typeAndLeave(w.txtBasisverzeichnis, dir.filePath("fehlt"));
  ASSERT_EQ(ui.shown().size(), 2);
  EXPECT_EQ(ui.shown()[0].message.text, dir.filePath("fehlt") + qvtest::u8(" ist nicht vorhanden"));
  EXPECT_EQ(ui.shown()[1].kind, ScriptedInteraction::Shown::Kind::Folder);
  EXPECT_EQ(w.txtBasisverzeichnis->text(), dir.path());
  EXPECT_EQ(w.lstListe->topLevelItem(0)->text(3), dir.path() + "/1_Anna.doc");
}

// ---- Editing in the grid

TEST_F(Window, ClickAndDoubleClickInTheGridEditThatPupil) {
  frmSchuelerListe w;
  ui.answerOpenFile(dir.filePath("fehlt.txt"));
  w.cmdButton[0]->click();
  EXPECT_EQ(w.lstListe->topLevelItemCount(), 0);
  loadList(w, "Zoe\r\nAnna\r\nMia\r\n");
  ASSERT_EQ(w.lstListe->topLevelItem(2)->text(1), "Zoe");
  // Unticking a row in the grid reaches the list the run uses.
  w.lstListe->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  EXPECT_FALSE(w.liste().rows[1].checked);
  // Before any click, a double-click asks with empty defaults and changes nothing.
  ui.answerInput("Niemand");
  emit w.lstListe->itemDoubleClicked(w.lstListe->topLevelItem(0), 1);
  ASSERT_EQ(ui.inputs().size(), 4);
  EXPECT_TRUE(ui.inputs()[0].preset.isEmpty());
  for (int i = 0; i < 3; ++i) EXPECT_NE(w.lstListe->topLevelItem(i)->text(1), "Niemand");
  ui.clear();

  emit w.lstListe->itemClicked(w.lstListe->topLevelItem(2), 1);
  EXPECT_EQ(w.windowTitle(), "Zoe");
  ui.answerInput("Alma");
  ui.answerInput("/x");
  ui.answerInput("");  // a cancelled prompt leaves the column as it is
  ui.answerInput("zo");
  emit w.lstListe->itemDoubleClicked(w.lstListe->topLevelItem(2), 1);
  ASSERT_EQ(ui.inputs().size(), 4);
  EXPECT_EQ(ui.inputs()[0].preset, "Zoe");
  // The renamed pupil moves to its sorted place and keeps ID and check box.
  const QTreeWidgetItem* alma = w.lstListe->topLevelItem(0);
  EXPECT_EQ(std::tuple(alma->text(1), alma->text(0), alma->text(4), alma->checkState(0)),
            std::tuple("Alma", "1", "zo", Qt::Checked));
  EXPECT_EQ(gSchueler[0].Verzeichnis, "/x");
}

namespace {
// Writes nothing; notes the window title at each copy.
struct TitleEngine : DistributionEngine {
  QWidget* window = nullptr;
  QStringList targets, titles;
  bool start() override { return true; }
  bool openMaster(const QString&) override { return true; }
  bool personaliseCopy(const QString& target, const QString&, const QString&, QString*) override {
    targets << target;
    titles << window->windowTitle();
    return true;
  }
  void quit() override {}
};
}  // namespace

TEST_F(Window, TitleShowsTheCopyBeingWritten) {
  const QString doc = dir.filePath("uebung.doc");
  qvtest::writeFile(doc, "x");
  frmSchuelerListe w;
  TitleEngine engine;
  engine.window = &w;
  setDistributionEngine(&engine);
  gQuelle = doc;
  w.txtQuelle->setText(doc);
  w.txtBasisverzeichnis->setText(dir.path());
  loadList(w, "Zoe\r\nAnna\r\n");
  showActive(w);
  QTest::mouseClick(w.cmdButton[2], Qt::LeftButton);
  QTest::mouseClick(w.cmdButton[3], Qt::LeftButton);
  setDistributionEngine(nullptr);
  ASSERT_EQ(engine.targets.size(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(engine.titles[i], "Kopiere: " + engine.targets[i]);
  EXPECT_EQ(w.windowTitle(), qvtest::u8("Schülerliste"));
}

TEST_F(Window, GridKeepsSelectionAndScrollPosition) {
  QByteArray list;
  for (int i = 10; i < 60; ++i) list += "Kind " + QByteArray::number(i) + "\r\n";
  frmSchuelerListe w;
  loadList(w, list);
  showActive(w);
  QTreeWidget* grid = w.lstListe;
  grid->scrollToItem(grid->topLevelItem(40));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->topLevelItem(40)).center());
  const int down = grid->verticalScrollBar()->value();
  ASSERT_GT(down, 0);
  const auto keeps = [&](const char* after) {
    ASSERT_EQ(grid->selectedItems().size(), 1) << after;
    EXPECT_EQ(grid->selectedItems()[0]->text(1), "Kind 50") << after;
    EXPECT_EQ(grid->currentItem()->text(1), "Kind 50") << after;
    EXPECT_EQ(grid->verticalScrollBar()->value(), down) << after;
  };
  QTest::mouseClick(w.cmdButton[2], Qt::LeftButton);
  keeps("button");
  typeAndLeave(w.txtBasisverzeichnis, dir.path());
  keeps("field");
  doubleClick(grid, grid->visualItemRect(grid->currentItem()).center());
  EXPECT_EQ(ui.inputs().size(), 4);
  keeps("edit");
}

TEST_F(Window, QuestionsAreOwnedByTheStudentListWindow) {
  QWidget main;
  main.show();
  WidgetInteraction widgets(&main);
  setUi(&widgets);
  frmSchuelerListe w(&main);
  w.setWindowModality(Qt::ApplicationModal);
  showActive(w);
  QList<QWidget*> owners;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()); d && d != &w) {
      owners << d->parentWidget();
      d->reject();
    }
  });
  closer.start(20);
  QTest::mouseClick(w.cmdButton[1], Qt::LeftButton);        // message
  QTest::mouseClick(w.cmdOpenQuelle[2], Qt::LeftButton);    // folder chooser
  doubleClick(w.lstListe, {20, 20});                         // four prompts
  setUi(&ui);
  EXPECT_EQ(owners, QList<QWidget*>(6, &w));
}

// The pupil table outlives the window: an import into the empty grid brings
// back no pupil of an earlier opening, one answered "Nein" appends behind
// every record (also one of a repeated name, which has no row), each row is
// its ID's record, and "Ja" with an empty file leaves one empty row.
TEST_F(Window, AnImportShowsExactlyThePupilTable) {
  loadList(*std::make_unique<frmSchuelerListe>(), "A\r\nB\r\nC\r\nD\r\nE\r\n");
  frmSchuelerListe w;
  showActive(w);
  loadList(w, "Zoe\r\nZoe\r\nYul\r\n");
  ui.answerMessage(Answer::No);
  loadList(w, "Mia\r\nAnna\r\nB\r\nC\r\nD\r\nE\r\nF\r\n");
  EXPECT_EQ(ui.messageTexts(), QStringList{qvtest::u8("Soll die bisherige Liste gelöscht werden?")});
  QStringList shown;
  for (int i = 0; i < w.lstListe->topLevelItemCount(); ++i) {
    shown << w.lstListe->topLevelItem(i)->text(1);
    EXPECT_EQ(gSchueler.value(w.lstListe->topLevelItem(i)->text(0).toInt() - 1).Name, shown.last());
  }
  EXPECT_EQ(std::tuple(shown.join(' '), gSchueler.size(), w.lstListe->topLevelItem(0)->text(0)),
            std::tuple("Anna B C D E F Mia Yul Zoe", 10, "05"));
  ui.answerMessage(Answer::Yes);
  loadList(w, "");
  EXPECT_EQ(std::tuple(w.lstListe->topLevelItemCount(), w.lstListe->topLevelItem(0)->text(0)), std::tuple(1, "1"));
}

// A master the teacher tried in the document window: the run asks once and
// Enter ("Ja") gives copies with empty, uncoloured gaps and no progress;
// Enter at the question before a pupil's filled copy keeps it ("Nein").
TEST_F(Window, TriedMasterGivesEmptyCopiesAndEnterKeepsAPupilsWork) {
  qvtest::Umgebung env;
  InstallExerciseMacros(), InstallDistributionEngine();
  const QString master = dir.filePath("uebung.doc");
  engine::Document* doc = qvtest::makeExercise();
  ASSERT_TRUE(doc->saveAs(master));
  doc->application()->run("Document_Open", doc);
  frmUebung* uebung = frmUebung::showDocument(doc);
  QApplication::processEvents();
  QTest::keyClicks(uebung->textView(), "fuhrn");
  QTest::keyClick(uebung->textView(), Qt::Key_Tab);
  ASSERT_TRUE(uebung->save() && uebung->close());
  const QByteArray masterBytes = qvtest::readFile(master);
  frmSchuelerListe w;
  loadList(w, "Anna\r\nBen\r\n");
  gQuelle = w.liste().txtQuelle = master;
  w.liste().txtBasisverzeichnis = dir.path();
  w.liste().ErzeugeDateinamen();
  w.zeigeListe();
  const QString anna = w.liste().rows[0].Dateiname;
  ASSERT_TRUE(QFile::copy(master, anna));  // a pupil's copy with one gap filled
  showActive(w);
  WidgetInteraction widgets(&w);
  setUi(&widgets);
  QStringList texts;
  QTimer enter;
  QObject::connect(&enter, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      texts << box->text();
      QTest::keyClick(box, Qt::Key_Return);
    }
  });
  enter.start(20);
  QTest::mouseClick(w.cmdButton[3], Qt::LeftButton);
  setUi(&ui);
  EXPECT_EQ(texts, QStringList({qvtest::u8("Die Übung enthält bereits Antworten. Sollen die Kopien mit leeren Lücken "
                                           "geschrieben werden?"),
                                anna + qvtest::u8(" überschreiben?\nIn dieser Kopie sind bereits 1 von 3 Lücken ausgefüllt."),
                                "Es wurden 1 von 1 Kopien geschrieben."}));
  EXPECT_TRUE(qvtest::readFile(anna) == masterBytes && qvtest::readFile(master) == masterBytes);
  engine::Document* ben = engine::Application::create()->openDocument(w.liste().rows[1].Dateiname);
  ASSERT_NE(ben, nullptr);
  const TextRange& gap = ben->formField("Gap_1")->result;
  EXPECT_EQ(std::tuple(ben->author(), gap.text(), gap.cursor().charFormat().background().color(),
                       ben->variableValue(kStandVariable).has_value()),
            std::tuple("Ben", engine::kEmptyFormFieldText, farbe::kFeld, false));
  qvtest::quitEngines();
}
