#include "platform/archive.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <QFile>

namespace qv::archive {

namespace {

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
  if (!zip.open(QuaZip::mdUnzip)) {
    QFile::remove(target);
    return ExtractError::OpenArchive;
  }
  const ExtractError error = copyMember(zip, member, password.toLatin1(), target);
  zip.close();
  if (error != ExtractError::None) QFile::remove(target);
  return error;
}

}  // namespace qv::archive
