#pragma once

#include <QString>
#include <QVariant>

#include "platform/ui.h"

// Where file and folder dialogs start, the names they propose, and the one
// settings file for everything the program remembers between runs.
namespace qv::lastfolder {

// Kinds of files the dialogs remember a folder for.
inline const QString kMappe = QStringLiteral("Mappe");    // workbooks
inline const QString kUebung = QStringLiteral("Uebung");  // exercise documents and masters
inline const QString kListe = QStringLiteral("Liste");    // student lists
inline const QString kKopien = QStringLiteral("Kopien");  // folders of the pupils' copies
inline const QString kPdf = QStringLiteral("Pdf");        // PDF files
inline const QString kSeite = QStringLiteral("Seite");    // web pages
inline const QString kExport = QStringLiteral("Export");  // files for learning platforms
inline const QString kTabelle = QStringLiteral("Tabelle");  // tables of results

// The key under which the results window keeps the master it judged last.
inline const QString kLetzteVorlage = QStringLiteral("Ergebnisse/Uebung");

// The folder a dialog for kind starts in: the one last used for that kind
// when it still exists, else fallback when it exists, else the user's
// documents folder (else the home folder). Never the program's own folder.
QString folderFor(const QString& kind, const QString& fallback = QString());
// Remembers the folder of path (a chosen file, or a chosen folder itself)
// for kind in the program's settings. An empty path is passed over.
void remember(const QString& kind, const QString& path, bool isFolder = false);
// The settings file the folders and every other remembered value are kept
// in: "Einstellungen.ini" in the user data folder.
QString settingsPath();
// A value remembered under key ("Gruppe/Name") in that file; invalid when none.
QVariant stored(const QString& key);
void store(const QString& key, const QVariant& value);

// Text made safe to stand as one file name: / \ : * ? " < > | and control
// characters become "_", every ".." becomes "__", a leading "." becomes "_".
// An empty text stays empty.
QString safeFileName(const QString& text);
// The name a save dialog proposes for a document captioned caption:
// safeFileName of the trimmed caption (at most 200 bytes of it) + "." +
// extension, or fallback + "." + extension when the caption is empty.
QString proposedName(const QString& caption, const QString& extension, const QString& fallback);

// Asks for a path to save a file of kind with the save dialog: it starts in
// request.initialFolder when one is given, else in the kind's folder, and
// proposes request.fileName. A name whose extension request.filter does not
// offer ("Kap. 4" under "*.xml") gets extension; a filter with "*.*" takes
// any extension.
// An existing file is replaced only after "Ja" to the question; "Nein" shows
// the dialog again. The chosen folder is remembered. Empty when cancelled.
QString askSavePath(FileDialogRequest request, const QString& kind, const QString& extension);
// The open dialog for a file of kind, starting in the kind's folder unless
// request.initialFolder is given; the chosen folder is remembered.
QString askOpenPath(FileDialogRequest request, const QString& kind);
// The folder dialog, starting in start when that exists, else in the
// kind's folder; the chosen folder is remembered.
QString askFolder(const QString& title, const QString& kind, const QString& start = QString());

}  // namespace qv::lastfolder
