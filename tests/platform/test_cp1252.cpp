#include <gtest/gtest.h>

#include "platform/cp1252.h"

using namespace qv;

TEST(Cp1252, EveryByteRoundTripsUndefinedOnesAreTheirControlCharactersAndOthersAreReported) {
  QByteArray all;
  for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
  const QString text = cp1252::decode(all);
  ASSERT_EQ(text.size(), 256);
  bool ok = false;
  EXPECT_EQ(cp1252::encode(text, &ok), all);
  EXPECT_TRUE(ok);
  for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(text[b].unicode(), b);
  EXPECT_EQ(text[0x80].unicode(), 0x20AC);
  EXPECT_EQ(text[0x84].unicode(), 0x201E);
  EXPECT_EQ(cp1252::fromUnicode(QChar(0x201C)), 0x93);
  // Characters outside.
  EXPECT_EQ(cp1252::encode("Ä\u0416z", &ok), QByteArray("\xC4?z"));  // Cyrillic Zhe
  EXPECT_FALSE(ok);
  // U+0080 is the C1 control that 0x80 does not stand for.
  EXPECT_FALSE(cp1252::fits("\u0416") || cp1252::fits("\u0080"));
  EXPECT_TRUE(cp1252::fits("Grüße „Hallo“ €"));
}
