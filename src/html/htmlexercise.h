#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

#include "exercise/token.h"

namespace qv {

// Builds the gap list of the current worksheet, asks where to save the page
// (proposing the worksheet's caption + ".html" in the folder of the last
// page) and writes, shows and reports it. Cancelling writes nothing.
void CreateHtmlExercise(int16_t uebungstyp, int16_t menuIndex);

// Writes the page for the current gap list (gLuecken, gUebungstyp,
// gWortliste, gMappenPfad) over text to path, without showing it. False with
// a German reason in *error when it could not be written.
bool WriteHtmlExercise(const QString& text, const QString& path, QString* error);

// Everything one page is made of.
struct HtmlSeite {
  QString text;              // the exercise's plain text; gap positions are 1-based in it
  QList<clsToken> luecken;   // the gaps in ascending text order
  int16_t uebungstyp = 0;
  int16_t wortliste = 4;     // 1 gap words, 2 base forms in the head; 3 base form behind the gap
  QString mappenPfad;        // the workbook path; its file title titles the page
  QString vorlage;           // the page template
};

// The finished page (without the final line end and with the template's
// charset declaration unchanged).
QString BuildHtmlPage(const HtmlSeite& seite);

// The bytes of "Worksheet.html": the page and a final CR LF, in Windows-1252
// when every character fits, otherwise in UTF-8 with a byte-order mark. The
// charset declaration of the template's head is set to the encoding used
// (added to the head when the template has none).
QByteArray HtmlPageBytes(const HtmlSeite& seite);

// The German texts the writer shows.
QString htmlVorlageFehltText(const QString& path);
QString htmlKeineLueckenText();
// reason: the system's reason why the file could not be written, if known.
QString htmlNichtGespeichertText(const QString& path, const QString& reason = QString());
QString htmlGespeichertText(int luecken, const QString& path);

}  // namespace qv
