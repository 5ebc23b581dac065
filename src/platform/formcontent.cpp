#include "platform/formcontent.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <QBuffer>

#include "platform/formcontent_zip.h"

namespace qv::form {

std::optional<QString> FormContent::variable(const QString& name) const {
  for (const Variable& v : variables)
    if (v.name.compare(name, Qt::CaseInsensitive) == 0) return v.value;
  return std::nullopt;
}

QString ReasonTruncated() { return QStringLiteral("die Datei endet mitten im Dokument (abgeschnitten)"); }
QString ReasonWord97() { return QStringLiteral("im Word-97-Format gespeichert"); }

std::optional<std::map<QString, QByteArray>> ZipMembers(const QByteArray& zip, const QStringList& names,
                                                        QString* reason) {
  // A member larger than any document part a word processor writes is
  // refused rather than unpacked into memory.
  constexpr qint64 kMaxMember = qint64(512) * 1024 * 1024;
  QBuffer buffer;
  buffer.setData(zip);
  QuaZip archive(&buffer);
  if (!archive.open(QuaZip::mdUnzip)) {
    *reason = QStringLiteral("kein lesbares ZIP-Archiv (beschädigt oder unvollständig)");
    return std::nullopt;
  }
  std::map<QString, QByteArray> out;
  for (const QString& name : names) {
    if (!archive.setCurrentFile(name, QuaZip::csSensitive)) continue;
    QuaZipFileInfo64 info;
    QuaZipFile member(&archive);
    if (!archive.getCurrentFileInfo(&info) || info.uncompressedSize > kMaxMember ||
        !member.open(QIODevice::ReadOnly)) {
      *reason = QStringLiteral("der Teil '%1' des ZIP-Archivs ist nicht lesbar").arg(name);
      return std::nullopt;
    }
    // One byte more than the entry says it holds shows an entry that lies
    // about its size; reading up to the limit instead would reserve the
    // whole limit for every entry.
    QByteArray data = member.read(static_cast<qint64>(info.uncompressedSize) + 1);
    member.close();
    if (member.getZipError() != UNZ_OK || static_cast<quint64>(data.size()) != info.uncompressedSize) {
      *reason = QStringLiteral("der Teil '%1' des ZIP-Archivs ist beschädigt").arg(name);
      return std::nullopt;
    }
    out[name] = std::move(data);
  }
  return out;
}

Format DetectFormat(const QByteArray& bytes) {
  if (bytes.left(64).contains("{\\rtf")) return Format::Rtf;
  if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return Format::Word97;
  if (bytes.startsWith("PK")) {
    // An ODT names its type first, uncompressed; a DOCX has its main part.
    if (bytes.left(200).contains("application/vnd.oasis.opendocument.text")) return Format::Odt;
    if (bytes.contains("word/document.xml")) return Format::Docx;
    if (bytes.contains("content.xml")) return Format::Odt;
  }
  return Format::Unknown;
}

ReadResult Read(const QByteArray& bytes) {
  switch (DetectFormat(bytes)) {
    case Format::Rtf: return ReadRtf(bytes);
    case Format::Odt: return ReadOdt(bytes);
    case Format::Docx: return ReadDocx(bytes);
    case Format::Word97: return {std::nullopt, ReasonWord97()};
    case Format::Unknown: break;
  }
  if (bytes.startsWith("PK")) return {std::nullopt, QStringLiteral("kein lesbares ZIP-Archiv (beschädigt oder unvollständig)")};
  return {std::nullopt, QStringLiteral("kein Textdokument (weder RTF noch ODT oder DOCX)")};
}

}  // namespace qv::form
