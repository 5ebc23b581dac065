#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/uebungsdoc.h"
#include "common/umgebung.h"
#include "platform/docengine.h"
#include "platform/tools.h"
#include "word/modword.h"
#include "word/uebungsmakros.h"

using namespace qv;
using qvtest::answer;
using qvtest::fieldIndex;
using qvtest::u8;

namespace {

class Makros : public ::testing::Test {
 protected:
  void SetUp() override { InstallExerciseMacros(); }
  void TearDown() override {
    qvtest::quitEngines();
    engine::Application::setMacroHandler({});
  }
  static QColor backgroundOf(const engine::Document& doc, const QString& name) {
    return qvtest::formatAt(doc, doc.formField(name)->result.start()).background().color();
  }
  static QTextCharFormat headerWordFormat(const engine::Document& doc, int n) {
    return qvtest::formatAt(doc, doc.field(qvtest::headerWordField(doc, n))->result.start());
  }
  static void click(engine::Document& doc, int n) {
    doc.selectField(qvtest::headerWordField(doc, n));
    doc.application()->run(doc.field(doc.selectedField())->macroName(), &doc);
  }

  qvtest::Umgebung env;
  QTemporaryDir out;
  ScriptedInteraction ui;
};

}  // namespace

// The hints that go with the verdicts are checked in the feedback lines of
// the macro and window tests.
TEST(Bewertung, RightWrongAlternativesApostrophesAndNearMisses) {
  const QStringList haus{QStringLiteral("Haus")};
  const QStringList muehle{u8("Mühle"), u8("Mühlen ")};  // alternative with the blank the prompt can leave
  const QStringList gehts{u8("geht’s")};
  struct Fall {
    QString antwort;
    QStringList loesungen;
    Urteil urteil;
  } faelle[] = {
      {QStringLiteral("Haus"), haus, Urteil::Richtig},
      {QStringLiteral("  Haus \t"), haus, Urteil::Richtig},
      {QStringLiteral("Maus"), haus, Urteil::Falsch},
      {QStringLiteral("Ha us"), haus, Urteil::Falsch},
      {QStringLiteral("Mühlen"), muehle, Urteil::Richtig},
      {QStringLiteral("geht's"), gehts, Urteil::Richtig},
      {u8("geht‘s"), {QStringLiteral("geht's")}, Urteil::Richtig},
      {QStringLiteral("haus"), haus, Urteil::Gross},
      {QStringLiteral("HAUS"), haus, Urteil::Gross},
      {QStringLiteral("Muehle"), muehle, Urteil::Umlaut},
      {QStringLiteral("muehle"), muehle, Urteil::Umlaut},
      {QStringLiteral("Strasse"), {u8("Straße")}, Urteil::Umlaut},
      {QStringLiteral("Muehla"), muehle, Urteil::Falsch},
      {QStringLiteral("Muhle"), muehle, Urteil::Falsch},
      {QString(5, QChar(0x2002)), haus, Urteil::Leer},
      {QString(), {QString()}, Urteil::Richtig},
      // Decomposed umlaut typed on some keyboards.
      {QStringLiteral("Mu\u0308hle"), muehle, Urteil::Richtig},
  };
  for (const Fall& f : faelle) EXPECT_EQ(BewerteAntwort(f.antwort, f.loesungen), f.urteil) << f.antwort.toStdString();
}

TEST_F(Makros, LostFocusJudgesAgainstTheGapsRowAndCountsEachAnswerOnce) {
  engine::Document* doc = qvtest::makeExercise();
  ASSERT_NE(doc, nullptr);

  // The alternative given to the builder counts as right.
  EXPECT_EQ(answer(*doc, 1, QStringLiteral("reisten")), QStringLiteral("Lücke 1: richtig"));
  EXPECT_EQ(backgroundOf(*doc, "Gap_1"), farbe::kRichtig);

  EXPECT_EQ(answer(*doc, 2, QStringLiteral("Muehlsee")), u8("Lücke 2: falsch. Schreibe ä, ö, ü und ß"));
  EXPECT_EQ(backgroundOf(*doc, "Gap_2"), farbe::kFalsch);
  // The same answer again is no new attempt; a different one is, and from
  // the second wrong attempt on the base form is offered.
  EXPECT_EQ(answer(*doc, 2, QStringLiteral(" Muehlsee ")), u8("Lücke 2: falsch. Schreibe ä, ö, ü und ß"));
  EXPECT_EQ(answer(*doc, 2, u8("mühlsee")),
            u8("Lücke 2: falsch. Achte auf Groß- und Kleinschreibung. Tipp: Grundform „Mühlsee“"));
  EXPECT_EQ(answer(*doc, 2, u8("Mühlsee")), QStringLiteral("Lücke 2: richtig"));
  EXPECT_EQ(answer(*doc, 3, QStringLiteral("gibt")), QStringLiteral("Lücke 3: falsch"));

  const UebungsStand st = UebungsStand::lesen(*doc);
  EXPECT_EQ(std::tuple(st.luecken.value(2).versuche, st.luecken.value(2).fehlversuche), std::tuple(3, 2));
  EXPECT_EQ(std::tuple(st.luecken.value(1).versuche, st.luecken.value(1).fehlversuche), std::tuple(1, 0));
  EXPECT_EQ(RichtigeLuecken(*doc), 2);

  // Emptying a field takes the colour and the verdict, not the attempts.
  EXPECT_EQ(answer(*doc, 3, QString(5, QChar(0x2002))), QStringLiteral("Lücke 3: noch leer"));
  EXPECT_EQ(backgroundOf(*doc, "Gap_3"), farbe::kFeld);
  EXPECT_EQ(UebungsStand::lesen(*doc).luecken.value(3).versuche, 1);

  // Entering a field highlights it.
  doc->selectField(fieldIndex(*doc, "Gap_3"));
  doc->application()->run("Got_Focus", doc);
  EXPECT_EQ(backgroundOf(*doc, "Gap_3"), farbe::kFokus);
}

TEST_F(Makros, WithoutSolutionsNothingIsJudgedAndTheDocumentStaysUnchanged) {
  qvtest::UebungVorgabe vorgabe;
  vorgabe.withDetails = false;
  engine::Document* doc = qvtest::makeExercise(vorgabe);
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(doc->saveAs(out.filePath("ohne.doc")));
  EXPECT_TRUE(LueckenZeilen(*doc).isEmpty());
  EXPECT_EQ(answer(*doc, 1, QStringLiteral("Quatsch")), QString());
  EXPECT_EQ(backgroundOf(*doc, "Gap_1"), farbe::kFeld);
  EXPECT_FALSE(doc->variableValue(kStandVariable).has_value());
  // Only the typing changed the document, not the macro.
  doc->setSaved(true);
  doc->selectField(fieldIndex(*doc, "Gap_1"));
  doc->application()->run("Lost_Focus", doc);
  EXPECT_TRUE(doc->saved());
}

TEST_F(Makros, AnswersVerdictsAndMarksSurviveSavingAndReopening) {
  engine::Document* doc = qvtest::makeExercise();
  ASSERT_NE(doc, nullptr);
  QList<DocVariable> before = doc->data().variables();
  answer(*doc, 1, QStringLiteral("fuhren"));
  answer(*doc, 2, QStringLiteral("Muehlsee"));
  answer(*doc, 3, QStringLiteral("ga;b%"));  // separators of the stored state
  click(*doc, 2);
  click(*doc, 3);
  click(*doc, 3);  // a second click takes the mark off again
  EXPECT_TRUE(headerWordFormat(*doc, 2).fontStrikeOut());
  EXPECT_FALSE(headerWordFormat(*doc, 3).fontStrikeOut());
  EXPECT_FALSE(headerWordFormat(*doc, 3).hasProperty(QTextFormat::ForegroundBrush));
  const UebungsStand st = UebungsStand::lesen(*doc);
  EXPECT_EQ(st.markiert, QList<int>{2});
  const auto kopf = doc->bookmarkRange("Kopf");
  ASSERT_TRUE(kopf.has_value());
  const QString path = out.filePath("schueler.doc");
  ASSERT_TRUE(doc->saveAs(path));
  doc->application()->quit();

  QString error;
  engine::Document* again = OpenExerciseDocument(path, &error);
  ASSERT_NE(again, nullptr) << error.toStdString();
  EXPECT_TRUE(again->saved());
  EXPECT_EQ(again->bookmarkRange("Kopf"), kopf);
  EXPECT_EQ(again->protectionType(), engine::kProtectionFormFields);
  // The answers themselves (separators of the stored state among them) are
  // read back from saved copies by the results' test.
  EXPECT_EQ(UebungsStand::lesen(*again), st);
  EXPECT_EQ(std::tuple(backgroundOf(*again, "Gap_1"), backgroundOf(*again, "Gap_2")),
            std::tuple(farbe::kRichtig, farbe::kFalsch));
  EXPECT_TRUE(headerWordFormat(*again, 2).fontStrikeOut());
  EXPECT_FALSE(headerWordFormat(*again, 1).fontStrikeOut());
  // Document_Open selected the first gap.
  EXPECT_EQ(again->selectedField(), fieldIndex(*again, "Gap_1"));
  // The exercise's own variables are as they were written; one variable more.
  QList<DocVariable> after = again->data().variables();
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(after.takeLast().name, kStandVariable);
  EXPECT_TRUE(std::equal(after.begin(), after.end(), before.begin(), [](const DocVariable& a, const DocVariable& b) {
    return a.name == b.name && a.value == b.value;
  }));
  // The same answer after reopening is no new attempt.
  answer(*again, 2, QStringLiteral("Muehlsee"));
  EXPECT_EQ(UebungsStand::lesen(*again).luecken.value(2).versuche, 1);
}

TEST_F(Makros, DamagedStateAndRowsAreTakenAsFarAsTheyGo) {
  engine::Document* doc = qvtest::makeExercise();
  ASSERT_NE(doc, nullptr);
  doc->setVariable(kStandVariable, QStringLiteral("L;x;1\r\nL;2;3;1;R;ok\r\nM;0,2,2,abc\r\nZ"));
  const UebungsStand st = UebungsStand::lesen(*doc);
  EXPECT_EQ(std::tuple(st.luecken.keys(), st.luecken.value(2).urteil, st.markiert),
            std::tuple(QList<int>{2}, Urteil::Richtig, QList<int>{2}));
  // Fewer rows than COUNT: the solutions are damaged and no gap is judged,
  // not even one whose row reads well.
  doc->setVariable("LSTDET", XorWithKey(QStringLiteral("00004;Montag;Montag;;Montag;{AL};{TP}"), ExercisePassword()));
  EXPECT_EQ(answer(*doc, 2, QStringLiteral("x")), QString());
  EXPECT_EQ(answer(*doc, 1, QStringLiteral("Montag")), QString());
}
