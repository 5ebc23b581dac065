// The form content of an OpenDocument text: variables are the user fields
// declared in content.xml (text:user-field-decl), a form field is a
// fieldmark of type FORMTEXT (field:fieldmark-start, its text after
// field:fieldmark-separator up to field:fieldmark-end), the header is the
// master pages' in styles.xml, the author the initial creator in meta.xml.
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

// Characters an element stands for in running text.
bool textElement(const QXmlStreamReader& xml, QString& into) {
  const QStringView n = xml.qualifiedName();
  if (n == u"text:s") {
    const int count = xml.attributes().value(QLatin1String("text:c")).toInt();
    into += QString(std::clamp(count, 1, 10000), QLatin1Char(' '));
  } else if (n == u"text:tab") {
    into += QLatin1Char('\t');
  } else if (n == u"text:line-break") {
    into += QChar::LineSeparator;
  } else {
    return false;
  }
  return true;
}

struct Mark {
  QString name;
  bool formText = false, inResult = false;
  QString text;
};

QString readContent(const QByteArray& xmlBytes, FormContent& out) {
  QXmlStreamReader xml(xmlBytes);
  std::vector<Mark> open;
  while (!xml.atEnd()) {
    const auto t = xml.readNext();
    if (t == QXmlStreamReader::StartElement) {
      const QStringView n = xml.qualifiedName();
      const bool wichtig = n.startsWith(u"field:") || n == u"text:user-field-decl";
      const QXmlStreamAttributes a = wichtig ? xml.attributes() : QXmlStreamAttributes();
      if (n == u"text:user-field-decl") {
        const QString value = a.hasAttribute(QLatin1String("office:string-value")) ? a.value(QLatin1String("office:string-value")).toString()
                                                                     : a.value(QLatin1String("office:value")).toString();
        out.variables.append({a.value(QLatin1String("text:name")).toString(), value});
      } else if (n == u"field:fieldmark-start" || n == u"field:fieldmark") {
        Mark m;
        m.name = a.value(QLatin1String("text:name")).toString();
        m.formText = a.value(QLatin1String("field:type")).endsWith(QLatin1String("FORMTEXT"));
        if (n == u"field:fieldmark-start") open.push_back(m);
        else if (open.empty() && m.formText) out.fields.push_back({m.name, QString()});
      } else if (n == u"field:fieldmark-separator") {
        if (!open.empty()) open.back().inResult = true;
      } else if (n == u"field:fieldmark-end") {
        if (open.empty()) continue;
        Mark m = std::move(open.back());
        open.pop_back();
        if (open.empty() && m.formText) out.fields.push_back({m.name, m.text});
      } else if (!open.empty() && open.back().inResult) {
        textElement(xml, open.front().text);
      }
    } else if (t == QXmlStreamReader::Characters && !open.empty() && open.back().inResult) {
      open.front().text += xml.text();
    } else if (t == QXmlStreamReader::EndElement && xml.qualifiedName() == u"text:p" && !open.empty() &&
               open.back().inResult) {
      open.front().text += QChar::ParagraphSeparator;
    }
  }
  if (xml.hasError()) return xmlReason(xml, QStringLiteral("content.xml"));
  if (!open.empty()) return QStringLiteral("das Feld '%1' hat kein Ende").arg(open.back().name);
  return {};
}

// Row 1, column 2 of the first table in a first page header, else in any
// page header.
QString readStyles(const QByteArray& xmlBytes, FormContent& out) {
  QXmlStreamReader xml(xmlBytes);
  std::optional<QString> found[2];  // header-first, header
  int kind = -1, tableDepth = 0, row = 0, cell = 0;
  bool done = false;
  while (!xml.atEnd()) {
    const auto t = xml.readNext();
    const QStringView n = xml.qualifiedName();
    if (t == QXmlStreamReader::StartElement) {
      if (n == u"style:header-first" || n == u"style:header") {
        kind = n == u"style:header-first" ? 0 : 1;
        done = found[kind].has_value();
        tableDepth = row = cell = 0;
      } else if (kind >= 0 && !done && n == u"table:table") {
        ++tableDepth;
      } else if (kind >= 0 && !done && tableDepth == 1 && n == u"table:table-row") {
        ++row;
        cell = 0;
      } else if (kind >= 0 && !done && tableDepth == 1 && n == u"table:table-cell") {
        ++cell;
        if (row == 1 && cell == 2) found[kind] = QString();
      } else if (kind >= 0 && !done && tableDepth == 1 && row == 1 && cell == 2) {
        textElement(xml, *found[kind]);
      }
    } else if (t == QXmlStreamReader::EndElement) {
      if (n == u"style:header-first" || n == u"style:header") kind = -1;
      else if (kind >= 0 && !done && n == u"table:table" && --tableDepth == 0) done = true;
    } else if (t == QXmlStreamReader::Characters && kind >= 0 && !done && tableDepth == 1 && row == 1 &&
               cell == 2) {
      *found[kind] += xml.text();
    }
  }
  if (xml.hasError()) return xmlReason(xml, QStringLiteral("styles.xml"));
  out.headerName = found[0] ? found[0] : found[1];
  return {};
}

QString readMeta(const QByteArray& xmlBytes, FormContent& out) {
  QXmlStreamReader xml(xmlBytes);
  QString creator;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.qualifiedName() == u"meta:initial-creator") out.author = xml.readElementText();
    else if (xml.qualifiedName() == u"dc:creator") creator = xml.readElementText();
  }
  if (xml.hasError()) return xmlReason(xml, QStringLiteral("meta.xml"));
  if (out.author.isEmpty()) out.author = creator;
  return {};
}

}  // namespace

ReadResult ReadOdt(const QByteArray& bytes) {
  QString reason;
  const auto parts = ZipMembers(
      bytes, {QStringLiteral("content.xml"), QStringLiteral("styles.xml"), QStringLiteral("meta.xml")}, &reason);
  if (!parts) return {std::nullopt, reason};
  const auto content = parts->find(QStringLiteral("content.xml"));
  if (content == parts->end()) return {std::nullopt, QStringLiteral("kein Textdokument (content.xml fehlt)")};
  FormContent out;
  reason = readContent(content->second, out);
  if (reason.isEmpty() && parts->count(QStringLiteral("styles.xml")))
    reason = readStyles(parts->at(QStringLiteral("styles.xml")), out);
  if (reason.isEmpty() && parts->count(QStringLiteral("meta.xml")))
    reason = readMeta(parts->at(QStringLiteral("meta.xml")), out);
  if (!reason.isEmpty()) return {std::nullopt, reason};
  return {std::move(out), QString()};
}

}  // namespace qv::form
