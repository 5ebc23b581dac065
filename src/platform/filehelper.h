#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// File and path services of the program.
namespace qv::files {

bool FileExists(const QString& path);
bool FolderExists(const QString& path);
// A fresh, empty temporary file that nobody else can have taken; the caller
// deletes it after use.
QString TempFileName();
QString TempFolder();
// Folder and name joined with exactly one separator of this system. An empty
// folder gives the name alone.
QString JoinPath(const QString& folder, const QString& name);
// The file name without folder and extension ("" for an empty path).
QString FileTitle(const QString& path);
bool DeleteFile(const QString& path);

// The folder of the executable, where the data files the program ships lie.
// The environment variable QV_PROGRAM_FOLDER overrides it (tests).
QString programFolder();
// A data file shipped with the program: beside the executable, or in the
// installed data folder (../share/quillbee-vodedarivo).
QString dataFile(const QString& name);
// The per-user data folder of the program (created on demand). The
// environment variable QV_USER_DATA overrides it (tests).
QString userDataFolder();
// Where the program writes files that belong "beside the program" (log,
// generated page, settings): the program folder when it is writable,
// otherwise the per-user data folder.
QString writableProgramFolder();
// The student list window's settings file "Vodedarivo.ini" (its target folder
// and the exercise it hands out), in the writable program folder.
QString studentListIni();
// The user-templates folder of the document engine: the per-user data folder
// plus "Vorlagen" (created on demand). The environment variable
// QV_TEMPLATES_DIR overrides it (tests). The installer keeps its own copy of
// this rule.
QString userTemplatesFolder();
bool isWritableFolder(const QString& folder);

// Why nothing is written at path: it is a symbolic link, which a write would
// follow to wherever it points. Empty when path is no link.
QString linkGrund(const QString& path);

// The one way the program writes a file whole: the content goes to a
// temporary file beside the target, which replaces the target only once
// everything is written. A failed write leaves an earlier file as it was.
// write gets the device and returns false when it failed. False with the
// system's reason in German (platform/fehlergrund.h) in *error. A symbolic
// link at path is neither followed nor replaced: false with "NAME ist eine
// Verknüpfung und wird nicht überschrieben".
bool saveWhole(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error = nullptr);
bool saveWhole(const QString& path, const QByteArray& bytes, QString* error = nullptr);
// For tests: of the saveWhole calls counted from here (1-based), calls from
// to from + count - 1 fail as a failed write does: the content goes to the
// temporary file, which is then dropped, and the target stays as it was.
// failWrites(0) ends it.
void failWrites(int from, int count = 1);

}  // namespace qv::files
