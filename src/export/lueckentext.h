#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "exercise/token.h"

namespace qv {

// One worksheet as the learning platforms get it.
struct ExportBlatt {
  QString caption;
  int32_t id = 0;
  QString text;                     // the workbook's plain text; gap positions are 1-based in it
  QList<clsToken> luecken;          // the gaps in ascending text order
  QList<QStringList> alternativen;  // per gap the teacher's alternatives (may be shorter than luecken)
  int16_t uebungstyp = 0;
  int16_t wortliste = 4;            // 1 gap words, 2 base forms in the head; 3 base form behind the gap
};

// A piece of a paragraph: plain text, or the gap with that index into
// LueckenText::antworten.
struct TextStueck {
  QString text;
  qsizetype luecke = -1;
};

// The worksheet taken apart for an export: instruction, word list,
// paragraphs of text and gaps, and every gap's accepted answers. All texts
// are plain (not escaped) and free of the control characters a file may not
// hold.
struct LueckenText {
  QString anleitung;                    // "Setze die richtigen Wörter ein"
  QString wortliste;                    // the sorted list of forms 1 and 2, else empty
  QList<QList<TextStueck>> absaetze;    // the text's lines, gaps in place
  QList<QStringList> antworten;         // per exported gap; the solution first
  QList<int> nummern;                   // per exported gap its 1-based number in the gap list
};

LueckenText ZerlegeBlatt(const ExportBlatt& blatt);

// An answer and the forms a pupil may type for its apostrophes and
// quotation marks (straight and typographic), the answer itself first.
QStringList Schreibvarianten(const QString& antwort);

// The text without the control characters other than tab, LF and CR (C0,
// DEL and C1) and without the code points that XML cannot carry.
QString OhneSteuerzeichen(const QString& s);

// "&", "<", ">" and '"' as entities, appended to out; with a mark other
// than NUL, that mark too as the reference given.
void AppendHtml(QString& out, QStringView s, char16_t mark = 0, QLatin1String ref = {});
QString HtmlText(const QString& s);

// What a builder produces: the file's bytes and the number of gaps in it,
// or a German reason why nothing was built.
struct ExportErgebnis {
  QByteArray daten;
  int luecken = 0;
  QString fehler;
};

// Texts and names the exports share.
namespace exporttexte {
// s on one line (control characters dropped, line breaks and tabs as
// blanks, trimmed); ersatz when nothing is left.
QString einzeilig(const QString& s, const QString& ersatz);
// s cut to at most max characters, or with utf8Bytes to at most max bytes of
// UTF-8, never inside a character.
QString gekuerzt(const QString& s, qsizetype max, bool utf8Bytes);
QString tilde(const QString& caption, int luecke, const QString& antwort);
QString keineLuecken();
}  // namespace exporttexte

}  // namespace qv
