#pragma once

#include <QByteArray>

#include "export/lueckentext.h"

namespace qv {

// The content package (".h5p") of one worksheet for the content type
// "Fill in the Blanks" (H5P.Blanks 1.14): a zip holding "h5p.json" and
// "content/content.json", without library folders.
ExportErgebnis BaueH5pPaket(const ExportBlatt& blatt);

// The two JSON files of the package.
QByteArray H5pJson(const ExportBlatt& blatt);
QByteArray H5pContentJson(const LueckenText& text);

// One gap in the Blanks syntax, "*answer/other*".
QString BlanksLuecke(const QStringList& antworten);

}  // namespace qv
