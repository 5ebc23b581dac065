#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/tools.h"
#include "app/variablen.h"
#include "common/testutil.h"
#include "platform/docengine.h"
#include "common/scripted_ui.h"
#include "students/schueler.h"
#include "word/modword.h"

using namespace qv;

namespace {

const char* kVarOrder[] = {"APP",   "GUID",    "CAPTION", "ORIGINAL", "LSTDET", "TXT",  "WSTYP", "AUSART",
                           "INTDIFF", "REATYP", "COUNT",  "LSTIH",    "LSTGF",  "OUSER", "SUSER", "TEMPLATE"};

// A private user-templates folder with the shipped template and a program
// folder for the log.
class WordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("QV_TEMPLATES_DIR", templates.path().toUtf8());
    qputenv("QV_PROGRAM_FOLDER", program.path().toUtf8());
    qunsetenv("QV_ENGINE_UNAVAILABLE");
    QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"),
                templates.filePath(kTemplateName));
    gCaption = QStringLiteral("Verben in der Vergangenheit");
    gMappenPfad = QStringLiteral("/home/lehrer/klassenfahrt.qbm");
    gTextTXT = QStringLiteral("Unsere Klassenfahrt\r\nAm Montag fuhren wir.");
    gUebungstyp = 101;
    gLueckenArt = 0;
    gWortliste = 3;
    gDetailZeilen = {QStringLiteral("00025;fuhren;fahren;;fuhren;") + QChar(u'\0') + "reisten" + QChar(u'\0') +
                     ";{TP}"};
  }
  void TearDown() override {
    while (engine::Application::runningCount() > 0) engine::Application::running().front()->quit();
    gWordApp = nullptr;
    gWordDoc = nullptr;
    qunsetenv("QV_TEMPLATES_DIR");
    qunsetenv("QV_PROGRAM_FOLDER");
    qunsetenv("QV_ENGINE_UNAVAILABLE");
  }
  QString log() const { return QString::fromLatin1(qvtest::readFile(program.filePath("log.txt"))); }

  QTemporaryDir templates, program, out;
};

}  // namespace

TEST_F(WordTest, StartWordGivesADocumentWithoutTheTemplatesVariables) {
  ScriptedInteraction ui;
  ASSERT_TRUE(StartWord(true));
  ASSERT_NE(gWordDoc, nullptr);
  EXPECT_EQ(gWordDoc->variableCount(), 0);
  EXPECT_TRUE(gWordDoc->firstPageHeaderCell(1, 2).has_value());
  EXPECT_TRUE(ui.shown().isEmpty());
  engine::Application* first = gWordApp;
  ASSERT_TRUE(StartWord(true));  // a second instance; the first keeps running
  EXPECT_NE(gWordApp, first);
  EXPECT_EQ(engine::Application::runningCount(), 2);
  EXPECT_FALSE(StartWord(false));
  EXPECT_EQ(gWordApp, nullptr);
  EXPECT_EQ(engine::Application::runningCount(), 2);  // dropping references quits nothing
}

TEST_F(WordTest, MissingTemplateAndMissingEngineAreReported) {
  QFile::remove(templates.filePath(kTemplateName));
  ScriptedInteraction ui;
  EXPECT_TRUE(StartWord(true));  // the engine runs, without a document
  EXPECT_EQ(gWordDoc, nullptr);
  const auto msgs = ui.messages();
  ASSERT_EQ(msgs.size(), 2);
  EXPECT_EQ(msgs[0].text, QStringLiteral("Die Wordvorlage Quillbee_Interaktiv_V2.dot wurde nicht gefunden!"));
  EXPECT_EQ(msgs[0].title, QStringLiteral("Quillbee"));
  EXPECT_TRUE(msgs[0].systemModal);
  EXPECT_EQ(msgs[1].text, QStringLiteral("Die Wordvorlage 'Quillbee_Interaktiv_V2.dot' konnte nicht geöffnet werden"));
  EXPECT_EQ(msgs[1].icon, Icon::Exclamation);
  EXPECT_TRUE(log().startsWith("Load Template: "));

  ui.clear();
  qputenv("QV_ENGINE_UNAVAILABLE", "1");
  EXPECT_FALSE(StartWord(true));
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_EQ(ui.messages()[0].text, QStringLiteral("Word konnte nicht gestartet werden"));
  EXPECT_EQ(ui.messages()[0].title, QStringLiteral("Quillbee-Vodedarivo"));
  EXPECT_TRUE(log().contains("\r\nStart Word: "));
}

TEST_F(WordTest, DocumentVariablesInOrderScrambledAndSurvivingSave) {
  ScriptedInteraction ui;
  ASSERT_TRUE(StartWord(true));
  WriteDocumentVariables(1, QStringList{"fuhren"}, QStringList{"fahren"}, true);
  ASSERT_EQ(gWordDoc->variableCount(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(gWordDoc->variableName(i + 1), kVarOrder[i]);
  EXPECT_TRUE(gWordDoc->variableValue("app")->startsWith("Quillbee-Vodedarivo1."));
  EXPECT_EQ(gWordDoc->variableValue("GUID")->size(), 38);
  EXPECT_EQ(*gWordDoc->variableValue("INTDIFF"), "3");
  EXPECT_EQ(*gWordDoc->variableValue("REATYP"), "0");
  EXPECT_EQ(*gWordDoc->variableValue("SUSER"), "?");
  EXPECT_EQ(*gWordDoc->variableValue("TEMPLATE"), "1");
  EXPECT_EQ(*gWordDoc->variableValue("OUSER"), "");
  const QString key = ExercisePassword();
  EXPECT_EQ(key, "7991redlefnreL");
  EXPECT_EQ(XorWithKey(*gWordDoc->variableValue("LSTIH"), key), "fuhren");
  EXPECT_EQ(XorWithKey(*gWordDoc->variableValue("LSTDET"), key), gDetailZeilen.join("\r\n"));

  // Scrambled values hold control characters (NUL included): they come back
  // byte for byte from a saved file.
  const QString path = out.filePath("master.doc");
  const QMap<QString, QString> before = [] {
    QMap<QString, QString> m;
    for (const char* n : kVarOrder) m[n] = *gWordDoc->variableValue(n);
    return m;
  }();
  ASSERT_TRUE(gWordDoc->saveAs(path));
  engine::Document* back = gWordApp->openDocument(path);
  ASSERT_NE(back, nullptr);
  for (const char* n : kVarOrder) EXPECT_EQ(*back->variableValue(n), before[n]) << n;
  EXPECT_TRUE(before["LSTDET"].contains(QChar(u'\0')) || XorWithKey(before["LSTDET"], key).contains(QChar(u'\0')));
}

TEST_F(WordTest, WithoutDetailsAndWithoutListsTheVariablesAreEmpty) {
  ScriptedInteraction ui;
  ASSERT_TRUE(StartWord(true));
  WriteDocumentVariables(0, std::nullopt, std::nullopt, false);
  EXPECT_EQ(*gWordDoc->variableValue("LSTDET"), "");
  EXPECT_EQ(*gWordDoc->variableValue("LSTIH"), "");
  EXPECT_EQ(*gWordDoc->variableValue("LSTGF"), "");
  EXPECT_EQ(*gWordDoc->variableValue("COUNT"), "0");
}

TEST_F(WordTest, ClearDocumentEmptiesEveryCollection) {
  ScriptedInteraction ui;
  ASSERT_TRUE(StartWord(true));
  ClearDocument();  // nothing there: nothing happens
  gWordDoc->insertBefore(0, "Das Haus ist rot.");
  gWordDoc->addVariable("A", "1");
  gWordDoc->addTextFormField(4, 8, "Gap_1", "Got_Focus", "Lost_Focus");
  gWordDoc->addField(0, "MACROBUTTON MarkSingleField Haus ");
  gWordDoc->addBookmark("Kopf", 0, 4);
  ClearDocument();
  EXPECT_EQ(gWordDoc->variableCount(), 0);
  EXPECT_EQ(gWordDoc->formFieldCount(), 0);
  EXPECT_EQ(gWordDoc->fieldCount(), 0);
  EXPECT_EQ(gWordDoc->bookmarkCount(), 0);
}

TEST_F(WordTest, PupilCopiesArePersonalisedProtectedAndRecognised) {
  ScriptedInteraction ui;
  InstallDistributionEngine();
  ASSERT_TRUE(StartWord(true));
  gWordDoc->insertBefore(0, "Das Haus ist rot.");
  gWordDoc->addTextFormField(4, 8, "Gap_1", "Got_Focus", "Lost_Focus");
  WriteDocumentVariables(1, QStringList{"Haus"}, QStringList{"Haus"}, true);
  ASSERT_TRUE(gWordDoc->protect(engine::kProtectionFormFields, true, ExercisePassword()));
  const QString master = out.filePath("uebung.doc");
  ASSERT_TRUE(gWordDoc->saveAs(master));
  StartWord(false);

  ASSERT_TRUE(StartOrQuitWord(false));
  OpenMasterDocument(master);
  ASSERT_NE(gWordDoc, nullptr);
  const QString copy1 = out.filePath("01_Mueller_Hans.doc"), copy2 = out.filePath("02_Oezlem.doc");
  EXPECT_TRUE(PersonaliseCopy(copy1, QStringLiteral("Müller, Hans"), "hmueller"));
  EXPECT_TRUE(PersonaliseCopy(copy2, QStringLiteral("Özlem"), ""));
  QString error;
  EXPECT_FALSE(PersonaliseCopy(out.filePath("no/such/folder/x.doc"), "X", "", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(StartOrQuitWord(true));
  EXPECT_EQ(engine::Application::runningCount(), 1);  // the exercise's instance stays for the teacher

  engine::Application* app = engine::Application::create();
  engine::Document* d = app->openDocument(copy1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->author(), QStringLiteral("Müller, Hans"));
  EXPECT_EQ(d->firstPageHeaderCell(1, 2).value_or(""), QStringLiteral("Müller, Hans"));
  EXPECT_EQ(*d->variableValue("SUSER"), "hmueller");
  EXPECT_EQ(*d->variableValue("TEMPLATE"), "0");
  EXPECT_EQ(d->protectionType(), engine::kProtectionFormFields);
  EXPECT_FALSE(d->unprotect("falsch"));
  EXPECT_EQ(d->protectionType(), engine::kProtectionFormFields);
  EXPECT_TRUE(d->unprotect(ExercisePassword()));
  engine::Document* d2 = app->openDocument(copy2);
  EXPECT_EQ(*d2->variableValue("SUSER"), "?");
  EXPECT_EQ(d2->firstPageHeaderCell(1, 2).value_or(""), QStringLiteral("Özlem"));
  app->quit();
  // The password never stands in the file.
  EXPECT_FALSE(qvtest::readFile(copy1).contains("7991redlefnreL"));

  EXPECT_TRUE(IsExerciseDocument(master));
  EXPECT_TRUE(IsExerciseDocument(copy1));
}

TEST_F(WordTest, OtherFilesAreNoExerciseDocuments) {
  ScriptedInteraction ui;
  InstallDistributionEngine();
  const int running = engine::Application::runningCount();
  const QString plain = out.filePath("brief.doc"), junk = out.filePath("junk.doc");
  qvtest::writeFile(plain, "{\\rtf1\\ansi {\\*\\docvar {APP}{Textprogramm}}Lieber Hans\\par}");
  QByteArray noise(4096, '\0');
  for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919) % 251);
  qvtest::writeFile(junk, noise);
  EXPECT_FALSE(IsExerciseDocument(plain));
  EXPECT_FALSE(IsExerciseDocument(junk));
  EXPECT_FALSE(IsExerciseDocument(out.filePath("fehlt.doc")));
  EXPECT_FALSE(IsExerciseDocument(out.path()));
  EXPECT_EQ(engine::Application::runningCount(), running);
  EXPECT_FALSE(ui.waitCursor());
}

TEST_F(WordTest, QuitWithoutDocumentStillQuits) {
  ASSERT_TRUE(StartOrQuitWord(false));
  EXPECT_EQ(engine::Application::runningCount(), 1);
  EXPECT_FALSE(StartOrQuitWord(true));
  EXPECT_EQ(engine::Application::runningCount(), 0);
}
