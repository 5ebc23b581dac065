// The distribution run through the real document engine: a master exercise
// made with the engine is handed out to a class on a folder tree, and every
// pupil's copy is opened again with the engine and checked.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/variablen.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "platform/docengine.h"
#include "platform/rtf_codec.h"
#include "common/scripted_ui.h"
#include "students/schueler.h"
#include "word/modword.h"

using namespace qv;
using qvtest::u8;

namespace {

class Verteilung : public ::testing::Test {
 protected:
  void SetUp() override {
    gSchueler.clear();
    gQuelle.clear();
    InstallDistributionEngine();
    master = out.filePath(QStringLiteral("uebung.doc"));
    // The teacher's exercise, made by the form builder: a text with three
    // gaps, the exercise's variables, protected for form fields, saved.
    qvtest::UebungVorgabe vorgabe;
    vorgabe.text = u8("Am Montag [fuhren] wir an den Mühlsee. Dort [schwammen] wir und [aßen] Eis.");
    vorgabe.gaps = {{"fuhren", "fahren", {}}, {"schwammen", "schwimmen", {}}, {u8("aßen"), "essen", {}}};
    vorgabe.headerLine = false;
    engine::Document* doc = qvtest::makeExercise(vorgabe);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->saveAs(master));
    for (int i = 1; i <= doc->variableCount(); ++i)
      masterVars.append({doc->variableName(i), doc->variableValue(doc->variableName(i)).value_or("<fehlt>")});
    masterText = doc->text();
    doc->application()->quit();
    masterBytes = qvtest::readFile(master);
    running = engine::Application::runningCount();
  }
  void TearDown() override {
    qvtest::quitEngines();
    setDistributionEngine(nullptr);
    setExerciseRecognizer({});
  }

  // A class of n pupils, each with a folder of their own below klasse/; the
  // list file is imported as the teacher would.
  void makeClass(SchuelerListe& l, int n) {
    QDir(out.path()).mkpath(QStringLiteral("klasse"));
    QByteArray list;
    for (int i = 1; i <= n; ++i) {
      const QString folder = out.filePath(QStringLiteral("klasse/k%1").arg(i));
      QDir().mkpath(folder);
      // Every third pupil has no user name.
      const QString user = i % 3 == 0 ? QString() : QStringLiteral("user%1").arg(i);
      list += (pupilName(i) + ";" + folder + ";;" + user + "\r\n").toLatin1();
    }
    const QString file = out.filePath(QStringLiteral("klasse.txt"));
    qvtest::writeFile(file, list);
    ASSERT_TRUE(l.ImportiereDatei(file, false));
    ASSERT_EQ(l.rows.size(), n);
    // The teacher picks the exercise; the real recogniser accepts it and the
    // file names are built.
    ui.answerOpenFile(master);
    l.WaehleQuelle();
    ASSERT_EQ(gQuelle, master);
    ASSERT_FALSE(l.rows[0].Dateiname.isEmpty());
  }
  static QString pupilName(int i) {
    return QStringLiteral("%1, %2").arg(i % 2 ? QStringLiteral("M\u00fcller") : QStringLiteral("Gro\u00df")).arg(i);
  }
  // Opens a pupil's copy with a fresh engine and checks it.
  void expectCopy(const QString& path, const QString& name, const QString& user) {
    SCOPED_TRACE(path.toStdString());
    engine::Application* app = engine::Application::create();
    engine::Document* d = app->openDocument(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->author(), name);
    EXPECT_EQ(d->firstPageHeaderCell(1, 2).value_or("<fehlt>"), name);
    EXPECT_EQ(d->variableValue("SUSER").value_or("<fehlt>"), user.isEmpty() ? QStringLiteral("?") : user);
    EXPECT_EQ(d->variableValue("TEMPLATE").value_or("<fehlt>"), "0");
    // Every other variable as in the master, in the same order.
    ASSERT_EQ(d->variableCount(), masterVars.size());
    for (int i = 1; i <= d->variableCount(); ++i) {
      const auto& [n, v] = masterVars[i - 1];
      EXPECT_EQ(d->variableName(i), n);
      if (n != "SUSER" && n != "TEMPLATE") {
        EXPECT_EQ(d->variableValue(n).value_or("<fehlt>"), v) << n.toStdString();
      }
    }
    EXPECT_EQ(d->text(), masterText);
    ASSERT_EQ(d->formFieldCount(), 3);
    EXPECT_EQ(d->protectionType(), engine::kProtectionFormFields);
    EXPECT_FALSE(d->unprotect(QStringLiteral("Lernfelder1997")));
    EXPECT_EQ(d->protectionType(), engine::kProtectionFormFields);
    EXPECT_TRUE(d->unprotect(ExercisePassword()));
    app->quit();
  }

  qvtest::Umgebung env;
  QTemporaryDir out;
  ScriptedInteraction ui;
  QString master;
  QByteArray masterBytes;
  QList<std::pair<QString, QString>> masterVars;
  QString masterText;
  int running = 0;
};

}  // namespace

TEST_F(Verteilung, ThirtyPupilsGetTheirOwnCopies) {
  SchuelerListe l;
  makeClass(l, 30);
  l.rows[4].checked = false;  // an unticked pupil gets no copy
  ui.clear();
  const SchuelerListe::Ergebnis e = l.DupliziereUebungen();
  EXPECT_TRUE(e.fehler.isEmpty()) << e.fehler.join("\n").toStdString();
  // No overwrite question, only the closing message (counts as in the result).
  EXPECT_EQ(ui.messageTexts(), QStringList{"Es wurden 29 von 29 Kopien geschrieben."});
  for (const SchuelerZeile& z : l.rows) {
    const int i = z.Name.section(", ", 1).toInt();
    if (!z.checked) {
      EXPECT_FALSE(QFile::exists(z.Dateiname));
      continue;
    }
    // Pupils without a user name after one with a name still get "?". Each
    // copy in its pupil's folder (the results read them from there) with
    // nothing left beside it, the master unchanged and the engine quit are
    // checked with the failed and the cancelled runs.
    expectCopy(z.Dateiname, pupilName(i), i % 3 == 0 ? QString() : QStringLiteral("user%1").arg(i));
  }
  // The run's references are dropped.
  EXPECT_TRUE(gWordApp == nullptr && gWordDoc == nullptr);
  EXPECT_FALSE(ui.waitCursor());
}

TEST_F(Verteilung, OverwriteAnswersNoYesCancel) {
  SchuelerListe l;
  makeClass(l, 4);
  // Earlier files for the first three pupils in grid order.
  for (int i = 0; i < 3; ++i) qvtest::writeFile(l.rows[i].Dateiname, "alt");
  ui.clear();
  ui.answerMessage(Answer::No);
  ui.answerMessage(Answer::Yes);
  ui.answerMessage(Answer::Cancel);
  const SchuelerListe::Ergebnis e = l.DupliziereUebungen();
  ASSERT_GE(ui.messages().size(), 3);
  for (int i = 0; i < 3; ++i) {
    const MessageBoxRequest m = ui.messages()[i];
    EXPECT_EQ(std::tuple(m.text, m.icon, m.buttons, m.defaultButton),
              std::tuple(l.rows[i].Dateiname + u8(" überschreiben?"), Icon::Question, Buttons::YesNoCancel, 1));
  }
  EXPECT_EQ(e.geschrieben, 1);  // tried: the closing message's count
  EXPECT_EQ(qvtest::readFile(l.rows[0].Dateiname), "alt");
  expectCopy(l.rows[1].Dateiname, l.rows[1].Name, l.rows[1].Rechnername);
  EXPECT_EQ(qvtest::readFile(l.rows[2].Dateiname), "alt");
  // Cancel ends the run: the fourth pupil, without an earlier file, gets none,
  // and the closing message says so.
  EXPECT_FALSE(QFile::exists(l.rows[3].Dateiname));
  EXPECT_EQ(ui.messages().back().text, u8("Es wurden 1 von 1 Kopien geschrieben.\r\n\r\nAbgebrochen: 2 weitere Kopien "
                                          "wurden nicht geschrieben."));
  EXPECT_EQ(engine::Application::runningCount(), running);
  EXPECT_EQ(qvtest::readFile(master), masterBytes);
}

TEST_F(Verteilung, MasterThatCannotBeOpenedWritesNothing) {
  SchuelerListe l;
  makeClass(l, 3);
  qvtest::writeFile(master, "kein Dokument");
  ui.clear();
  const SchuelerListe::Ergebnis e = l.DupliziereUebungen();
  EXPECT_EQ(e.geschrieben, 0);
  EXPECT_EQ(e.fehler.size(), 3);
  for (const auto& z : l.rows) EXPECT_FALSE(QFile::exists(z.Dateiname));
  EXPECT_EQ(engine::Application::runningCount(), running);
}

// A run whose writes fail from one copy on, or at one copy only: the copies
// before and after are good and carry their own pupil's name, every failed
// pupil keeps the earlier file, no temporary file is left, and the closing
// message names exactly the failed copies.
TEST_F(Verteilung, FailedCopiesKeepEarlierFilesAndAreNamed) {
  for (const auto& [von, anzahl] : {std::pair{1, 4}, {3, 9}, {2, 1}}) {
    SCOPED_TRACE(von);
    gSchueler.clear();
    SchuelerListe l;
    makeClass(l, 4);
    for (const auto& z : l.rows) qvtest::writeFile(z.Dateiname, "alt"), ui.answerMessage(Answer::Yes);
    ui.clear();
    qvtest::Schreibfehler fehler(von, anzahl);
    EXPECT_EQ(l.DupliziereUebungen().geschrieben, 4 - std::min(anzahl, 5 - von));
    EXPECT_EQ(ui.messages().last().icon, Icon::Exclamation);
    for (int i = 0; i < 4; ++i) {
      const bool fehlt = i + 1 >= von && i + 1 < von + anzahl;
      EXPECT_EQ(ui.messageTexts().last().contains(l.rows[i].Dateiname + ": Schreibfehler"), fehlt);
      if (fehlt) EXPECT_EQ(qvtest::readFile(l.rows[i].Dateiname), "alt");
      else expectCopy(l.rows[i].Dateiname, l.rows[i].Name, l.rows[i].Rechnername);
    }
    EXPECT_EQ(qvtest::ordnerStand(out.filePath("klasse")).size(), 4);
  }
}

// A pupil's copy takes the master's body and large variables as written for
// the copy before; its bytes must be those a write of the whole document
// gives, also when the master changed between two copies.
TEST(VerteilungBytes, CopiesEqualAWholeWrite) {
  qvtest::Umgebung umgebung;
  QTemporaryDir out;
  const struct { const char* mappe; int blatt, form; } faelle[] = {
      {"klassenfahrt.qbm", 1, 1}, {"klassenfahrt.qbm", 1, 4}, {"grosse-mappe.qbm", 1, 1}};
  const QString pupils[][2] = {{u8("Müller, Jana"), "jana"}, {u8("Şahin, Ömer"), ""}, {u8("Groß, Ben"), "ben"}};
  for (const auto& f : faelle) {
    SCOPED_TRACE(testing::Message() << f.mappe << " " << f.blatt << " " << f.form);
    engine::Document* built = qvtest::buildFromWorkbook(qvtest::fixture(f.mappe), f.blatt, f.form);
    ASSERT_NE(built, nullptr);
    const QString master = out.filePath(QStringLiteral("master.doc"));
    ASSERT_TRUE(built->saveAs(master));
    qvtest::quitEngines();
    ASSERT_TRUE(StartOrQuitWord(false));
    OpenMasterDocument(master);
    ASSERT_NE(gWordDoc, nullptr);
    const RichDocument& data = gWordDoc->data();
    for (int i = 0; i < 3; ++i) {
      if (i == 2) {
        // A change of format only, in a body without undo (as the exercise
        // window keeps it).
        gWordDoc->data().body()->setUndoRedoEnabled(false);
        gWordDoc->setBold(0, 3, true);
      }
      const QString target = out.filePath(QStringLiteral("k%1.doc").arg(i));
      ASSERT_TRUE(PersonaliseCopy(target, pupils[i][0], pupils[i][1]));
      const QByteArray whole = rtf::codec::write(*data.body(), 0, data.body()->characterCount() - 1, &data);
      EXPECT_TRUE(qvtest::readFile(target) == whole) << "pupil " << i;
    }
    StartOrQuitWord(true);
  }
}
