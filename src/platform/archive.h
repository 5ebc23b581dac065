#pragma once

#include <QString>

// Reading members of password-protected workbook archives.
namespace qv::archive {

// Why an extraction failed.
enum class ExtractError {
  None,
  OpenArchive,    // not an archive, or its directory is damaged or missing
  NoMember,       // the member is not in the archive
  OpenMember,     // the member's data cannot be opened
  ReadMember,     // wrong password, damaged or cut-off data, or failed checksum
  TooLarge,       // more than kMaxMemberSize bytes
  WriteTarget,    // the target file cannot be written
};

// Members above this size are refused (the database format ends at 2 GiB).
inline constexpr qint64 kMaxMemberSize = qint64(2) * 1024 * 1024 * 1024;

// Extracts the member named member (exact name) of the archive into the file
// target (created for this user only, or emptied). Only target is written,
// whatever the member's name holds. On failure target does not exist afterwards.
ExtractError ExtractMember(const QString& archivePath, const QString& member, const QString& password,
                           const QString& target);

}  // namespace qv::archive
