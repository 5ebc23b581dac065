#include <gtest/gtest.h>

#include "platform/richeditor.h"

using namespace qv;

TEST(RichEditor, TextSelectionAndFind) {
  RichEditor e;
  // CR LF line ends; no-break spaces stay.
  e.setPlainText("1) Kin_\u00A0_\r\nzweite");
  EXPECT_EQ(e.text(), "1) Kin_\u00A0_\r\nzweite");
  e.setPlainText("1) eins 2) zwei 12) zwölf");
  e.setSelStart(5);
  e.setSelLength(3);
  EXPECT_EQ(e.selectedText(), "ns ");
  e.setSelStart(2);
  EXPECT_EQ(e.selLength(), 0);
  EXPECT_EQ(e.find("2", e.selStart()), 8);
  EXPECT_EQ(std::tuple(e.selStart(), e.selLength()), std::tuple(8, 1));
  EXPECT_EQ(e.find("2", e.selStart() + 1), 17);
  EXPECT_EQ(e.find("7", 0), -1);
  e.setSelStart(1000);  // clamped, no crash
  e.setSelLength(1000);
  EXPECT_LE(e.selStart() + e.selLength(), e.document()->characterCount());
}
