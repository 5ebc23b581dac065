#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "common/scripted_ui.h"
#include "common/testutil.h"
#include "common/umgebung.h"
#include "platform/lastfolder.h"

using namespace qv;
using Kind = ScriptedInteraction::Shown::Kind;

// Each kind of file starts where it was chosen last (while that folder
// exists), else in the documents folder; a file is replaced only after "Ja".
TEST(LastFolder, DialogsStartWhereTheirKindWasLastAndAskBeforeReplacing) {
  QTemporaryDir home;
  qvtest::Env env{{"HOME", home.path().toUtf8()},
                  {"XDG_CONFIG_HOME", home.filePath(".config").toUtf8()},
                  {"QV_USER_DATA", home.filePath("daten").toUtf8()}};
  QDir(home.path()).mkpath("Documents");
  QDir(home.path()).mkpath("Seiten");
  const QString documents = home.filePath("Documents"), seiten = home.filePath("Seiten");
  ScriptedInteraction ui;

  ui.answerSaveFile(seiten + "/blatt");
  EXPECT_EQ(lastfolder::askSavePath({"Speichern", "Web-Seite|*.html", {}, "a.html"}, lastfolder::kSeite, "html"),
            seiten + "/blatt.html");
  EXPECT_EQ(ui.shown().value(0).file.initialFolder, documents);
  EXPECT_EQ(std::tuple(lastfolder::folderFor(lastfolder::kSeite), lastfolder::folderFor(lastfolder::kPdf)),
            std::tuple(seiten, documents));

  // "Nein" shows the dialog again on the same name; Cancel gives nothing.
  ui.clear();
  qvtest::writeFile(seiten + "/blatt.html", "alt");
  ui.answerSaveFile(seiten + "/blatt.html");
  ui.answerMessage(Answer::No);
  EXPECT_EQ(lastfolder::askSavePath({"Speichern", "Web-Seite|*.html", {}, "a.html"}, lastfolder::kSeite, "html"), "");
  ASSERT_EQ(ui.shown().size(), 3);
  EXPECT_EQ(std::tuple(ui.shown()[1].kind, ui.shown()[2].kind, ui.shown()[2].file.fileName),
            std::tuple(Kind::Message, Kind::SaveFile, QStringLiteral("blatt.html")));

  // Folders: a start folder given wins; a folder that has gone is forgotten.
  ui.answerFolder(seiten);
  EXPECT_EQ(lastfolder::askFolder("Zielverzeichnis", lastfolder::kKopien), seiten);
  EXPECT_EQ(lastfolder::folderFor(lastfolder::kKopien), seiten);
  lastfolder::askFolder("Zielverzeichnis", lastfolder::kKopien, documents);
  EXPECT_EQ(ui.shown().last().file.initialFolder, documents);
  QDir(seiten).removeRecursively();
  EXPECT_EQ(lastfolder::folderFor(lastfolder::kSeite), documents);

  EXPECT_EQ(lastfolder::proposedName(" Wer? Was: ../a<b> ", "html", "Worksheet"), "Wer_ Was_ ___a_b_.html");
  EXPECT_EQ(lastfolder::proposedName("  ", "html", "Worksheet"), "Worksheet.html");
}
