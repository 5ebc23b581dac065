// The form builder on the engine, with the worksheets of the sample workbook.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QTextBlock>
#include <QTextCursor>

#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "platform/docengine.h"
#include "platform/richeditor.h"
#include "word/exercisewindow.h"
#include "word/modword.h"
#include "word/wordexercise.h"
#include "workbook/workbook.h"

using namespace qv;

namespace {

const MappenInhalt& klassenfahrt() {
  static const MappenInhalt m = LeseMappe(qvtest::fixture("klassenfahrt.qbm"));
  return m;
}

// Stored rich text: a 30-byte header in front of the RTF.
QByteArray storedRichText(const QByteArray& rtf) { return QByteArray(30, '\0') + rtf; }

class WordExerciseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallDocumentVariablesWriter();
    ASSERT_EQ(klassenfahrt().fehler, MappenInhalt::Fehler::Keiner);
    gTextTXT = klassenfahrt().textTXT;
    gTextRTF = klassenfahrt().textRTF;
    gMappenPfad = qvtest::fixture("klassenfahrt.qbm");
    gFormatDoc = true;
    gWortliste = 4;
    setExerciseWindowOpener([this](engine::Document* d) { shownInWindow = d; });
  }
  void TearDown() override {
    setExerciseWindowOpener(nullptr);
    qvtest::quitEngines();
  }
  // Builds the worksheet and returns the document the engine keeps for the
  // window.
  engine::Document* build(int16_t menuIndex = 1) {
    shownInWindow = nullptr;
    CreateWordExercise(gUebungstyp, menuIndex);
    EXPECT_EQ(gWordDoc, nullptr);  // references dropped, document kept
    return shownInWindow;
  }
  // A type 101 worksheet without head block on a text of its own (lines
  // separated by CR LF).
  static void useText(const QString& text, const QString& details) {
    gTextTXT = text;
    gTextRTF = storedRichText("{\\rtf1\\ansi " + QString(text).replace("\r\n", "\\par ").toUtf8() + "}");
    gUebungstyp = 101;
    gArbeitsblattRTF.clear();
    gDetails = details;
  }

  qvtest::Umgebung env;
  ScriptedInteraction dialogs;
  engine::Document* shownInWindow = nullptr;
};

}  // namespace

// The built document's variables are checked with the engine's startup and
// the command line, its protection with the pupils' copies, its unsaved
// state with the window's closing question.
// Per worksheet type the gap count and, hand-checked against the sample
// text, what stands around the first and the last field: up to 12
// characters before it (given word parts included), then what follows it.
TEST_F(WordExerciseTest, EveryWorksheetTypeGetsItsFieldsOnItsOwnWords) {
  const QMap<int, std::tuple<int, QString, QString>> expected = {
      {101, {10, "ontagmorgen |1) sich ", "uer. Später |10) Herr"}},
      {103, {10, "ich alle Kin|1) der K", " unseren Bet|10) lage"}},   // word ends
      {104, {11, "sere Klassen|1) an de", "llte am Frei|11) wied"}},  // word beginnings
      {301, {10, "te einen gro|en1) Ruc", "ten wir drau|en10) no"}},  // letters inside words
      {105, {10, "evor der Bus| endlich", "inen Fischer|, der im"}},  // the field on the number
      {106, {9, "hatte einen |1) Rucks", "raußen noch |9) die G"}}};
  int built = 0;
  for (const ArbeitsblattEintrag& e : klassenfahrt().arbeitsblaetter) {
    SCOPED_TRACE(e.Uebungstyp);
    SetCurrentWorksheet(e);
    dialogs.clear();
    engine::Document* d = build();
    ASSERT_NE(d, nullptr);
    ++built;
    const auto [n, first, last] = expected.value(gUebungstyp);
    const QString text = d->text();
    const auto around = [&](int k) {
      const Field* f = d->formField(k);
      return text.mid(std::max(0, f->result.start() - 12), std::min(12, f->result.start())) + "|" + text.mid(f->result.end(), 8);
    };
    ASSERT_EQ(d->formFieldCount(), n);
    EXPECT_FALSE(dialogs.waitCursor());
    EXPECT_EQ(dialogs.messageTexts().last(), QStringLiteral("Es wurde eine Lückenübung mit %1 Lücken erstellt").arg(n));
    EXPECT_EQ(d->variableValue("COUNT"), QString::number(n));
    EXPECT_EQ(d->protectionType(), engine::kProtectionFormFields);
    for (int k = 1; k <= n; ++k)
      EXPECT_EQ((QStringList{d->formField(k)->form.name, d->formField(k)->form.entryMacro, d->formField(k)->form.exitMacro}),
                (QStringList{QStringLiteral("Gap_%1").arg(k), "Got_Focus", "Lost_Focus"}));
    EXPECT_EQ(around(1), first);
    EXPECT_EQ(around(n), last);
    // The gap's number is bold superscript.
    if (gUebungstyp == 105) continue;  // the field is on the number
    const Field* f = d->formField(1);
    const QTextCharFormat nf = qvtest::formatAt(*d, f->result.end() + text.mid(f->result.end()).indexOf("1)"));
    EXPECT_EQ(nf.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(nf.fontWeight(), QFont::Bold);
  }
  EXPECT_EQ(built, 6);
}

TEST_F(WordExerciseTest, FormThreePutsTheBaseFormInNormalTypeBehindTheGap) {
  useText(QStringLiteral("Wir fuhren los.\r\nDann liefen wir und sangen."),
          QStringLiteral("5;fuhren;fahren;\r\n23;liefen;laufen;\r\n38;sangen;singen;"));
  gWortliste = 3;
  engine::Document* d = build();
  ASSERT_NE(d, nullptr);
  const QString& e = engine::kEmptyFormFieldText;
  EXPECT_EQ(d->text().left(d->length()),
            "Wir " + e + " (fahren)1) los.\rDann " + e + " (laufen)2) wir und " + e + " (singen)3).");
  const QTextCharFormat f = qvtest::formatAt(*d, d->text().indexOf("(fahren)"));
  EXPECT_NE(f.verticalAlignment(), QTextCharFormat::AlignSuperScript);
  EXPECT_NE(f.fontWeight(), QFont::Bold);
  // No header line in forms 3 and 4.
  EXPECT_FALSE(d->bookmarkRange("Kopf").has_value());
  for (int i = 1; i <= d->fieldCount(); ++i) EXPECT_NE(d->field(i)->kind, FieldKind::MacroButton);
}

// A worksheet without gaps (null-werte.qbm's second) is built with its text
// and no field in the test of every worksheet through LibreOffice.

TEST_F(WordExerciseTest, HeaderLineOfButtonsUnderTheBookmarkKopf) {
  useText(QStringLiteral("Der Hund lief schnell nach Hause."),
          QStringLiteral("10;lief;laufen;\r\n5;Hund;Hund;\r\n28;Hause;Haus;"));
  for (int form : {1, 2}) {
    SCOPED_TRACE(form);
    gWortliste = static_cast<int16_t>(form);
    engine::Document* d = build();
    ASSERT_NE(d, nullptr);
    const QString line = form == 1 ? QStringLiteral("Hause, Hund, lief") : QStringLiteral("Haus, Hund, laufen");
    EXPECT_EQ(d->text().section('\r', 0, 0), line);
    QStringList buttons;
    for (int i = 1; i <= d->fieldCount(); ++i)
      if (d->field(i)->kind == FieldKind::MacroButton && d->field(i)->macroName() == "MarkSingleField")
        buttons << d->field(i)->result.text();
    EXPECT_EQ(buttons.join(", "), line);
    const auto kopf = d->bookmarkRange("Kopf");
    ASSERT_TRUE(kopf.has_value());
    EXPECT_EQ(d->text(kopf->first, kopf->second), line);
    EXPECT_EQ(qvtest::formatAt(*d, 1).fontPointSize(), 10);
    // The text itself keeps its size.
    EXPECT_NE(qvtest::formatAt(*d, d->length() - 1).fontPointSize(), 10);
  }
  // One word gives one button without a separator.
  useText(QStringLiteral("Ein Haus."), QStringLiteral("5;Haus;Haus;"));
  gWortliste = 1;
  engine::Document* d = build();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->text().section('\r', 0, 0), "Haus");
  const auto kopf = d->bookmarkRange("Kopf");
  ASSERT_TRUE(kopf.has_value());
  EXPECT_EQ(kopf->second - kopf->first, 4);
}

TEST_F(WordExerciseTest, HeadBlockOfTheWorksheetGoesToTheTop) {
  useText(QStringLiteral("Ein Haus."), QStringLiteral("5;Haus;Haus;"));
  gArbeitsblattRTF = storedRichText(
      "{\\rtf1\\ansi{\\cs207\\b Verben}{\\cs207 \\par}Setze die Verben ein. Der Rest des Arbeitsblatts ist lang "
      "genug.}");
  gWortliste = 1;
  QGuiApplication::clipboard()->setText(QStringLiteral("Notiz für die Elternbriefe"));
  engine::Document* d = build();
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->text().startsWith("Verben\rHaus\rEin ")) << d->text().toStdString();
  // Taking the head block leaves the teacher's clipboard alone.
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Notiz für die Elternbriefe"));
  EXPECT_EQ(qvtest::formatAt(*d, 0).fontWeight(), QFont::Bold);
  EXPECT_EQ(d->formField(1)->result.start(), 16);
  // The rule stays under the header line, not under the head block.
  const QTextBlock first = d->data().body()->firstBlock();
  const int rule = kBottomBorderStyleProperty;
  EXPECT_FALSE(first.blockFormat().hasProperty(rule));
  EXPECT_EQ(first.next().blockFormat().intProperty(rule), 1);
  EXPECT_FALSE(first.next().next().blockFormat().hasProperty(rule));

  // A head that would run past half the text is cut just past that half;
  // a text without a marker at its start has no head block.
  EXPECT_EQ(WorksheetHeadRtf(storedRichText("{\\rtf1\\ansi Ohne Kopf}")), QByteArray());
  RichDocument head;
  ASSERT_TRUE(head.readRtf(WorksheetHeadRtf(storedRichText("{\\rtf1\\ansi{\\cs175 abcdefgh}ij}"))));
  EXPECT_EQ(head.body()->toPlainText(), "abcdef");
}

TEST_F(WordExerciseTest, WithoutEngineNothingIsBuiltAndOnlyThatIsSaid) {
  qvtest::Env off{{"QV_ENGINE_UNAVAILABLE", "1"}};
  SetCurrentWorksheet(klassenfahrt().arbeitsblaetter.first());
  EXPECT_EQ(build(), nullptr);
  ASSERT_EQ(dialogs.messageTexts(), QStringList{"Word konnte nicht gestartet werden"});
  EXPECT_TRUE(env.log().contains("Start Word: "));
}

// Without any template only the template messages come: nothing is asked or
// reported as built. The package's own template (in its data folder beside
// bin) serves every user.
TEST_F(WordExerciseTest, WithoutTemplateOnlyItsMessagesAndThePackagesTemplateServes) {
  QFile::remove(env.templates.filePath(kTemplateName));
  SetCurrentWorksheet(klassenfahrt().arbeitsblaetter.first());
  EXPECT_EQ(build(), nullptr);
  const auto m = dialogs.messages();
  ASSERT_EQ(m.size(), 2);
  EXPECT_EQ(std::tuple(m[0].text, m[0].title, m[0].systemModal, m[1].text, m[1].icon),
            std::tuple(QStringLiteral("Die Wordvorlage Quillbee_Interaktiv_V2.dot wurde nicht gefunden!\r\nSie wird mit "
                                      "quillbee-vodedarivo-install eingerichtet (im Menü: \u201EQuillbee-Vodedarivo-"
                                      "Vorlage einrichten\u201C)."),
                       "Quillbee", true,
                       QStringLiteral("Die Wordvorlage 'Quillbee_Interaktiv_V2.dot' konnte nicht geöffnet werden"),
                       Icon::Exclamation));
  EXPECT_TRUE(env.log().startsWith("Load Template: "));
  EXPECT_EQ(engine::Application::runningCount(), 0);
  dialogs.clear();
  env.env.set("QV_PROGRAM_FOLDER", QV_BINARY_DIR "/bin");
  ASSERT_NE(build(), nullptr);
  EXPECT_EQ(std::tuple(dialogs.messageTexts().first(), dialogs.messageTexts().last()),
            std::tuple(m[0].text, QStringLiteral("Es wurde eine Lückenübung mit 10 Lücken erstellt")));
}

TEST_F(WordExerciseTest, ATemplateProtectedWithAnotherPasswordIsLoggedAndStillBuilt) {
  RichDocument protectedTemplate;
  QTextCursor(protectedTemplate.body()).insertText(QStringLiteral("Vorlage"));
  protectedTemplate.protect(ProtectionType::FormFields, QStringLiteral("anders"));
  qvtest::writeFile(env.templates.filePath(kTemplateName), protectedTemplate.toRtf());
  SetCurrentWorksheet(klassenfahrt().arbeitsblaetter.first());
  engine::Document* d = build();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->formFieldCount(), 10);
  const QString log = env.log();
  EXPECT_TRUE(log.startsWith(QStringLiteral("Protect: "))) << log.toStdString();
}
