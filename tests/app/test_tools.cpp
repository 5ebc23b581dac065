#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include "app/tools.h"
#include "common/testutil.h"
#include "platform/filehelper.h"
#include "platform/richeditor.h"

using namespace qv;

namespace {

QByteArray header(int m1, int m2, int m3, int m4, int w = 11906, int h = 16838) {
  QByteArray b(30, '\x7f');
  auto put = [&](int off, qint32 v) { qToLittleEndian<qint32>(v, b.data() + off); };
  put(4, m1);
  put(8, m2);
  put(12, m3);
  put(16, m4);
  put(20, w);
  put(24, h);
  return b;
}

// The stored rich texts of the sample workbook, one byte per character.
struct Stored {
  QString label;
  QByteArray bytes;
  QJsonArray margins;
};

QList<Stored> sampleStoredTexts() {
  QList<Stored> out;
  const QJsonObject root =
      QJsonDocument::fromJson(qvtest::readFile(qvtest::fixture(QStringLiteral("klassenfahrt.json")))).object();
  auto add = [&](const QString& label, const QJsonObject& o) {
    out.append({label, QByteArray::fromHex(o[QStringLiteral("header_hex")].toString().toLatin1()) +
                           o[QStringLiteral("rtf")].toString().toLatin1(),
                o[QStringLiteral("margins")].toArray()});
  };
  for (const QJsonValue& v : root[QStringLiteral("Arbeitsblatt")].toArray()) {
    add(QStringLiteral("AB"), v.toObject()[QStringLiteral("ArbeitsblattRTF")].toObject());
    add(QStringLiteral("KB"), v.toObject()[QStringLiteral("KontrollblattRTF")].toObject());
  }
  add(QStringLiteral("Text"), root[QStringLiteral("Text")].toArray().at(0).toObject()[QStringLiteral("TextRTF")].toObject());
  return out;
}

}  // namespace

// ---- Stored rich text

TEST(LoadRichText, SampleWorkbookTextsLoadWithTextAndMargins) {
  const auto samples = sampleStoredTexts();
  ASSERT_EQ(samples.size(), 17);
  const QJsonObject root =
      QJsonDocument::fromJson(qvtest::readFile(qvtest::fixture(QStringLiteral("klassenfahrt.json")))).object();
  for (const Stored& s : samples) {
    RichEditor e;
    LoadRichText(e, s.bytes);
    EXPECT_EQ(e.marginLeft(), std::min(s.margins[0].toInt(), 500));
    EXPECT_EQ(e.marginTop(), std::min(s.margins[1].toInt(), 300));
    EXPECT_EQ(e.marginRight(), std::min(s.margins[2].toInt(), 500));
    EXPECT_EQ(e.marginBottom(), std::min(s.margins[3].toInt(), 300));
    EXPECT_EQ(e.pageWidth(), 11906);
    EXPECT_EQ(e.pageHeight(), 16838);
    EXPECT_EQ(e.zoom(), 100);
    EXPECT_FALSE(e.text().isEmpty());
    EXPECT_TRUE(e.text().contains(QStringLiteral("Mühlsee"))) << s.label.toStdString();
  }
  // The workbook text reads as exactly the plain text the gap positions count in.
  RichEditor e;
  LoadRichText(e, samples.last().bytes);
  EXPECT_EQ(e.text(), root[QStringLiteral("expected")].toObject()[QStringLiteral("TextTXT")].toString());
  // Worksheet margins 400, 250, 600, 350 become 400, 250, 500, 300.
  LoadRichText(e, samples[0].bytes);
  EXPECT_EQ(e.marginRight(), 500);
  EXPECT_EQ(e.marginBottom(), 300);
}

TEST(LoadRichText, MarginsAreCappedAndPageSizeHandedOn) {
  RichEditor e;
  LoadRichText(e, header(1000, 1000, 200, 200, 123, -7) + "{\\rtf1 Hallo}");
  EXPECT_EQ(e.marginLeft(), 500);
  EXPECT_EQ(e.marginTop(), 300);
  EXPECT_EQ(e.marginRight(), 200);
  EXPECT_EQ(e.marginBottom(), 200);
  EXPECT_EQ(e.pageWidth(), 123);
  EXPECT_EQ(e.pageHeight(), -7);
  EXPECT_EQ(e.text(), QStringLiteral("Hallo"));
}

TEST(LoadRichText, DocumentStartsAtByte30WhateverTheHeaderHolds) {
  RichEditor e;
  QByteArray h(30, '{');  // header bytes that look like RTF
  LoadRichText(e, h + "{\\rtf1 Text}");
  EXPECT_EQ(e.text(), QStringLiteral("Text"));
  QByteArray nul(30, '\0');
  LoadRichText(e, nul + "{\\rtf1 zwei}");
  EXPECT_EQ(e.text(), QStringLiteral("zwei"));
}

TEST(LoadRichText, ShortOrBrokenValuesGiveAnEmptyEditor) {
  RichEditor e;
  e.setPlainText(QStringLiteral("alt"));
  LoadRichText(e, QByteArray());
  EXPECT_TRUE(e.text().isEmpty());
  e.setPlainText(QStringLiteral("alt"));
  LoadRichText(e, header(1, 2, 3, 4).left(29));
  EXPECT_TRUE(e.text().isEmpty());
  e.setPlainText(QStringLiteral("alt"));
  LoadRichText(e, header(1, 2, 3, 4));  // header only
  EXPECT_TRUE(e.text().isEmpty());
  e.setPlainText(QStringLiteral("alt"));
  LoadRichText(e, header(1, 2, 3, 4) + "kein RTF \x01\x02");
  EXPECT_TRUE(e.text().isEmpty());
  // A value cut short inside the document keeps what can be read.
  LoadRichText(e, header(1, 2, 3, 4) + "{\\rtf1 {\\b Anfang");
  EXPECT_EQ(e.text(), QStringLiteral("Anfang"));
}

TEST(LoadEditorFile, MissingFileGivesAnEmptyEditor) {
  RichEditor e;
  e.setPlainText(QStringLiteral("alt"));
  LoadEditorFile(e, QStringLiteral("/nonexistent/nowhere.bin"));
  EXPECT_TRUE(e.text().isEmpty());
}

TEST(LoadRichText, LeavesNoTemporaryFileBehind) {
  QTemporaryDir tmp;
  qputenv("TMPDIR", tmp.path().toLocal8Bit());
  RichEditor e;
  LoadRichText(e, header(1, 2, 3, 4) + "{\\rtf1 x}");
  EXPECT_TRUE(QDir(tmp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
  qunsetenv("TMPDIR");
}

// ---- Log file

TEST(WriteLog, AppendsLinesWithCrLf) {
  QTemporaryDir dir;
  qputenv("QV_PROGRAM_FOLDER", dir.path().toLocal8Bit());
  qvtest::writeFile(QDir(dir.path()).filePath(QStringLiteral("log.txt")), "alt\r\n");
  WriteLog(QStringLiteral("A"));
  WriteLog(QStringLiteral("Start Word: Fehler ü"));
  WriteLog(QStringLiteral("B"));
  EXPECT_EQ(qvtest::readFile(QDir(dir.path()).filePath(QStringLiteral("log.txt"))),
            QByteArray("alt\r\nA\r\nStart Word: Fehler \xfc\r\nB\r\n"));
  qunsetenv("QV_PROGRAM_FOLDER");
}

TEST(WriteLog, ReadOnlyProgramFolderUsesTheUserFolder) {
  QTemporaryDir prog, user;
  QFile::setPermissions(prog.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  qputenv("QV_PROGRAM_FOLDER", prog.path().toLocal8Bit());
  qputenv("QV_USER_DATA", user.path().toLocal8Bit());
  if (files::isWritableFolder(prog.path())) GTEST_SKIP() << "running with rights that ignore folder permissions";
  WriteLog(QStringLiteral("A"));
  EXPECT_FALSE(QFile::exists(QDir(prog.path()).filePath(QStringLiteral("log.txt"))));
  EXPECT_EQ(qvtest::readFile(QDir(user.path()).filePath(QStringLiteral("log.txt"))), QByteArray("A\r\n"));
  QFile::setPermissions(prog.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qunsetenv("QV_PROGRAM_FOLDER");
  qunsetenv("QV_USER_DATA");
}

TEST(WriteLog, FailureIsPassedOver) {
  qputenv("QV_PROGRAM_FOLDER", "/nonexistent/folder");
  qputenv("QV_USER_DATA", "/proc/forbidden/here");
  WriteLog(QStringLiteral("nirgends"));  // must not throw or crash
  qunsetenv("QV_PROGRAM_FOLDER");
  qunsetenv("QV_USER_DATA");
  SUCCEED();
}

// ---- GUID, progress, scrambling

TEST(NewGuidString, RegistryFormAndNewEachCall) {
  const QRegularExpression form(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
  const QString a = NewGuidString(), b = NewGuidString();
  EXPECT_EQ(a.size(), 38);
  EXPECT_TRUE(form.match(a).hasMatch()) << a.toStdString();
  EXPECT_TRUE(form.match(b).hasMatch());
  EXPECT_NE(a, b);
}

TEST(AddToValue, AddsToTheValue) {
  struct Bar : ValueHolder {
    int v = 7;
    int value() const override { return v; }
    void setValue(int x) override { v = x; }
  } bar;
  AddToValue(bar, 1);
  AddToValue(bar, -3);
  EXPECT_EQ(bar.v, 5);
}

TEST(XorWithKey, SelfInverseAndKeyedByPosition) {
  QString key = QStringLiteral("Lernfelder1997");
  std::reverse(key.begin(), key.end());
  const QString text = QStringLiteral("12;Häuser;Haus;;Häuser;{AL};{TP}\r\n„ß“ € Œ");
  const QString once = XorWithKey(text, key);
  EXPECT_EQ(once.size(), text.size());
  EXPECT_NE(once, text);
  EXPECT_EQ(XorWithKey(once, key), text);
  // Position i uses key character i: '7' ^ '1' = 0x06.
  EXPECT_EQ(XorWithKey(QStringLiteral("1"), key), QString(QChar(0x06)));
  // Five characters use only the first five of a longer key.
  EXPECT_EQ(XorWithKey(QStringLiteral("abcde"), key), XorWithKey(QStringLiteral("abcde"), key.left(5)));
  // The key repeats from its first character.
  EXPECT_EQ(XorWithKey(QStringLiteral("aaaa"), QStringLiteral("ab")),
            XorWithKey(QStringLiteral("aa"), QStringLiteral("ab")).repeated(2));
  // Equal characters give NUL, which stays in the text.
  EXPECT_EQ(XorWithKey(QStringLiteral("ab"), QStringLiteral("ab")), QString(2, QChar(0)));
  // Bytes Windows-1252 leaves undefined survive.
  const QString odd = QString(QChar(0x81)) + QChar(0x9D) + QChar(0x20AC);
  EXPECT_EQ(XorWithKey(XorWithKey(odd, key), key), odd);
}

TEST(XorWithKey, EmptyTextOrKey) {
  EXPECT_EQ(XorWithKey(QString(), QStringLiteral("abc")), QString());
  EXPECT_EQ(XorWithKey(QStringLiteral("Text \u4E2D"), QString()), QStringLiteral("Text \u4E2D"));
}
