// The editing rules inside the form fields, without a window.
#include <gtest/gtest.h>

#include "common/uebungsdoc.h"
#include "platform/docengine.h"
#include "word/feldeditor.h"
#include "word/modword.h"

using namespace qv;
using W = FeldEditor::Wirkung;

class FeldEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc = qvtest::makeExercise();
    ASSERT_NE(doc, nullptr);
  }
  void TearDown() override { qvtest::quitEngines(); }
  const Field& gap(int k) { return *doc->formField(QStringLiteral("Gap_%1").arg(k)); }
  QString text(int k) { return gap(k).result.text(); }
  qvtest::Umgebung env;
  engine::Document* doc = nullptr;
};

TEST_F(FeldEditorTest, TypingAndDeletingStayInsideTheFieldsAndTabGoesToTheNext) {
  FeldEditor e(*doc);
  const int s = gap(1).result.start();
  // An empty field is replaced whole; line breaks become blanks.
  FeldEditor::Ergebnis r = e.tippe(s + 2, s + 2, QStringLiteral("fuh\nren"));
  EXPECT_EQ(std::tuple(r.wirkung, text(1), r.cursor, r.feld),
            std::tuple(W::Geaendert, "fuh ren", s + 7, e.feldBei(s, s)));
  EXPECT_EQ(e.loesche(s + 4, s + 4, s + 4, false).wirkung, W::Geaendert);
  EXPECT_EQ(text(1), QStringLiteral("fuhren"));
  // At the field's edge nothing is deleted; a range beyond the field is refused
  // (typing outside the fields: see the window's test).
  EXPECT_EQ(e.loesche(s, s, s, false).wirkung, W::Unveraendert);
  EXPECT_EQ(e.tippe(s, gap(2).result.end(), QStringLiteral("x")).wirkung, W::Geschuetzt);
  // Deleting all of it shows the empty field again, which takes typing.
  EXPECT_EQ(e.loesche(s, s + 6, s + 6, false).wirkung, W::Geaendert);
  EXPECT_EQ(text(1), engine::kEmptyFormFieldText);
  EXPECT_EQ(e.loesche(s + 1, s + 1, s + 1, true).wirkung, W::Unveraendert);
  // A maximum length is kept.
  doc->data().formField(QStringLiteral("Gap_1"))->form.maxLength = 3;
  EXPECT_EQ(e.tippe(s, s, QStringLiteral("vier")).wirkung, W::ZuLang);
  // Tab goes to the next field and wraps round.
  const auto feld = [&](int k) { return e.feldBei(gap(k).result.start(), gap(k).result.start()); };
  EXPECT_EQ(std::tuple(e.naechstesFeld(feld(1), 0, false), e.naechstesFeld(feld(1), 0, true)), std::tuple(2, 3));
  // From the text between the fields: the field behind, or the one before.
  const int zwischen = doc->text().indexOf(QStringLiteral("Dort"));
  EXPECT_EQ(std::tuple(e.naechstesFeld(0, zwischen, false), e.naechstesFeld(0, zwischen, true)), std::tuple(3, 2));
  EXPECT_EQ(e.formularNummer(feld(2)), 2);
  // Without form-field protection no field takes typing here.
  doc->unprotect(ExercisePassword());
  EXPECT_EQ(e.feldBei(s, s), 0);
}
