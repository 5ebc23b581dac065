#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/filehelper.h"

using namespace qv::files;

TEST(FileHelper, PathsNamesAndExistence) {
  for (const auto& [folder, file] : {std::pair{"/a/b", "c.txt"}, {"/a/b/", "c.txt"}, {"/a/b//", "/c.txt"}})
    EXPECT_EQ(JoinPath(folder, file), "/a/b/c.txt") << folder << " " << file;
  EXPECT_EQ(JoinPath("/", "c.txt") + "|" + JoinPath("", "c.txt"), "/c.txt|c.txt");
  EXPECT_EQ(FileTitle("/home/x/klassenfahrt.qbm"), "klassenfahrt");
  QTemporaryDir dir;
  const QString f = dir.filePath("x.txt");
  QFile(f).open(QIODevice::WriteOnly);
  // ":/", the program's own resources, is no folder.
  EXPECT_EQ((std::array{FileExists(f), FolderExists(f), FolderExists(dir.path()), FileExists(dir.path()),
                        FileExists(""), FolderExists(""), FolderExists(":/")}),
            (std::array{true, false, true, false, false, false, false}));
  EXPECT_TRUE(DeleteFile(f));
  EXPECT_FALSE(FileExists(f));
  // Temporary file names are fresh and exist.
  const QString a = TempFileName(), b = TempFileName();
  EXPECT_NE(a, b);
  EXPECT_TRUE(FileExists(a) && DeleteFile(a) && DeleteFile(b));
}
