#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/variablen.h"
#include "common/testutil.h"
#include "exercise/gaplist.h"
#include "platform/richeditor.h"
#include "common/scripted_ui.h"

using namespace qv;

namespace {

GapList rows(int typ, const QString& details, int kind = 3) {
  return BuildGapRows(typ, details, [kind] { return kind; });
}

QString nul() { return QString(QChar(u'\0')); }

// Program state for one builder run.
void setWorksheet(int typ, const QString& details) {
  gUebungstyp = static_cast<int16_t>(typ);
  gDetails = details;
  gFormatDoc = true;
}

}  // namespace

TEST(BuildGapRows, Type103SplitsTheWordByGapKind) {
  EXPECT_EQ(rows(103, "12;Haus;Haus;", 3).zeilen.value(0), "00012;Haus;Haus;Ha_;us;{AL};{TP}");
  EXPECT_EQ(rows(103, "12;Haus;Haus;", 1).zeilen.value(0), "00012;Haus;Haus;_us;Ha;{AL};{TP}");
  EXPECT_EQ(rows(103, "12;Haus;Haus;", 2).zeilen.value(0), "00012;Haus;Haus;H_s;au;{AL};{TP}");
  EXPECT_EQ(rows(103, "12;Haus;Haus;", 0).zeilen.value(0), "00012;Haus;Haus;Ha_;us;{AL};{TP}");
  const GapList odd3 = rows(103, "1;Hause;Haus;", 3), odd1 = rows(103, "1;Hause;Haus;", 1);
  EXPECT_EQ(odd3.luecken[0].Bemerkung(), "Ha_");
  EXPECT_EQ(odd3.luecken[0].Loesung(), "use");
  EXPECT_EQ(odd1.luecken[0].Bemerkung(), "_se");
  EXPECT_EQ(odd1.luecken[0].Loesung(), "Hau");
  // The word list of type 103 holds the missing parts, the base forms stay empty.
  EXPECT_EQ(odd3.arrInhalt, QStringList{"use"});
  EXPECT_EQ(odd3.arrGrundform, QStringList{""});
  // A one-letter word in the middle kind gives no crash.
  EXPECT_EQ(rows(103, "1;a;a;", 2).zeilen.value(0), "00001;a;a;a_;;{AL};{TP}");
}

TEST(BuildGapRows, Type104SolutionIsTheWordsEnd) {
  EXPECT_EQ(rows(104, "7;Garten;Garten;Gar_").luecken[0].Loesung(), "ten");
  EXPECT_EQ(rows(104, "7;Garten;Garten;Garten_").zeilen[0], "00007;Garten;Garten;Garten_;;{AL};{TP}");
  EXPECT_EQ(rows(104, "7;Haus;Haus;Hausboot_").luecken[0].Loesung(), "");
}

TEST(BuildGapRows, RowsAreOrderedByStartAndTokensKeyedInThatOrder) {
  const GapList g = rows(101, "120;c;c;\r\n5;a;a;\r\n33;b;b;");
  ASSERT_EQ(g.zeilen.size(), 3);
  EXPECT_TRUE(g.zeilen[0].startsWith("00005;"));
  EXPECT_TRUE(g.zeilen[1].startsWith("00033;"));
  EXPECT_TRUE(g.zeilen[2].startsWith("00120;"));
  EXPECT_EQ(g.luecken[0].Anfang(), 5);
  EXPECT_EQ(g.luecken[2].Anfang(), 120);
  EXPECT_EQ(g.luecken[1].Loesung(), "b");
}

TEST(BuildGapRows, Type301DropsRowsWithTwoGaps) {
  const GapList g = rows(301, QStringLiteral("10;Schlüssel;Schlüssel;Schl_ss_l\r\n1;Tür;Tür;T_r\r\n20;glänzenden;glänzen;gl_nz_nden"));
  EXPECT_EQ(g.skipped, 2);
  ASSERT_EQ(g.luecken.size(), 1);
  EXPECT_EQ(g.luecken[0].Loesung(), QStringLiteral("ü"));
}

TEST(BuildGapRows, UnderscoreRunsBecomeOne) {
  const GapList g = rows(301, QStringLiteral("3;Tür;Tür;T_ _ __r"));
  ASSERT_EQ(g.luecken.size(), 1);
  EXPECT_EQ(g.luecken[0].Bemerkung(), "T_r");
}

TEST(BuildGapRows, RowsWithoutSeparatorAreDroppedAndFailuresGiveNothing) {
  EXPECT_EQ(rows(101, "12;Haus;Haus;\r\nMüll\r\n").zeilen.size(), 1);
  const GapList sixDigits = rows(101, "123456;Haus;Haus;\r\n5;a;a;");
  EXPECT_TRUE(sixDigits.failed);
  EXPECT_TRUE(sixDigits.luecken.isEmpty());
  EXPECT_TRUE(sixDigits.zeilen.isEmpty());
  EXPECT_TRUE(rows(101, "").failed);
  EXPECT_EQ(rows(101, "99999;Haus;Haus;").luecken.value(0).Anfang(), 99999);
}

TEST(BuildGapRows, KlassenfahrtWorksheetsGiveTheRecordedRows) {
  const QJsonObject root = QJsonDocument::fromJson(qvtest::readFile(qvtest::fixture("klassenfahrt.json"))).object();
  int checked = 0;
  for (const QJsonValue& v : root["Arbeitsblatt"].toArray()) {
    const QJsonObject ws = v.toObject();
    if (!ws["taken"].toBool()) continue;
    QStringList expected;
    for (const QJsonValue& z : ws["zeilen"].toArray()) expected << z.toString();
    const GapList g = rows(ws["Uebungstyp"].toInt(), ws["Details"].toString(), 3);
    EXPECT_EQ(g.zeilen, expected) << ws["ID"].toInt();
    ++checked;
  }
  EXPECT_EQ(checked, 6);
}

class BuildGapListState : public ::testing::Test {
 protected:
  void SetUp() override {
    txtText().setPlainText(QStringLiteral("1) Haus 2) Baum 3) Tür"));
    gLuecken.clear();
    gDetailZeilen.clear();
    calls = 0;
    setDocumentVariablesWriter([this](int32_t count, const std::optional<QStringList>& inhalt,
                                      const std::optional<QStringList>&, bool withDetails) {
      ++calls;
      lastCount = count;
      lastInhalt = inhalt.value_or(QStringList{});
      lastWithDetails = withDetails;
    });
  }
  void TearDown() override { setDocumentVariablesWriter({}); }
  int calls = 0;
  int lastCount = -1;
  QStringList lastInhalt;
  bool lastWithDetails = true;
};

TEST_F(BuildGapListState, AlternativesPromptsAndAnswers) {
  ScriptedInteraction ui;
  setWorksheet(101, QStringLiteral("4;Haus;Haus;\r\n12;Baum;Baum;\r\n20;Tür;Tür;"));
  ui.answerMessage(Answer::Yes);
  ui.answerInput(QStringLiteral("Heim,  Gebäude"));
  ui.answerInput(QString());
  ui.answerInput(QStringLiteral("Heim ; Bau"));
  bool withDetails = false;
  EXPECT_EQ(BuildGapList(false, withDetails), 3);

  const auto msgs = ui.messages();
  ASSERT_EQ(msgs.size(), 1);
  EXPECT_EQ(msgs[0].text, QStringLiteral("Sollen auch alternative Lösungen definiert werden?"));
  EXPECT_EQ(msgs[0].title, QStringLiteral("Quillbee-Vodedarivo"));
  EXPECT_EQ(msgs[0].buttons, Buttons::YesNo);
  EXPECT_EQ(msgs[0].defaultButton, 1);
  EXPECT_EQ(msgs[0].icon, Icon::Question);

  const auto inputs = ui.inputs();
  ASSERT_EQ(inputs.size(), 3);
  EXPECT_EQ(inputs[0].title, QStringLiteral("Alternativlösungen für das 1. Wort "));
  EXPECT_EQ(inputs[2].title, QStringLiteral("Alternativlösungen für das 3. Wort "));
  EXPECT_EQ(inputs[1].preset, QStringLiteral("Baum"));
  EXPECT_EQ(inputs[0].prompt,
            QStringLiteral("Bei Wörtern, für die es keine Alternative gibt, einfach den Defaultwert stehen lassen "
                           "und auf 'OK' klicken.\r\nWenn es für ein Wort mehrere Alternativen gibt kann ein "
                           "Semikolon (;) oder Komma zur Trennung verwendet werden. Es sind dabei beliebig viele "
                           "Alternativlösungen für jedes Wort zulässig.\r\n\r\n\r\nBitte die Alternativen für "
                           "'Haus' eingeben."));

  EXPECT_EQ(gDetailZeilen[0], "00004;Haus;Haus;;Haus;" + nul() + "Heim" + nul() + QStringLiteral("Gebäude") + nul() + ";{TP}");
  EXPECT_EQ(gDetailZeilen[1], "00012;Baum;Baum;;Baum;;{TP}");
  EXPECT_EQ(gDetailZeilen[2], QStringLiteral("00020;Tür;Tür;;Tür;") + nul() + "Heim " + nul() + "Bau" + nul() + ";{TP}");
  EXPECT_EQ(txtText().selStart(), 0);
  EXPECT_EQ(txtText().selLength(), 0);

  EXPECT_EQ(calls, 1);
  EXPECT_EQ(lastCount, 3);
  EXPECT_EQ(lastInhalt, QStringList({"Baum", "Haus", QStringLiteral("Tür")}));
  EXPECT_FALSE(lastWithDetails);
}

TEST_F(BuildGapListState, NoKeepsThePlaceholderAndHtmlAsksNothing) {
  ScriptedInteraction ui;
  setWorksheet(105, "4;Haus;Haus;der");
  ui.answerMessage(Answer::No);
  bool withDetails = true;
  EXPECT_EQ(BuildGapList(false, withDetails), 1);
  EXPECT_EQ(gDetailZeilen[0], "00004;Haus;Haus;der;Haus;{AL};{TP}");
  EXPECT_TRUE(ui.inputs().isEmpty());

  ScriptedInteraction html;
  EXPECT_EQ(BuildGapList(true, withDetails), 1);
  EXPECT_TRUE(html.shown().isEmpty());
  EXPECT_EQ(calls, 1);  // only the Word run hands on the document variables
}

TEST_F(BuildGapListState, Type301ReportsDroppedRows) {
  ScriptedInteraction ui;
  setWorksheet(301, QStringLiteral("10;Schlüssel;Schlüssel;Schl_ss_l\r\n1;Tür;Tür;T_r\r\n20;glänzenden;glänzen;gl_nz_nden"));
  bool withDetails = true;
  EXPECT_EQ(BuildGapList(true, withDetails), 1);
  ASSERT_EQ(ui.messages().size(), 1);
  EXPECT_EQ(ui.messages()[0].text,
            QStringLiteral("2 Wort/Wörter kann/können nicht in die Übung aufgenommen werden, \r\nda diese(s) mehr "
                           "als 1 Lücke hat/haben!"));
  EXPECT_EQ(ui.messages()[0].icon, Icon::Information);
}

TEST_F(BuildGapListState, FailedRunLeavesAnEmptyListAndStaleRowsGone) {
  ScriptedInteraction ui;
  setWorksheet(101, "5;a;a;");
  bool withDetails = true;
  EXPECT_EQ(BuildGapList(false, withDetails), 1);
  ui.answerMessage(Answer::No);
  setWorksheet(101, "1234567;Haus;Haus;");
  EXPECT_EQ(BuildGapList(false, withDetails), 0);
  EXPECT_TRUE(gLuecken.isEmpty());
  EXPECT_TRUE(gDetailZeilen.isEmpty());
  EXPECT_EQ(calls, 1);  // nothing handed on for the failed run
  setWorksheet(101, "");
  EXPECT_EQ(BuildGapList(false, withDetails), 0);
}

TEST_F(BuildGapListState, Type103TakesTheGapKindFromTheEditor) {
  ScriptedInteraction ui;
  txtText().setPlainText(QStringLiteral("1) _us 2) _aum"));
  setWorksheet(103, "12;Haus;Haus;");
  bool withDetails = true;
  EXPECT_EQ(BuildGapList(true, withDetails), 1);
  EXPECT_EQ(gLueckenArt, 1);
  EXPECT_EQ(gLuecken[0].Loesung(), "Ha");
}
