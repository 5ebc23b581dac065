// Documents the engine saves, opened by a real word processor.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "common/testutil.h"
#include "app/variablen.h"
#include "platform/docengine.h"
#include "common/scripted_ui.h"
#include "workbook/workbook.h"
#include "word/wordexercise.h"
#include "word/modword.h"

using namespace qv;

namespace {

QString soffice() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

// Converts the file to ODT and returns content.xml and meta.xml.
bool convertToOdt(const QString& file, const QString& outDir, QByteArray* content, QByteArray* meta) {
  QProcess p;
  p.start(soffice(), {QStringLiteral("--headless"), QStringLiteral("-env:UserInstallation=file://") + outDir + "/profile",
                      QStringLiteral("--convert-to"), QStringLiteral("odt"), QStringLiteral("--outdir"), outDir, file});
  if (!p.waitForFinished(120000)) return false;
  const QString odt = outDir + "/" + QFileInfo(file).completeBaseName() + ".odt";
  auto member = [&](const char* name) {
    QProcess u;
    u.start(QStringLiteral("unzip"), {QStringLiteral("-p"), odt, QString::fromLatin1(name)});
    u.waitForFinished(30000);
    return u.readAllStandardOutput();
  };
  *content = member("content.xml");
  *meta = member("meta.xml");
  return !content->isEmpty();
}

}  // namespace

TEST(WordProcessor, KeepsTextAndDocumentVariablesOfOurDocuments) {
  if (soffice().isEmpty()) GTEST_SKIP() << "soffice fehlt";
  QTemporaryDir templates, dir;
  qputenv("QV_TEMPLATES_DIR", templates.path().toUtf8());
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"), templates.filePath(kTemplateName));
  ASSERT_TRUE(StartWord(true));
  engine::Document* d = gWordDoc;
  d->insertBefore(0, QStringLiteral("Am Montag fuhren wir an den Mühlsee."));
  d->addTextFormField(10, 16, "Gap_1", "Got_Focus", "Lost_Focus");
  d->addVariable("CAPTION", QStringLiteral("Verben in der Vergangenheit"));
  d->addVariable("COUNT", "1");
  d->setAuthor(QStringLiteral("Jörg Schüler"));
  d->setFirstPageHeaderCell(1, 2, QStringLiteral("Jörg Schüler"));
  const QString path = dir.filePath("uebung.doc");
  ASSERT_TRUE(d->saveAs(path));
  gWordApp->quit();
  StartWord(false);
  qunsetenv("QV_TEMPLATES_DIR");

  QByteArray content, meta;
  ASSERT_TRUE(convertToOdt(path, dir.path(), &content, &meta));
  const QString c = QString::fromUtf8(content), m = QString::fromUtf8(meta);
  EXPECT_TRUE(c.contains(QStringLiteral("Am Montag"))) << c.left(2000).toStdString();
  EXPECT_TRUE(c.contains(QStringLiteral("an den Mühlsee.")));
  // Document variables become user fields.
  EXPECT_TRUE(c.contains("CAPTION")) << "variables lost";
  EXPECT_TRUE(c.contains(QStringLiteral("Verben in der Vergangenheit")));
  EXPECT_TRUE(m.contains(QStringLiteral("Jörg Schüler")));
  // The pupil's name in the first-page header.
  QProcess u;
  u.start(QStringLiteral("unzip"), {QStringLiteral("-p"), dir.filePath("uebung.odt"), QStringLiteral("styles.xml")});
  u.waitForFinished(30000);
  EXPECT_TRUE(QString::fromUtf8(u.readAllStandardOutput()).contains(QStringLiteral("Jörg Schüler")));
}

TEST(WordProcessor, KeepsTheFormFieldsButtonsAndTextOfABuiltExercise) {
  if (soffice().isEmpty()) GTEST_SKIP() << "soffice fehlt";
  QTemporaryDir templates, program, dir;
  qputenv("QV_TEMPLATES_DIR", templates.path().toUtf8());
  qputenv("QV_PROGRAM_FOLDER", program.path().toUtf8());
  QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Quillbee_Interaktiv_V2.dot"), templates.filePath(kTemplateName));
  ScriptedInteraction dialogs;
  setUi(&dialogs);
  InstallDocumentVariablesWriter();
  const MappenInhalt m = LeseMappe(qvtest::fixture("klassenfahrt.qbm"));
  ASSERT_FALSE(m.arbeitsblaetter.isEmpty());
  gTextTXT = m.textTXT;
  gTextRTF = m.textRTF;
  gUebungstyp = m.arbeitsblaetter[0].Uebungstyp;
  gDetails = m.arbeitsblaetter[0].Details;
  gArbeitsblattRTF = m.arbeitsblaetter[0].ArbeitsblattRTF;
  gWortliste = 1;
  CreateWordExercise(gUebungstyp, 1);
  engine::Application* app = engine::Application::running().back();
  const QString path = dir.filePath("uebung.doc");
  ASSERT_TRUE(app->activeDocument()->saveAs(path));
  app->quit();
  setUi(nullptr);
  qunsetenv("QV_TEMPLATES_DIR");
  qunsetenv("QV_PROGRAM_FOLDER");

  QByteArray content, meta;
  ASSERT_TRUE(convertToOdt(path, dir.path(), &content, &meta));
  const QString c = QString::fromUtf8(content);
  // Every gap is a text form field of its name, in text order.
  int from = 0;
  for (int k = 1; k <= 10; ++k) {
    const int at = static_cast<int>(c.indexOf(QStringLiteral("text:name=\"Gap_%1\" field:type=\"vnd.oasis.opendocument.field.FORMTEXT\"").arg(k), from));
    ASSERT_GT(at, from) << k;
    from = at;
  }
  // The header line: ten buttons under the bookmark, then the text.
  EXPECT_EQ(c.count(QStringLiteral("<text:execute-macro>")), 10);
  const qsizetype start = c.indexOf(QStringLiteral("bookmark-start text:name=\"Kopf\""));
  const qsizetype end = c.indexOf(QStringLiteral("bookmark-end text:name=\"Kopf\""));
  ASSERT_GE(start, 0);
  EXPECT_GT(end, c.lastIndexOf(QStringLiteral("</text:execute-macro>")));
  EXPECT_LT(end, c.indexOf(QStringLiteral("Unsere Klassenfahrt"), start));
  EXPECT_TRUE(c.contains(QStringLiteral("Am Montagmorgen ")));
}
