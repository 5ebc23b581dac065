#include <gtest/gtest.h>

#include <QFile>

#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "platform/docengine.h"
#include "platform/tools.h"
#include "students/schueler.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"

using namespace qv;

namespace {

const char* kVarOrder[] = {"APP",     "GUID",   "CAPTION", "ORIGINAL", "LSTDET", "TXT",   "WSTYP", "AUSART",
                           "INTDIFF", "REATYP", "COUNT",   "LSTIH",    "LSTGF",  "OUSER", "SUSER", "TEMPLATE"};

class WordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCaption = QStringLiteral("Verben in der Vergangenheit");
    gMappenPfad = QStringLiteral("/home/lehrer/klassenfahrt.qbm");
    gTextTXT = QStringLiteral("Unsere Klassenfahrt\r\nAm Montag fuhren wir.");
    gUebungstyp = 101;
    gLueckenArt = 0;
    gWortliste = 3;
    gDetailZeilen = {QStringLiteral("00025;fuhren;fahren;;fuhren;") + QChar(u'\0') + "reisten" + QChar(u'\0') +
                     ";{TP}"};
  }
  void TearDown() override { qvtest::quitEngines(); }
  qvtest::Umgebung env;
  QTemporaryDir out;
  ScriptedInteraction ui;
};

}  // namespace

// The document has none of the template's variables (the variables test
// finds exactly its sixteen) and its header (the copies' name is in it).
TEST_F(WordTest, StartWordGivesADocumentWithoutTheTemplatesVariables) {
  ASSERT_TRUE(StartWord(true));
  ASSERT_NE(gWordDoc, nullptr);
  EXPECT_TRUE(ui.shown().isEmpty());
  engine::Application* first = gWordApp;
  ASSERT_TRUE(StartWord(true));  // a second instance; the first keeps running
  EXPECT_NE(gWordApp, first);
  EXPECT_FALSE(StartWord(false));
  EXPECT_EQ(gWordApp, nullptr);
  EXPECT_EQ(engine::Application::runningCount(), 2);  // dropping references quits nothing
  // Quitting, also without a document, quits its own instance only; the
  // others (the teacher's exercises) stay.
  ASSERT_TRUE(StartOrQuitWord(false));
  EXPECT_EQ(engine::Application::runningCount(), 3);
  EXPECT_FALSE(StartOrQuitWord(true));
  EXPECT_EQ(engine::Application::runningCount(), 2);
}

TEST_F(WordTest, DocumentVariablesInOrderScrambledAndCleared) {
  ASSERT_TRUE(StartWord(true));
  WriteDocumentVariables(1, QStringList{"fuhren"}, QStringList{"fahren"}, true);
  ASSERT_EQ(gWordDoc->variableCount(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(gWordDoc->variableName(i + 1), kVarOrder[i]);
  EXPECT_TRUE(gWordDoc->variableValue("app")->startsWith("Quillbee-Vodedarivo1."));
  EXPECT_EQ(gWordDoc->variableValue("GUID")->size(), 38);
  const QStringList expected{"INTDIFF=3", "REATYP=0", "SUSER=?", "TEMPLATE=1", "OUSER="};
  for (const QString& e : expected)
    EXPECT_EQ(*gWordDoc->variableValue(e.section('=', 0, 0)), e.section('=', 1)) << e.toStdString();
  const QString key = ExercisePassword();
  EXPECT_EQ(key, "7991redlefnreL");
  EXPECT_EQ(XorWithKey(*gWordDoc->variableValue("LSTIH"), key), "fuhren");
  EXPECT_EQ(XorWithKey(*gWordDoc->variableValue("LSTDET"), key), gDetailZeilen.join("\r\n"));

  // Scrambled values with control characters come back from a saved file:
  // every character in the RTF round trip, the solutions with their NUL
  // separators in the results' master, every variable in the pupils' copies.

  // Without details and without lists the variables are empty.
  ASSERT_TRUE(StartWord(true));
  WriteDocumentVariables(0, std::nullopt, std::nullopt, false);
  for (const char* n : {"LSTDET", "LSTIH", "LSTGF"}) EXPECT_EQ(*gWordDoc->variableValue(n), "") << n;
  EXPECT_EQ(*gWordDoc->variableValue("COUNT"), "0");

  // Clearing the document (before a new build) empties every collection.
  gWordDoc->insertBefore(0, "Das Haus ist rot.");
  gWordDoc->addTextFormField(4, 8, "Gap_1", "Got_Focus", "Lost_Focus");
  gWordDoc->addField(0, "MACROBUTTON MarkSingleField Haus ");
  gWordDoc->addBookmark("Kopf", 0, 4);
  ClearDocument();
  EXPECT_EQ(gWordDoc->variableCount() + gWordDoc->formFieldCount() + gWordDoc->fieldCount() + gWordDoc->bookmarkCount(),
            0);
}

// Neither recognised nor opened: the window's test shows the message.
TEST_F(WordTest, OtherFilesAreNoExerciseDocuments) {
  InstallDistributionEngine();
  const int running = engine::Application::runningCount();
  const QString plain = out.filePath("brief.doc"), junk = out.filePath("junk.doc");
  qvtest::writeFile(plain, "{\\rtf1\\ansi {\\*\\docvar {APP}{Textprogramm}}Lieber Hans\\par}");
  QByteArray noise(4096, '\0');
  for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919) % 251);
  qvtest::writeFile(junk, noise);
  for (const QString& p : {plain, junk, out.filePath("fehlt.doc"), out.path()}) {
    EXPECT_FALSE(IsExerciseDocument(p)) << p.toStdString();
    QString error;
    EXPECT_EQ(OpenExerciseDocument(p, &error), nullptr) << p.toStdString();
    EXPECT_FALSE(error.isEmpty()) << p.toStdString();
  }
  EXPECT_EQ(engine::Application::runningCount(), running);  // nothing left running
  EXPECT_FALSE(ui.waitCursor());
}
