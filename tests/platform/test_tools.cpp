#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include "common/testutil.h"
#include "common/umgebung.h"
#include "platform/filehelper.h"
#include "platform/richeditor.h"
#include "platform/tools.h"

using namespace qv;

namespace {

QByteArray header(int m1, int m2, int m3, int m4, int w = 11906, int h = 16838) {
  QByteArray b(30, '\x7f');
  const qint32 v[] = {m1, m2, m3, m4, w, h};
  for (int i = 0; i < 6; ++i) qToLittleEndian<qint32>(v[i], b.data() + 4 + 4 * i);
  return b;
}

}  // namespace

// ---- Stored rich text

// The margins and page size the header gives the editor are read by no
// program code; the text starts at byte 30.
TEST(LoadRichText, TextFromByte30) {
  RichEditor e;
  LoadRichText(e, header(1000, 1000, 600, 350, 123, -7) + "{\\rtf1 Hallo}");
  EXPECT_EQ(e.text(), QStringLiteral("Hallo"));
  // The document starts at byte 30 whatever the header holds.
  LoadRichText(e, QByteArray(30, '{') + "{\\rtf1 Text}");
  EXPECT_EQ(e.text(), QStringLiteral("Text"));
}

TEST(LoadRichText, ShortBrokenOrMissingValuesGiveAnEmptyEditor) {
  RichEditor e;
  for (const QByteArray& v :
       {QByteArray(), header(1, 2, 3, 4).left(29), header(1, 2, 3, 4), header(1, 2, 3, 4) + "kein RTF \x01\x02"}) {
    e.setPlainText(QStringLiteral("alt"));
    LoadRichText(e, v);
    EXPECT_TRUE(e.text().isEmpty()) << v.toHex().toStdString();
  }
  // A value cut short inside the document keeps what can be read.
  LoadRichText(e, header(1, 2, 3, 4) + "{\\rtf1 {\\b Anfang");
  EXPECT_EQ(e.text(), QStringLiteral("Anfang"));
  // No temporary file is left behind.
  QTemporaryDir tmp;
  qvtest::Env env{{"TMPDIR", tmp.path().toLocal8Bit()}};
  LoadRichText(e, header(1, 2, 3, 4) + "{\\rtf1 x}");
  EXPECT_TRUE(QDir(tmp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
}

// ---- Log file

TEST(WriteLog, AppendsLinesWithCrLfAndFallsBackToTheUserFolder) {
  QTemporaryDir prog, user;
  qvtest::Env env{{"QV_PROGRAM_FOLDER", prog.path().toLocal8Bit()}, {"QV_USER_DATA", user.path().toLocal8Bit()}};
  const QString log = QDir(prog.path()).filePath(QStringLiteral("log.txt"));
  qvtest::writeFile(log, "alt\r\n");
  WriteLog(QStringLiteral("A"));
  WriteLog(QStringLiteral("Start Word: Fehler ü"));
  EXPECT_EQ(qvtest::readFile(log), QByteArray("alt\r\nA\r\nStart Word: Fehler \xfc\r\n"));
  {
    // Neither folder writable: passed over without a crash.
    qvtest::Env nowhere{{"QV_PROGRAM_FOLDER", "/nonexistent/folder"}, {"QV_USER_DATA", "/proc/forbidden/here"}};
    WriteLog(QStringLiteral("nirgends"));
  }
  // A read-only program folder: the user's folder takes the log.
  QFile::remove(log);
  QFile::setPermissions(prog.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const bool bound = !files::isWritableFolder(prog.path());
  if (bound) WriteLog(QStringLiteral("B"));
  QFile::setPermissions(prog.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (!bound) GTEST_SKIP() << "running with rights that ignore folder permissions";
  EXPECT_FALSE(QFile::exists(log));
  EXPECT_EQ(qvtest::readFile(QDir(user.path()).filePath(QStringLiteral("log.txt"))), QByteArray("B\r\n"));
}

// ---- GUID, scrambling

TEST(NewGuidString, RegistryFormAndNewEachCall) {
  const QRegularExpression form(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
  const QString a = NewGuidString(), b = NewGuidString();
  EXPECT_TRUE(form.match(a).hasMatch()) << a.toStdString();
  EXPECT_NE(a, b);
}

TEST(XorWithKey, SelfInverseAndKeyedByPosition) {
  QString key = QStringLiteral("Lernfelder1997");
  std::reverse(key.begin(), key.end());
  const QString text = QStringLiteral("12;Häuser;Haus;;Häuser;{AL};{TP}\r\n„ß“ € Œ");
  const QString once = XorWithKey(text, key);
  EXPECT_NE(once, text);
  EXPECT_EQ(XorWithKey(once, key), text);
  // Position i uses key character i, the key repeating from its start:
  // '7' ^ '1' = 0x06; equal characters give NUL, which stays in the text.
  EXPECT_EQ(XorWithKey(QStringLiteral("1"), key), QString(QChar(0x06)));
  EXPECT_EQ(XorWithKey(QStringLiteral("abab"), QStringLiteral("ab")), QString(4, QChar(0)));
  // Bytes Windows-1252 leaves undefined survive.
  const QString odd = QString(QChar(0x81)) + QChar(0x9D) + QChar(0x20AC);
  EXPECT_EQ(XorWithKey(XorWithKey(odd, key), key), odd);
  // An empty text or key.
  EXPECT_EQ(XorWithKey(QString(), QStringLiteral("abc")), QString());
  EXPECT_EQ(XorWithKey(QStringLiteral("Text \u4E2D"), QString()), QStringLiteral("Text \u4E2D"));
}
