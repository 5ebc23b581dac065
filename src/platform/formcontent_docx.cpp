// The form content of a Word document (DOCX): variables are the w:docVar
// entries of word/settings.xml, a form field runs from a w:fldChar "begin"
// (its name in w:ffData/w:name) over its instruction (w:instrText, FORMTEXT)
// and "separate" to "end", its text in the runs between the last two; the
// header is the one the first section names for its first page (else its
// default header), the author the creator in docProps/core.xml.
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <vector>

#include "platform/formcontent.h"
#include "platform/formcontent_zip.h"

namespace qv::form {
namespace {

QString xmlReason(const QXmlStreamReader& xml, const QString& part) {
  if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError) return ReasonTruncated();
  return QStringLiteral("der Teil '%1' ist kein gültiges XML (Zeile %2)").arg(part).arg(xml.lineNumber());
}

// Word writes characters XML cannot hold (a variable's line ends) as _xHHHH_.
QString unescaped(QString s) {
  static const QRegularExpression esc(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
  if (!s.contains(QLatin1String("_x"))) return s;
  QString out;
  qsizetype from = 0;
  for (auto it = esc.globalMatch(s); it.hasNext();) {
    const auto m = it.next();
    out += QStringView(s).mid(from, m.capturedStart() - from);
    out += QChar(static_cast<char16_t>(m.captured(1).toUShort(nullptr, 16)));
    from = m.capturedEnd();
  }
  out += QStringView(s).mid(from);
  return out;
}

// Characters a run element stands for.
void runElement(QStringView n, QString& into) {
  if (n == u"w:tab") into += QLatin1Char('\t');
  else if (n == u"w:br" || n == u"w:cr") into += QChar::LineSeparator;
}

struct Fld {
  QString name, inst, text;
  bool inResult = false;
};

struct Body {
  QString headerFirst, headerDefault;  // relationship IDs of the first section
};

QString readDocument(const QByteArray& bytes, FormContent& out, Body& body) {
  QXmlStreamReader xml(bytes);
  std::vector<Fld> open;
  bool sectionSeen = false, inText = false, inInstr = false;
  while (!xml.atEnd()) {
    const auto t = xml.readNext();
    const QStringView n = xml.qualifiedName();
    if (t == QXmlStreamReader::StartElement) {
      // Attributes only where they count: fetching them for every element
      // doubles the time of a long document.
      if (n == u"w:fldChar") {
        const QXmlStreamAttributes a = xml.attributes();
        const QStringView type = a.value(QLatin1String("w:fldCharType"));
        if (type == u"begin") {
          open.emplace_back();
        } else if (type == u"separate") {
          if (!open.empty()) open.back().inResult = true;
        } else if (type == u"end" && !open.empty()) {
          Fld f = std::move(open.back());
          open.pop_back();
          if (open.empty() && f.inst.trimmed().section(QLatin1Char(' '), 0, 0).toUpper() == u"FORMTEXT")
            out.fields.push_back({f.name, f.text});
        }
      } else if (n == u"w:name" && !open.empty() && !open.back().inResult) {
        open.back().name = xml.attributes().value(QLatin1String("w:val")).toString();
      } else if (n == u"w:t") {
        inText = true;
      } else if (n == u"w:instrText") {
        inInstr = true;
      } else if (n == u"w:headerReference" && !sectionSeen) {
        const QXmlStreamAttributes a = xml.attributes();
        (a.value(QLatin1String("w:type")) == u"first" ? body.headerFirst : body.headerDefault) = a.value(QLatin1String("r:id")).toString();
      } else if (!open.empty() && open.back().inResult) {
        runElement(n, open.front().text);
      }
    } else if (t == QXmlStreamReader::EndElement) {
      if (n == u"w:t") inText = false;
      else if (n == u"w:instrText") inInstr = false;
      else if (n == u"w:sectPr") sectionSeen = true;
      else if (n == u"w:p" && !open.empty() && open.back().inResult) open.front().text += QChar::ParagraphSeparator;
    } else if (t == QXmlStreamReader::Characters && !open.empty()) {
      if (inInstr) open.back().inst += xml.text();
      else if (inText && open.back().inResult) open.front().text += xml.text();
    }
  }
  if (xml.hasError()) return xmlReason(xml, QStringLiteral("word/document.xml"));
  if (!open.empty()) return QStringLiteral("das Feld '%1' hat kein Ende").arg(open.back().name);
  return {};
}

// Row 1, column 2 of the header part's first table.
QString readHeader(const QByteArray& bytes, FormContent& out) {
  QXmlStreamReader xml(bytes);
  int depth = 0, row = 0, cell = 0;
  bool done = false, inText = false;
  while (!xml.atEnd() && !done) {
    const auto t = xml.readNext();
    const QStringView n = xml.qualifiedName();
    const bool here = depth == 1 && row == 1 && cell == 2;
    if (t == QXmlStreamReader::StartElement) {
      if (n == u"w:tbl") ++depth;
      else if (depth == 1 && n == u"w:tr") ++row, cell = 0;
      else if (depth == 1 && n == u"w:tc" && ++cell == 2 && row == 1) out.headerName = QString();
      else if (n == u"w:t") inText = true;
      else if (here) runElement(n, *out.headerName);
    } else if (t == QXmlStreamReader::EndElement) {
      if (n == u"w:t") inText = false;
      else if (n == u"w:tbl" && --depth == 0) done = true;
    } else if (t == QXmlStreamReader::Characters && here && inText) {
      *out.headerName += xml.text();
    }
  }
  if (xml.hasError()) return xmlReason(xml, QStringLiteral("Kopfzeile"));
  return {};
}

// Every entry of one kind: the attributes of each element of that name.
std::vector<QXmlStreamAttributes> elements(const QByteArray& bytes, QStringView name, QString* reason,
                                           const QString& part) {
  QXmlStreamReader xml(bytes);
  std::vector<QXmlStreamAttributes> out;
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.qualifiedName() == name) out.push_back(xml.attributes());
  if (xml.hasError()) *reason = xmlReason(xml, part);
  return out;
}

}  // namespace

ReadResult ReadDocx(const QByteArray& bytes) {
  QString reason;
  const QString document = QStringLiteral("word/document.xml"), settings = QStringLiteral("word/settings.xml"),
                rels = QStringLiteral("word/_rels/document.xml.rels"), core = QStringLiteral("docProps/core.xml");
  auto parts = ZipMembers(bytes, {document, settings, rels, core}, &reason);
  if (!parts) return {std::nullopt, reason};
  if (!parts->count(document)) return {std::nullopt, QStringLiteral("kein Textdokument (word/document.xml fehlt)")};
  FormContent out;
  Body body;
  reason = readDocument(parts->at(document), out, body);
  if (reason.isEmpty() && parts->count(settings))
    for (const auto& a : elements(parts->at(settings), u"w:docVar", &reason, settings))
      out.variables.append({a.value(QLatin1String("w:name")).toString(), unescaped(a.value(QLatin1String("w:val")).toString())});
  const QString headerId = body.headerFirst.isEmpty() ? body.headerDefault : body.headerFirst;
  if (reason.isEmpty() && !headerId.isEmpty() && parts->count(rels)) {
    QString target;
    for (const auto& a : elements(parts->at(rels), u"Relationship", &reason, rels))
      if (a.value(QLatin1String("Id")) == headerId) target = a.value(QLatin1String("Target")).toString();
    if (target.startsWith(QLatin1Char('/'))) target = target.mid(1);
    else if (!target.isEmpty()) target = QStringLiteral("word/") + target;
    if (reason.isEmpty() && !target.isEmpty()) {
      const auto header = ZipMembers(bytes, {target}, &reason);
      if (header && header->count(target)) reason = readHeader(header->at(target), out);
    }
  }
  if (reason.isEmpty() && parts->count(core)) {
    QXmlStreamReader xml(parts->at(core));
    while (!xml.atEnd())
      if (xml.readNext() == QXmlStreamReader::StartElement && xml.qualifiedName() == u"dc:creator")
        out.author = xml.readElementText();
    if (xml.hasError()) reason = xmlReason(xml, core);
  }
  if (!reason.isEmpty()) return {std::nullopt, reason};
  return {std::move(out), QString()};
}

}  // namespace qv::form
