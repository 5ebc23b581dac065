// Damaged and hostile RTF: the reader must neither crash nor hang and must
// keep what it can read.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <random>

#include "platform/docmodel.h"
#include "platform/rtf.h"
#include "rtf_testdata.h"

using namespace qv;

namespace {

QString readText(const QByteArray& bytes) {
  RichDocument d;
  d.readRtf(bytes);
  return d.body()->toPlainText();
}

}  // namespace

TEST(RtfHostile, NoRtfAtAll) {
  RichDocument d;
  EXPECT_FALSE(d.readRtf(QByteArray()));
  EXPECT_FALSE(d.readRtf("Hallo"));
  EXPECT_TRUE(d.body()->isEmpty());
  QTextDocument doc;
  doc.setPlainText(QStringLiteral("alt"));
  EXPECT_FALSE(rtf::read("{\\rt", doc));
  EXPECT_TRUE(doc.isEmpty());
}

TEST(RtfHostile, UnbalancedAndTruncated) {
  EXPECT_EQ(readText("{\\rtf1 Hallo {\\b Welt"), QStringLiteral("Hallo Welt"));
  EXPECT_EQ(readText("{\\rtf1 Hallo}} Rest}}}"), QStringLiteral("Hallo"));
  EXPECT_EQ(readText("{\\rtf1 A\\"), QStringLiteral("A"));
  EXPECT_EQ(readText("{\\rtf1 A\\'"), QStringLiteral("A"));
  EXPECT_EQ(readText("{\\rtf1 A\\'4"), QStringLiteral("A"));
  EXPECT_EQ(readText("{\\rtf1 A\\u"), QStringLiteral("A\u0000"));
  EXPECT_EQ(readText("{\\rtf1 {\\*\\docvar {x}{y"), QString());
  EXPECT_EQ(readText("{\\rtf1 x{\\field{\\*\\fldinst FORMTEXT}{\\fldrslt abc"), QStringLiteral("xabc"));
  RichDocument d;
  d.readRtf("{\\rtf1 x{\\field{\\*\\fldinst FORMTEXT}{\\fldrslt abc");
  ASSERT_EQ(d.fields().size(), 1);
  EXPECT_EQ(d.fields()[0].result.text(), QStringLiteral("abc"));
  d.readRtf("{\\rtf1 a{\\*\\bkmkstart open}b");  // never closed: no bookmark
  EXPECT_TRUE(d.bookmarks().isEmpty());
}

TEST(RtfHostile, EnormousNumbers) {
  const QString t = readText(
      "{\\rtf1\\fs99999999999999999999\\uc99999999 a{\\u99999999999999 b}\\li-999999999999\\sl-2147483648 "
      "\\cellx999999999999\\f-5\\cf999999999 c\\u-99999999 d}");
  EXPECT_TRUE(t.startsWith(QLatin1Char('a')));
  EXPECT_TRUE(t.contains(QLatin1Char('c')));
  RichDocument d;
  d.readRtf("{\\rtf1\\paperw99999999999\\margl-5 x}");
  EXPECT_LE(d.page().paperWidth, 1'000'000);
  EXPECT_GE(d.page().marginLeft, 0);
}

TEST(RtfHostile, DeepNestingIsCut) {
  QByteArray deep = "{\\rtf1 vor";
  deep += QByteArray(100000, '{') + "tief" + QByteArray(100000, '}');
  deep += "nach}";
  EXPECT_EQ(readText(deep), QStringLiteral("vornach"));
  QByteArray open = "{\\rtf1 a" + QByteArray(500000, '{') + "b";
  EXPECT_TRUE(readText(open).startsWith(QLatin1Char('a')));
}

TEST(RtfHostile, BinaryRuns) {
  QByteArray bin = "{\\rtf1 a{\\*\\blip\\bin6 }}{{\\}}b}";
  EXPECT_EQ(readText(bin), QStringLiteral("ab"));
  EXPECT_EQ(readText("{\\rtf1 a\\bin2 xyb}"), QStringLiteral("ab"));
  EXPECT_EQ(readText("{\\rtf1 a\\bin999999999 xyb}"), QStringLiteral("a"));
  EXPECT_EQ(readText("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab"));
  QByteArray nul("{\\rtf1 a\0b}", 11);
  EXPECT_EQ(readText(nul), QStringLiteral("ab"));
}

TEST(RtfHostile, PicturesAreSkippedWithoutLosingText) {
  EXPECT_EQ(readText("{\\rtf1 vor{\\pict\\pngblip 89504e47{\\*\\x}0d0a}nach {\\*\\shppict{\\pict 00}}{\\nonshppict{\\pict 0}}Ende}"),
            QStringLiteral("vornach Ende"));
}

TEST(RtfHostile, MegabytesOfText) {
  QByteArray big = "{\\rtf1\\ansi ";
  for (int i = 0; i < 40000; ++i) big += "Zeile mit \\'fc und {\\b fett} \\par\n";
  big += "}";
  ASSERT_GT(big.size(), 1'000'000);
  const QString t = readText(big);
  EXPECT_EQ(t.count(QLatin1Char('\n')), 39999);
}

// Mutates real RTF files many thousand times: bytes flipped, inserted,
// deleted, duplicated, cut; braces and control words sprinkled in. Every
// mutation must read without a crash or hang and give a writeable document
// that reads again.
TEST(RtfFuzz, MutatedRealFilesNeverCrash) {
  std::vector<QByteArray> seeds;
  for (const auto& s : qvtest::sampleRichTexts()) seeds.push_back(s.rtf);
  RichDocument full;
  qvtest::buildFullDocument(full);
  seeds.push_back(full.toRtf());
  ASSERT_GE(seeds.size(), 10u);

  const char* tokens[] = {"{", "}", "\\", "\\'", "\\u", "\\bin", "\\*", "\\par", "\\cell", "\\row", "\\intbl",
                          "\\trowd\\cellx100", "\\field", "{\\fldrslt ", "{\\*\\fldinst ", "\\fs", "\\uc5",
                          "\\bin99999", "-", "9999999999", "{\\*\\bkmkend ", "{\\header ", "\\pict", "\\page",
                          "{\\*\\docvar {", "\\'ff", "\\u-1", "\\line", "\\sect", "\\plain", "{\\*\\formfield{"};
  const int iterations = qEnvironmentVariableIntValue("QV_FUZZ_ITERATIONS") > 0
                             ? qEnvironmentVariableIntValue("QV_FUZZ_ITERATIONS")
                             : 20000;
  std::mt19937 rng(20240205);
  QElapsedTimer timer;
  timer.start();
  int reread = 0;
  for (int n = 0; n < iterations; ++n) {
    QByteArray b = seeds[rng() % seeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits && !b.isEmpty(); ++e) {
      const qsizetype at = static_cast<qsizetype>(rng() % b.size());
      switch (rng() % 7) {
        case 0: b[at] = static_cast<char>(rng()); break;
        case 1: b.insert(at, tokens[rng() % std::size(tokens)]); break;
        case 2: b.remove(at, 1 + static_cast<qsizetype>(rng() % 64)); break;
        case 3: b.truncate(at); break;
        case 4: b.insert(at, b.mid(static_cast<qsizetype>(rng() % b.size()), 1 + rng() % 200)); break;
        case 5: b.insert(at, QByteArray(1 + rng() % 300, rng() % 2 ? '{' : '}')); break;
        default: b[at] = "{}\\'0123456789-;"[rng() % 16]; break;
      }
    }
    RichDocument d;
    d.readRtf(b);
    // Reading the fields alone finds the same fields with the same texts.
    RichDocument f;
    f.readRtf(b, RichDocument::ReadScope::FieldsOnly);
    ASSERT_EQ(f.fields().size(), d.fields().size()) << n;
    for (qsizetype i = 0; i < f.fields().size(); ++i) {
      EXPECT_EQ(f.fields()[i].form.name, d.fields()[i].form.name) << n;
      EXPECT_EQ(f.fields()[i].result.text(), d.fields()[i].result.text()) << n;
    }
    EXPECT_EQ(f.variables().size(), d.variables().size()) << n;
    // What was read writes and reads again.
    if (n % 10 == 0) {
      RichDocument again;
      ASSERT_TRUE(again.readRtf(d.toRtf())) << n;
      EXPECT_EQ(again.body()->toPlainText(), d.body()->toPlainText()) << n;
      ++reread;
    }
  }
  RecordProperty("mutations", iterations);
  RecordProperty("milliseconds", static_cast<int>(timer.elapsed()));
  std::printf("%d mutations (%d written and read again) in %lld ms\n", iterations, reread,
              static_cast<long long>(timer.elapsed()));
}
