#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/testutil.h"
#include "platform/textfile.h"

using namespace qv;

TEST(TextFile, WritesWindows1252WhenPossibleAndUtf8WithBomOtherwise) {
  QTemporaryDir dir;
  const QString a = dir.filePath("a.txt"), b = dir.filePath("b.txt");
  ASSERT_TRUE(textfile::writeLines(a, {"Müller;Größe"}));
  EXPECT_EQ(qvtest::readFile(a), QByteArray("M\xFCller;Gr\xF6\xDF" "e\r\n"));
  ASSERT_TRUE(textfile::writeLines(b, {"Ж"}));
  EXPECT_EQ(qvtest::readFile(b), QByteArray("\xEF\xBB\xBF\xD0\x96\r\n"));
  EXPECT_EQ(*textfile::read(a), "Müller;Größe\r\n");
  EXPECT_EQ(*textfile::read(b), "Ж\r\n");
}

TEST(TextFile, AppendKeepsOrderAndSwitchesToUtf8WithoutLosingOldLines) {
  QTemporaryDir dir;
  const QString p = dir.filePath("log.txt");
  qvtest::writeFile(p, "alt\r\n");
  ASSERT_TRUE(textfile::appendLine(p, "A"));
  ASSERT_TRUE(textfile::appendLine(p, "Bä"));
  EXPECT_EQ(qvtest::readFile(p), QByteArray("alt\r\nA\r\nB\xE4\r\n"));
  ASSERT_TRUE(textfile::appendLine(p, "Ω"));
  EXPECT_EQ(*textfile::read(p), "alt\r\nA\r\nBä\r\nΩ\r\n");
  ASSERT_TRUE(textfile::appendLine(p, "ö"));
  EXPECT_EQ(*textfile::read(p), "alt\r\nA\r\nBä\r\nΩ\r\nö\r\n");
}

TEST(TextFile, MissingFileAndUnwritablePathFailQuietly) {
  QTemporaryDir dir;
  EXPECT_FALSE(textfile::read(dir.filePath("nope.txt")).has_value());
  EXPECT_FALSE(textfile::write(dir.filePath("no/such/folder/x.txt"), "x"));
  EXPECT_FALSE(textfile::appendLine(dir.filePath("no/such/folder/x.txt"), "x"));
  EXPECT_EQ(textfile::splitLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));  // every line end
}
