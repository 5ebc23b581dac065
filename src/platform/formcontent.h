#pragma once

// What a filled-in form document holds for judging, read without building a
// text document: its variables, its text form fields with their typed text,
// the first page header's table cell with the pupil's name, and the author.
// One small reader per file format (formcontent_rtf.cpp, formcontent_odt.cpp,
// formcontent_docx.cpp), each taking the layouts the word processors write;
// Read() picks the reader by the file's first bytes.
//
// Reading never writes, and a damaged file is an answer, not a crash: the
// result then says why it cannot be used, in German.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace qv::form {

struct Variable {
  QString name, value;
};

// A text form field (FORMTEXT): its name ("Gap_3") and the text shown in it.
struct TextField {
  QString name, text;
};

struct FormContent {
  QList<Variable> variables;
  std::vector<TextField> fields;  // in document order
  // Row 1, column 2 of the first table in the first page's header (the
  // plain header when the document has no header of its own for the first
  // page); nullopt when there is no such cell.
  std::optional<QString> headerName;
  QString author;
  // Case-insensitive, as the word processors treat variable names.
  std::optional<QString> variable(const QString& name) const;
};

// What a reader makes of the bytes: the content, or a German reason why the
// file cannot be read.
struct ReadResult {
  std::optional<FormContent> content;
  QString reason;
};

enum class Format { Rtf, Odt, Docx, Word97, Unknown };
// By the first bytes: "{\rtf", a zip archive (ODT or DOCX by its members),
// the compound file of Word 97.
Format DetectFormat(const QByteArray& bytes);

ReadResult ReadRtf(const QByteArray& bytes);
ReadResult ReadOdt(const QByteArray& bytes);
ReadResult ReadDocx(const QByteArray& bytes);
// Whichever of these fits; Word 97 and other files give their reason.
ReadResult Read(const QByteArray& bytes);

// Reasons shared by the readers.
QString ReasonTruncated();  // "die Datei endet mitten im Dokument (abgeschnitten)"
QString ReasonWord97();     // "im Word-97-Format gespeichert"

}  // namespace qv::form
