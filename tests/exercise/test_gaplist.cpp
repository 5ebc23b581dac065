#include <gtest/gtest.h>

#include "app/variablen.h"
#include "common/scripted_ui.h"
#include "exercise/gaplist.h"
#include "platform/richeditor.h"

using namespace qv;

namespace {

GapList rows(int typ, const QString& details, int kind = 3) {
  return BuildGapRows(typ, details, [kind] { return kind; });
}

const QString kNul(QChar(u'\0'));
const QString kType301 = "10;Schlüssel;Schlüssel;Schl_ss_l\r\n1;Tür;Tür;T_r\r\n20;glänzenden;glänzen;gl_nz_nden";

}  // namespace

TEST(BuildGapRows, RowOfEachTypeAndGapKindOrderDroppedRowsAndFailures) {
  const struct {
    int typ;
    const char* details;
    int kind;
    const char* row;
  } cases[] = {
      // Type 103 splits the word by the gap kind (0: at the end as well).
      {103, "12;Haus;Haus;", 3, "00012;Haus;Haus;Ha_;us;{AL};{TP}"},
      {103, "12;Haus;Haus;", 1, "00012;Haus;Haus;_us;Ha;{AL};{TP}"},
      {103, "12;Haus;Haus;", 2, "00012;Haus;Haus;H_s;au;{AL};{TP}"},
      {103, "12;Haus;Haus;", 0, "00012;Haus;Haus;Ha_;us;{AL};{TP}"},
      {103, "1;Hause;Haus;", 3, "00001;Hause;Haus;Ha_;use;{AL};{TP}"},
      {103, "1;Hause;Haus;", 1, "00001;Hause;Haus;_se;Hau;{AL};{TP}"},
      {103, "1;a;a;", 2, "00001;a;a;a_;;{AL};{TP}"},  // one letter in the middle kind
      // Type 104: the solution is the word's end after the pattern's prefix.
      {104, "7;Garten;Garten;Gar_", 3, "00007;Garten;Garten;Gar_;ten;{AL};{TP}"},
      {104, "7;Garten;Garten;Garten_", 3, "00007;Garten;Garten;Garten_;;{AL};{TP}"},
      {104, "7;Haus;Haus;Hausboot_", 3, "00007;Haus;Haus;Hausboot_;;{AL};{TP}"},
      // Runs of "_" and blanks become one "_".
      {301, "3;Tür;Tür;T_ _ __r", 3, "00003;Tür;Tür;T_r;ü;{AL};{TP}"},
      {101, "99999;Haus;Haus;\r\nMüll\r\n", 3, "99999;Haus;Haus;;Haus;{AL};{TP}"},
  };
  for (const auto& c : cases) {
    const GapList g = rows(c.typ, QString::fromUtf8(c.details), c.kind);
    EXPECT_EQ(g.zeilen, QStringList{QString::fromUtf8(c.row)}) << c.typ << " " << c.details << " " << c.kind;
  }
  // The word list of type 103 holds the missing parts, the base forms stay empty.
  const GapList odd = rows(103, "1;Hause;Haus;");
  EXPECT_EQ(odd.luecken[0].Bemerkung(), "Ha_");
  EXPECT_EQ(std::tuple(odd.arrInhalt, odd.arrGrundform), std::tuple(QStringList{"use"}, QStringList{""}));
  // Order, dropped rows and failures.
  const GapList g = rows(101, "120;c;c;\r\n5;a;a;\r\n33;b;b;");
  EXPECT_EQ(g.zeilen, QStringList({"00005;a;a;;a;{AL};{TP}", "00033;b;b;;b;{AL};{TP}", "00120;c;c;;c;{AL};{TP}"}));
  EXPECT_EQ(std::tuple(g.luecken[2].Anfang(), g.luecken[1].Loesung()), std::tuple(120, QString("b")));
  // Type 301 drops rows with two gaps: the sample's rows and the dropped
  // count through the command line's gap list.
  // Six digits of start, or nothing at all: no rows.
  const GapList six = rows(101, "123456;Haus;Haus;\r\n5;a;a;");
  EXPECT_TRUE(six.failed && six.luecken.isEmpty() && six.zeilen.isEmpty());
  EXPECT_TRUE(rows(101, "").failed);
}

class BuildGapListState : public ::testing::Test {
 protected:
  void SetUp() override {
    txtText().setPlainText("1) Haus 2) Baum 3) Tür");
    gLuecken.clear();
    gDetailZeilen.clear();
    setDocumentVariablesWriter([this](int32_t count, const std::optional<QStringList>& inhalt,
                                      const std::optional<QStringList>&, bool withDetails) {
      ++calls;
      lastCount = count;
      lastInhalt = inhalt.value_or(QStringList{});
      lastWithDetails = withDetails;
    });
  }
  void TearDown() override { setDocumentVariablesWriter({}); }
  int build(int typ, const QString& details, bool forHtml = false) {
    gUebungstyp = static_cast<int16_t>(typ);
    gDetails = details;
    gFormatDoc = true;
    return BuildGapList(forHtml, withDetails);
  }
  ScriptedInteraction ui;
  bool withDetails = true;
  int calls = 0;
  int lastCount = -1;
  QStringList lastInhalt;
  bool lastWithDetails = true;
};

TEST_F(BuildGapListState, AlternativesPromptsAndAnswers) {
  ui.answerMessage(Answer::Yes);
  ui.answerInput("Heim,  Gebäude");
  ui.answerInput(QString());
  ui.answerInput("Heim ; Bau");
  withDetails = false;
  EXPECT_EQ(build(101, "4;Haus;Haus;\r\n12;Baum;Baum;\r\n20;Tür;Tür;"), 3);
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_EQ(std::tuple(ui.messages()[0].buttons, ui.messages()[0].defaultButton), std::tuple(Buttons::YesNo, 1));
  const auto inputs = ui.inputs();
  ASSERT_EQ(inputs.size(), 3);
  EXPECT_EQ(std::tuple(inputs[2].title, inputs[1].preset), std::tuple("Alternativlösungen für das 3. Wort ", "Baum"));
  EXPECT_EQ(gDetailZeilen, QStringList({"00004;Haus;Haus;;Haus;" + kNul + "Heim" + kNul + "Gebäude" + kNul + ";{TP}",
                                        "00012;Baum;Baum;;Baum;;{TP}",
                                        "00020;Tür;Tür;;Tür;" + kNul + "Heim " + kNul + "Bau" + kNul + ";{TP}"}));
  // The selection ends at the start; the variables are handed on once.
  EXPECT_EQ(std::tuple(txtText().selStart(), txtText().selLength(), calls, lastCount, lastWithDetails),
            std::tuple(0, 0, 1, 3, false));
  EXPECT_EQ(lastInhalt, QStringList({"Baum", "Haus", "Tür"}));
}

// "Abbrechen" ends the round: earlier answers stay, no later prompt, the rest
// get no alternatives, and the list is handed on as built.
TEST_F(BuildGapListState, CancelEndsTheAlternativesRound) {
  ui.answerMessage(Answer::Yes);
  ui.answerInput("Heim");
  ui.cancelInput();
  EXPECT_EQ(build(101, "4;Haus;Haus;\r\n12;Baum;Baum;\r\n20;Tür;Tür;"), 3);
  EXPECT_EQ(std::tuple(ui.inputs().size(), calls, lastCount), std::tuple(2, 1, 3));
  EXPECT_EQ(gDetailZeilen, QStringList({"00004;Haus;Haus;;Haus;" + kNul + "Heim" + kNul + ";{TP}",
                                        "00012;Baum;Baum;;Baum;;{TP}", "00020;Tür;Tür;;Tür;;{TP}"}));
}

TEST_F(BuildGapListState, NoKeepsThePlaceholderAndHtmlAsksNothing) {
  ui.answerMessage(Answer::No);
  EXPECT_EQ(build(105, "4;Haus;Haus;der"), 1);
  EXPECT_EQ(gDetailZeilen, QStringList{"00004;Haus;Haus;der;Haus;{AL};{TP}"});
  EXPECT_TRUE(ui.inputs().isEmpty());
  ScriptedInteraction html;
  EXPECT_EQ(build(105, "4;Haus;Haus;der", true), 1);
  EXPECT_TRUE(html.shown().isEmpty());
  EXPECT_EQ(calls, 1);  // only the Word run hands on the document variables
}

// The dropped rows' note and the kind of type 103 from the editor's text
// are seen through the command line's gap list of the sample worksheets.
TEST_F(BuildGapListState, Type301ReportsDroppedRowsAsInformation) {
  EXPECT_EQ(build(301, kType301, true), 1);
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_EQ(ui.messages()[0].icon, Icon::Information);
}

TEST_F(BuildGapListState, FailedRunLeavesAnEmptyListAndStaleRowsGone) {
  EXPECT_EQ(build(101, "5;a;a;"), 1);
  ui.answerMessage(Answer::No);
  EXPECT_EQ(build(101, "1234567;Haus;Haus;"), 0);
  EXPECT_TRUE(ui.messageTexts().join("|").contains("hinter dem 99999. Zeichen"));
  EXPECT_TRUE(gLuecken.isEmpty() && gDetailZeilen.isEmpty());
  EXPECT_EQ(calls, 1);  // nothing handed on for the failed run
  EXPECT_EQ(build(101, ""), 0);
}
