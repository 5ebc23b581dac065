#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Text files of the program: Windows-1252 with CR LF line ends. A text that
// Windows-1252 cannot hold is written as UTF-8 with a byte-order mark so that
// no character is lost; reading accepts both.
namespace qv::textfile {

std::optional<QByteArray> readBytes(const QString& path);
// Writes the file whole or not at all (files::saveWhole).
bool writeBytes(const QString& path, const QByteArray& bytes);

// Decodes file content: UTF-8 when it starts with a UTF-8 byte-order mark or
// when it is valid UTF-8 holding a byte above 127, Windows-1252 otherwise.
QString decode(const QByteArray& bytes);
// Encodes text as the program writes it (no line-end conversion).
QByteArray encode(const QString& text);

std::optional<QString> read(const QString& path);
// Writes text unchanged apart from the encoding (callers put CR LF themselves).
bool write(const QString& path, const QString& text);
// Writes lines, each ended by CR LF.
bool writeLines(const QString& path, const QStringList& lines);
// Appends one line ended by CR LF, creating the file when missing. A line
// that Windows-1252 cannot hold turns the whole file into UTF-8 (with BOM).
bool appendLine(const QString& path, const QString& line);
// Splits text at CR LF, LF or a lone CR.
QStringList splitLines(const QString& text);

}  // namespace qv::textfile
