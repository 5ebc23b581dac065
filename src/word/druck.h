#pragma once

// An exercise document laid out on pages as it prints: the paper and
// margins of its page set-up, the first-page header on page 1 (when the
// document has one) and the running header on the others, the footers with
// their page numbers, and the text in between. "Drucken" and "Als PDF
// speichern" of the document window and the command line's PDF use it.

#include <QString>
#include <memory>

class QObject;
class QPagedPaintDevice;
class QTextDocument;

namespace qv {

class RichDocument;
namespace engine {
class Document;
}

// Draws the document on the device, one page after the other, and returns
// the number of pages. The device's page layout is set from the document.
int DruckeUebung(const RichDocument& doc, QPagedPaintDevice& device);

// Writes the document as a PDF file (complete or not at all); false with a
// German reason in *error.
bool SchreibePdf(const RichDocument& doc, const QString& path, QString* error = nullptr);

// A copy of a header or footer as it shows on page `page` of `pages`: its
// PAGE and NUMPAGES fields show those numbers. parent owns the copy.
QTextDocument* KopfzeileFuerSeite(const QTextDocument& header, int page, int pages, QObject* parent);

// The answer key of an exercise: under the heading "Lösungsblatt: " and
// the caption, a copy in which every gap field shows each accepted answer
// once, the solution first, the others after " / ", in bold dark red and
// underlined, and no field is shaded. nullptr when the exercise carries no
// solutions.
std::unique_ptr<RichDocument> Loesungsblatt(const engine::Document& doc);
// The paper sheet: the blank exercise, whatever was filled in, in which
// every form field is a writing line of the same length, half as long
// again as the longest solution, no field is shaded and no header word is
// marked as used.
std::unique_ptr<RichDocument> Papierblatt(const engine::Document& doc);

}  // namespace qv
