#include "platform/archive.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace qv::archive {

namespace {

// False when an entry of the archive's directory runs past the directory's
// end. The unpacking library walks the name, extra field and comment of such
// an entry a few bytes at a time, one file read each, which takes seconds
// even for a small damaged file. Archives whose directory this cannot find
// or measure (ZIP64) are left to the library.
bool directoryFits(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return true;
  const qint64 tail = std::min<qint64>(f.size(), 0xFFFF + 22);
  if (!f.seek(f.size() - tail)) return true;
  const QByteArray end = f.read(tail);
  const qsizetype at = end.lastIndexOf(QByteArrayView("PK\x05\x06", 4));
  if (at < 0 || at + 22 > end.size()) return true;
  const qint64 eocd = f.size() - tail + at;
  const quint32 size = qFromLittleEndian<quint32>(end.constData() + at + 12);
  if (size == 0xFFFFFFFF || size > eocd || size > 64 * 1024 * 1024 || !f.seek(eocd - size)) return true;
  const QByteArray dir = f.read(size);
  for (qsizetype p = 0; p + 46 <= dir.size() && dir.mid(p, 4) == QByteArrayView("PK\x01\x02", 4);) {
    const char* e = dir.constData() + p;
    p += 46 + qFromLittleEndian<quint16>(e + 28) + qFromLittleEndian<quint16>(e + 30) + qFromLittleEndian<quint16>(e + 32);
    if (p > dir.size()) return false;
  }
  return true;
}

ExtractError copyMember(QuaZip& zip, const QString& member, const QByteArray& password, const QString& target) {
  if (!zip.setCurrentFile(member, QuaZip::csSensitive)) return ExtractError::NoMember;
  QuaZipFileInfo64 info;
  if (!zip.getCurrentFileInfo(&info)) return ExtractError::OpenMember;
  if (info.uncompressedSize > quint64(kMaxMemberSize)) return ExtractError::TooLarge;

  QuaZipFile in(&zip);
  // Opening succeeds even with a wrong password; the fault shows in read()
  // for deflated data and only as a checksum error at close() for stored data.
  if (!in.open(QIODevice::ReadOnly, password.constData())) return ExtractError::OpenMember;

  // The copy is for this user alone, whoever else shares the folder.
  QFile out(target);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
    in.close();
    return ExtractError::WriteTarget;
  }
  QByteArray buffer(256 * 1024, Qt::Uninitialized);
  qint64 total = 0;
  ExtractError error = ExtractError::None;
  for (;;) {
    const qint64 got = in.read(buffer.data(), buffer.size());
    if (got < 0 || in.getZipError() != UNZ_OK) {
      error = ExtractError::ReadMember;
      break;
    }
    if (got == 0) break;
    total += got;
    if (total > kMaxMemberSize) {
      error = ExtractError::TooLarge;
      break;
    }
    if (out.write(buffer.constData(), got) != got) {
      error = ExtractError::WriteTarget;
      break;
    }
  }
  in.close();
  if (error == ExtractError::None && in.getZipError() != UNZ_OK) error = ExtractError::ReadMember;
  // Fewer bytes than the directory announces: the data was cut off.
  if (error == ExtractError::None && quint64(total) != info.uncompressedSize) error = ExtractError::ReadMember;
  if (error == ExtractError::None && !out.flush()) error = ExtractError::WriteTarget;
  out.close();
  return error;
}

}  // namespace

ExtractError ExtractMember(const QString& archivePath, const QString& member, const QString& password,
                           const QString& target) {
  QuaZip zip(archivePath);
  if (!directoryFits(archivePath) || !zip.open(QuaZip::mdUnzip)) {
    QFile::remove(target);
    return ExtractError::OpenArchive;
  }
  const ExtractError error = copyMember(zip, member, password.toLatin1(), target);
  zip.close();
  if (error != ExtractError::None) QFile::remove(target);
  return error;
}

}  // namespace qv::archive
